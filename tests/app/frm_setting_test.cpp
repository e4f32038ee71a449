#include "app/frm_setting.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <memory>

#include "base/cp936.h"
#include "base/error.h"
#include "settings/driver_binding.h"
#include "tests/support/files.h"
#include "ui/ui.h"

namespace gt7p {
namespace {

using test::G;
QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

const std::vector<std::string> kPorts = {"COM1  (\\device\\serial0)", "COM3  (\\device\\serial2)",
                                         G("COM5  (\\device\\vcp0) USB转串口设备")};
const std::string kTwoColumns = G("1=1原始文件名称\r\n2=0存储地址");

PortLister Fixed(std::vector<std::string> ports) {
  return [ports] { return ports; };
}

// Runs EditCommSettings and drives the modal dialog from the event loop; a
// dialog that `drive` leaves open is cancelled, and the test fails.
std::string RunDialog(const std::function<void(TfrmSetting&)>& drive, const std::string& port = "COM3",
                      const std::string& target = "1", const std::string& delay = "5",
                      const std::string& columns = kTwoColumns, const PortLister& ports = Fixed(kPorts)) {
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TfrmSetting*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
    drive(*dialog);
    if (dialog->isVisible()) {
      ADD_FAILURE() << "dialog left open";
      dialog->reject();
    }
  });
  LineSettings settings;
  settings.portName = port;
  settings.commTarget = std::stoi(target);
  settings.receiveDelay = std::stoi(delay);
  settings.columnChoice = columns;
  return EditCommSettings(settings, std::string(), ports);
}

std::vector<bool> Marks(const TfrmSetting& d) {
  std::vector<bool> marks;
  for (int i = 0; i < d.chlbSetting->count(); ++i) {
    marks.push_back(d.chlbSetting->item(i)->checkState() == Qt::Checked);
  }
  return marks;
}

// A dialog shown without a modal loop, for input that needs no answer.
struct Shown {
  explicit Shown(const std::string& columns, PortLister ports = Fixed(kPorts),
                 const std::string& defaults = "")
      : d(std::move(ports)) {
    d.Prepare("COM3", "0", "3", columns, defaults);
    d.show();
    d.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
  }
  ~Shown() { ResetDriverInstallerForTesting(); }
  TfrmSetting d;
};

// Places, captions and colours are checked by eye on a rendered dialog.
TEST(SettingDialog, TabOrderAndAccelerators) {
  Shown s(kTwoColumns);
  TfrmSetting& d = s.d;
  // Tab from the OK button runs through the controls and skips btnInsU2C.
  EXPECT_EQ(QApplication::focusWidget(), d.btnSetting);
  const std::vector<QWidget*> order = {d.btnCancel,     d.cbCommPort,  d.cbCommObj,          d.cbCommTimeOut,
                                       d.btnGetDefList, d.chlbSetting, d.chkEndWhenComplete, d.btnSetting};
  for (QWidget* next : order) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
  const std::vector<std::pair<Qt::Key, QWidget*>> accelerators = {{Qt::Key_P, d.cbCommPort},
                                                                  {Qt::Key_O, d.cbCommObj},
                                                                  {Qt::Key_B, d.cbCommTimeOut},
                                                                  {Qt::Key_L, d.chlbSetting}};
  for (const auto& [key, target] : accelerators) {
    QTest::keyClick(&d, key, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), target);
  }
}

// The check box of the reply's end: checked unless the settings asked for
// full silences; its answer is taken on OK only.
TEST(SettingDialog, EndWhenCompleteCheckBox) {
  auto run = [](bool fullSilence, bool click, bool ok) {
    QTimer::singleShot(0, [=] {
      auto* dialog = qobject_cast<TfrmSetting*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->chkEndWhenComplete->isChecked(), !fullSilence);
      if (click) dialog->chkEndWhenComplete->click();
      (ok ? dialog->btnSetting : dialog->btnCancel)->click();
    });
    LineSettings settings;
    settings.portName = "COM3";
    settings.columnChoice = kTwoColumns;
    settings.fullSilence = fullSilence;
    EditCommSettings(settings, std::string(), Fixed(kPorts));
    return settings.fullSilence;
  };
  EXPECT_TRUE(run(false, true, true));
  EXPECT_FALSE(run(true, true, true));
  EXPECT_TRUE(run(true, false, true));
  EXPECT_FALSE(run(false, true, false));  // cancelled
}

TEST(SettingDialog, EnterReturnsTheChoicesTheDialogOpenedWith) {
  EXPECT_EQ(RunDialog([](TfrmSetting& d) {
              EXPECT_EQ(d.cbCommPort->currentIndex(), 1);
              EXPECT_EQ(Marks(d), (std::vector<bool>{true, false}));
              QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            }),
            G("COM3,1,5,1=1原始文件名称\r\n2=0存储地址"));
  // Linux port paths come back whole, up to the first blank.
  EXPECT_EQ(RunDialog([](TfrmSetting& d) { d.btnSetting->click(); }, "", "0", "3", "",
                      Fixed({"/dev/ttyUSB0  (ftdi_sio) USB转串口设备"})),
            "/dev/ttyUSB0,0,3,");
}

TEST(SettingDialog, CancelEscAndCloseBoxReturnNothing) {
  EXPECT_EQ(RunDialog([](TfrmSetting& d) { QTest::mouseClick(d.btnCancel, Qt::LeftButton); }), "");
  EXPECT_EQ(RunDialog([](TfrmSetting& d) { QTest::keyClick(&d, Qt::Key_Escape); }), "");
  EXPECT_EQ(RunDialog([](TfrmSetting& d) { d.close(); }), "");
}

// The match rule's cases are workflow tests; here the box takes its result.
TEST(SettingDialog, PortEntrySelectionAndDropDownWidth) {
  TfrmSetting d(Fixed({"COM10  (a)", "COM1  (b)"}));
  d.FillPortList("com1");
  EXPECT_EQ(d.cbCommPort->currentIndex(), 1);
  EXPECT_EQ(d.cbCommPort->view()->minimumWidth(), 6 * 12);
}

// A long entry keeps both ends on the box's face, the whole entry is its
// tool tip, and the entry itself (what the dialog returns) is unchanged.
TEST(SettingDialog, LongPortEntryShortenedInTheMiddle) {
  const std::string entry = G("/dev/ttyUSB0  (ftdi_sio) USB转串口设备 FT232R USB UART A50285BI");
  TfrmSetting d(Fixed({entry}));
  d.FillPortList("");
  d.cbCommPort->setCurrentIndex(0);
  auto* box = dynamic_cast<TMiddleElidedComboBox*>(d.cbCommPort);
  ASSERT_NE(box, nullptr);
  const QString whole = FromCore(entry), face = box->FaceText();
  EXPECT_LT(face.size(), whole.size());
  EXPECT_TRUE(face.startsWith("/de")) << face.toStdString();  // as many as the font leaves room for
  EXPECT_TRUE(face.endsWith("BI")) << face.toStdString();
  EXPECT_TRUE(face.contains(QChar(0x2026)));
  EXPECT_EQ(box->toolTip(), whole);
  EXPECT_EQ(box->itemData(0, Qt::ToolTipRole).toString(), whole);
  EXPECT_EQ(box->currentText(), whole);
  // A short entry is shown whole.
  TfrmSetting shortEntry(Fixed({"COM1"}));
  shortEntry.FillPortList("COM1");
  EXPECT_EQ(dynamic_cast<TMiddleElidedComboBox*>(shortEntry.cbCommPort)->FaceText(), "COM1");
}

TEST(SettingDialog, NoPortMarksTheBoxRedAndOkStaysOpen) {
  EXPECT_EQ(RunDialog(
                [](TfrmSetting& d) {
                  EXPECT_EQ(d.lblCommPort->text(), Q("无可用串口！！"));
                  EXPECT_EQ(d.lblCommPort->palette().color(QPalette::WindowText), QColor(Qt::red));
                  EXPECT_EQ(d.cbCommPort->palette().color(QPalette::Button), QColor(Qt::red));
                  d.btnSetting->click();
                  EXPECT_TRUE(d.isVisible());
                  d.btnCancel->click();
                },
                "COM3", "0", "3", kTwoColumns, Fixed({})),
            "");
}

TEST(SettingDialog, TargetDelayAndColumnTexts) {
  TfrmSetting d(Fixed(kPorts));
  d.Prepare("COM1", "-1", "7", G("7=1原始◇文件名称\r2=0存储地址\n=1"), "");
  EXPECT_EQ(d.cbCommObj->currentIndex(), -1);
  d.btnSettingClick();  // no target: the dialog stays open
  EXPECT_NE(d.result(), QDialog::Accepted);
  d.cbCommObj->setCurrentIndex(1);
  EXPECT_EQ(d.cbCommTimeOut->currentText(), "7");
  EXPECT_EQ(d.CommSettingsText(), G("COM1,1,7,1=1原始文件名称\r\n2=0存储地址\r\n3=1"));
  d.FillColumnList("");
  EXPECT_EQ(d.CommSettingsText(), "COM1,1,7,");
}

TEST(SettingDialog, OneToggleForEachLeftPressOnAnEntry) {
  Shown s(G("1=0a\r\n2=0b\r\n3=0c"));
  QListWidget* list = s.d.chlbSetting;
  const auto rect = [&](int row) { return list->visualItemRect(list->item(row)); };
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect(0).center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(rect(1).left() + 8, rect(1).center().y()));
  QTest::mouseClick(list->viewport(), Qt::RightButton, {}, rect(2).center());
  QTest::mouseClick(list->viewport(), Qt::MiddleButton, {}, rect(2).center());
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(20, rect(2).bottom() + 10));
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{true, true, false}));
  QTest::keyClick(list, Qt::Key_Space);
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{true, true, false}));
}

// A double click is two presses: the platform sends press, release, press,
// release, and the widget sees the second press as a double-click event.
TEST(SettingDialog, DoubleClickTogglesTwice) {
  Shown s(G("1=0a\r\n2=0b\r\n3=1c"));
  QListWidget* list = s.d.chlbSetting;
  QWindow* window = s.d.windowHandle();
  const auto at = [&](int row) {
    return window->mapFromGlobal(list->viewport()->mapToGlobal(list->visualItemRect(list->item(row)).center()));
  };
  QTest::mouseDClick(window, Qt::LeftButton, {}, at(1));
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{false, false, true}));
  QTest::mouseClick(window, Qt::LeftButton, {}, at(2));
  QTest::mouseDClick(window, Qt::LeftButton, {}, at(0));
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{false, false, false}));
}

TEST(SettingDialog, CtrlKeysAloneCheckUncheckAndInvert) {
  Shown s(G("1=1a\r\n2=0b\r\n3=0c"));
  QListWidget* list = s.d.chlbSetting;
  for (Qt::KeyboardModifiers extra : {Qt::ShiftModifier, Qt::AltModifier}) {
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier | extra);
    QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier | extra);
  }
  QTest::keyClick(list, Qt::Key_A);
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{true, false, false}));
  QTest::keyClick(list, Qt::Key_I, Qt::ControlModifier);
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{false, true, true}));
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{true, true, true}));
  QTest::keyClick(list, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Marks(s.d), (std::vector<bool>{false, false, false}));
}

TEST(SettingDialog, OkChecksTheFirstEntryOnlyWhenThereAreTwoOrMore) {
  EXPECT_EQ(RunDialog([](TfrmSetting& d) {
              QTest::keyClick(d.chlbSetting, Qt::Key_Z, Qt::ControlModifier);
              QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);  // clicks after a short delay
              EXPECT_TRUE(QTest::qWaitFor([&] { return !d.isVisible(); }));
            }),
            G("COM3,1,5,1=1原始文件名称\r\n2=0存储地址"));
  EXPECT_EQ(RunDialog([](TfrmSetting& d) { d.btnSetting->click(); }, "COM3", "1", "5", "1=0x"),
            "COM3,1,5,1=0x");
}

TEST(SettingDialog, DefaultListRestoresKeepingScrollAndSelection) {
  std::string unchecked, checked;
  for (int i = 1; i <= 12; ++i) {
    unchecked += (i > 1 ? "\r\n" : "") + std::to_string(i) + "=0f" + std::to_string(i);
    checked += (i > 1 ? "\r\n" : "") + std::to_string(i) + "=1f" + std::to_string(i);
  }
  for (const std::string& defaults : {checked, std::string()}) {
    Shown s(unchecked, Fixed(kPorts), defaults);
    QListWidget* list = s.d.chlbSetting;
    list->setCurrentRow(1);  // scrolled out of sight
    list->scrollToItem(list->item(4), QAbstractItemView::PositionAtTop);
    ASSERT_EQ(list->verticalScrollBar()->value(), 4);
    QTest::keyClick(list, defaults.empty() ? Qt::Key_A : Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(&s.d, Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == list; }));
    EXPECT_EQ(Marks(s.d), std::vector<bool>(12, !defaults.empty()));
    EXPECT_EQ(list->currentRow(), 1);
    EXPECT_EQ(list->verticalScrollBar()->value(), 4);
    EXPECT_EQ(QApplication::focusWidget(), list);
  }
}

// The driver update, with the message boxes answered by hooks. The records
// come first: the dialog lists ports while it is built.
struct UpdateRecords {
  std::vector<std::string> first = {"COM1  (a)"}, second = {"COM1  (a)", "COM3  (b)"};
  int listed = 0, listedAtOutcome = 0;
  bool answer = true, enabledAtOutcome = false;
  std::vector<QString> asked, shown;
  std::vector<std::string> calls, reported;
};

struct Update : UpdateRecords, Shown {
  Update() : Shown(kTwoColumns, [this] { return ++listed == 1 ? first : second; }) {
    d.AskYesNo = [this](QWidget*, const QString& title, const QString& text) {
      asked.push_back(title + "|" + text);
      return answer;
    };
    d.ShowInformation = [this](QWidget*, const QString& title, const QString& text) {
      shown.push_back(title + "|" + text);
      enabledAtOutcome = d.isEnabled();
      listedAtOutcome = listed;
    };
    d.ReportError = [this](const std::string& message) { reported.push_back(message); };
  }
  void Install(int throwOnCall = 0) {
    SetDriverInstallerForTesting([this, throwOnCall](void*, const char*, const char* inf, uint32_t, int*) {
      calls.push_back(std::string(inf) + (d.isEnabled() ? " enabled" : ""));
      if (static_cast<int>(calls.size()) == throwOnCall) throw Error("x");
      return 1;
    });
  }
};

TEST(SettingDialog, UpdateAnsweredNoOrWithoutInstallerChangesNothing) {
  Update u;
  u.Install();
  u.answer = false;
  QTest::mouseClick(u.d.btnInsU2C, Qt::LeftButton);
  EXPECT_EQ(u.asked, (std::vector<QString>{Q("设置通讯参数|要更新USB转串口驱动？")}));
  u.answer = true;
  SetDriverInstallerForTesting(DriverInstaller());
  QTest::mouseClick(u.d.btnInsU2C, Qt::LeftButton);
  EXPECT_EQ(u.asked.size(), 2u);
  EXPECT_TRUE(u.calls.empty());
  EXPECT_TRUE(u.shown.empty());
  EXPECT_EQ(u.listed, 1);
}

TEST(SettingDialog, CompletedUpdateReportsAndRefillsWithTheInitialPort) {
  Update u;
  u.Install();
  EXPECT_EQ(u.d.cbCommPort->currentIndex(), 0);
  QTest::mouseClick(u.d.btnInsU2C, Qt::LeftButton);
  EXPECT_EQ(u.calls, (std::vector<std::string>{"U2C\\FTDIBUS.INF", "U2C\\FTDIPORT.INF"}));
  EXPECT_EQ(u.shown, (std::vector<QString>{Q("设置通讯参数|成功更新！")}));
  EXPECT_TRUE(u.enabledAtOutcome);
  EXPECT_EQ(u.listedAtOutcome, 1);
  EXPECT_EQ(u.d.cbCommPort->count(), 2);
  EXPECT_EQ(u.d.cbCommPort->currentIndex(), 1);
  EXPECT_THROW(UpdateAdapterDrivers(), Error);  // released again
}

TEST(SettingDialog, ErrorDuringTheCallsShowsFailureRestoresAndPasses) {
  Update u;
  u.Install(1);
  EXPECT_THROW(u.d.btnInsU2CClick(), Error);
  EXPECT_EQ(u.calls.size(), 1u);
  EXPECT_EQ(u.shown, (std::vector<QString>{Q("设置通讯参数|更新失败！")}));
  EXPECT_TRUE(u.d.isEnabled());
  EXPECT_EQ(u.d.cbCommPort->count(), 2);
  EXPECT_THROW(UpdateAdapterDrivers(), Error);
  // From the button the error reaches the application's error box.
  u.Install(3);
  QTest::mouseClick(u.d.btnInsU2C, Qt::LeftButton);
  EXPECT_EQ(u.reported, (std::vector<std::string>{"x"}));
  EXPECT_TRUE(u.d.isVisible());
}

TEST(SettingDialog, RealBoxesAskWithNoAsDefaultAndInform) {
  Shown s(kTwoColumns);
  SetDriverInstallerForTesting([](void*, const char*, const char*, uint32_t, int*) { return 1; });
  std::vector<QString> seen;
  const std::function<void()> answer = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.push_back(QString::number(box->icon()) + "|" + box->windowTitle() + "|" + box->text());
    if (box->icon() == QMessageBox::Question) {
      EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
      EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
      QTimer::singleShot(0, answer);
      box->button(QMessageBox::Yes)->click();
    } else {
      box->accept();
    }
  };
  QTimer::singleShot(0, answer);
  s.d.btnInsU2C->click();
  EXPECT_EQ(seen, (std::vector<QString>{
                      QString::number(QMessageBox::Question) + Q("|设置通讯参数|要更新USB转串口驱动？"),
                      QString::number(QMessageBox::Information) + Q("|设置通讯参数|成功更新！")}));
}

}  // namespace
}  // namespace gt7p
