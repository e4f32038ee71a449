#include "app/frm_setting.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <algorithm>
#include <exception>

#include "base/cp936.h"
#include "base/text.h"
#include "settings/settings.h"
#include "ui/ui.h"
#include "workflow/workflow.h"

namespace gt7p {
namespace {

// The check list keeps each entry's caption as the bytes it came with, so
// that the result gives back exactly what came in, convertible or not.
constexpr int kCaptionBytesRole = Qt::UserRole;

ErrorReporter& DefaultErrorReporter() {
  static ErrorReporter reporter;
  return reporter;
}

std::string ItemBytes(const QVariant& data) { return data.toByteArray().toStdString(); }

// The program's picture: the instrument with three traces on its screen.
QPixmap InstrumentArtwork() {
  QPixmap pixmap(49, 49);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(40, 52, 84), 1.5));
  p.setBrush(QColor(232, 180, 60));
  p.drawRoundedRect(QRectF(3.5, 6.5, 42, 36), 5, 5);
  p.setBrush(QColor(24, 40, 40));
  p.drawRect(QRectF(8.5, 11.5, 32, 22));
  p.setPen(QPen(QColor(90, 230, 120), 1.2));
  for (int trace = 0; trace < 3; ++trace) {
    const double y0 = 16.5 + trace * 7;
    QPainterPath path(QPointF(10, y0));
    for (int x = 0; x <= 28; ++x) {
      const double swing = (x > 6 + trace * 5 && x < 16 + trace * 5) ? ((x % 2) ? -3.0 : 3.0) : 0.0;
      path.lineTo(10 + x, y0 + swing * (1.0 - 0.2 * trace));
    }
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(40, 52, 84));
  p.drawEllipse(QRectF(33, 36, 4, 4));
  p.drawEllipse(QRectF(39, 36, 4, 4));
  return pixmap;
}

QLabel* MakeLabel(QWidget* parent, const char* text, int left, int top) {
  QLabel* label = new QLabel(QString::fromUtf8(text), parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QComboBox* MakeDropDown(QWidget* parent, int left, int top, bool elideMiddle = false) {
  QComboBox* box = elideMiddle ? new TMiddleElidedComboBox(parent) : new QComboBox(parent);
  box->setGeometry(left, top, 137, 20);
  return box;
}

QPushButton* MakeButton(QWidget* parent, const char* text, int left, int top, int width) {
  QPushButton* button = new QPushButton(QString::fromUtf8(text), parent);
  button->setGeometry(left, top, width, 25);
  return button;
}

bool DefaultAskYesNo(QWidget* owner, const QString& title, const QString& text) {
  return QMessageBox::question(owner, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void DefaultShowInformation(QWidget* owner, const QString& title, const QString& text) {
  QMessageBox::information(owner, title, text);
}

void FallbackReportError(const std::string& message) {
  QWidget* owner = QApplication::activeModalWidget();
  QMessageBox::critical(owner, QGuiApplication::applicationDisplayName(), FromCore(message));
}

}  // namespace

TMiddleElidedComboBox::TMiddleElidedComboBox(QWidget* parent) : QComboBox(parent) {
  connect(this, &QComboBox::currentIndexChanged, this, [this] { setToolTip(currentText()); });
}

QString TMiddleElidedComboBox::FaceText() const {
  QStyleOptionComboBox option;
  initStyleOption(&option);
  const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
  return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, field.width());
}

void TMiddleElidedComboBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  option.currentText = FaceText();
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void SetSettingErrorReporter(ErrorReporter reporter) { DefaultErrorReporter() = std::move(reporter); }

TfrmSetting::TfrmSetting(PortLister listPorts, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      AskYesNo(DefaultAskYesNo),
      ShowInformation(DefaultShowInformation),
      ReportError(DefaultErrorReporter() ? DefaultErrorReporter() : ErrorReporter(FallbackReportError)),
      listPorts_(listPorts ? std::move(listPorts) : PortLister(ListSerialPorts)) {
  InstallFontSubstitutes();
  setFont(QFont(SongFamily(), 9));
  setFixedSize(358, 261);

  Image1 = new QLabel(this);
  Image1->setGeometry(19, 18, 49, 49);
  Image1->setPixmap(InstrumentArtwork());

  lblCommPort = MakeLabel(this, "选择通讯串口(&P)：", 96, 21);
  Label2 = MakeLabel(this, "选择通讯对象(&O)：", 96, 45);
  Label1 = MakeLabel(this, "接收延时秒数(&B)：", 96, 69);
  Label3 = MakeLabel(this, "定制列表信息(&L)：", 96, 96);
  lblTip = MakeLabel(this, "", 16, 120);

  cbCommPort = MakeDropDown(this, 200, 17, true);
  cbCommObj = MakeDropDown(this, 200, 41);
  cbCommTimeOut = MakeDropDown(this, 200, 65);
  cbCommTimeOut->setToolTip(QString::fromUtf8("文件越大延时越长"));

  btnGetDefList = new QPushButton(QString::fromUtf8("默认列表信息 &D"), this);
  btnGetDefList->setGeometry(200, 90, 137, 24);

  chlbSetting = new QListWidget(this);
  chlbSetting->setGeometry(96, 120, 241, 89);
  chlbSetting->setSelectionMode(QAbstractItemView::SingleSelection);
  chlbSetting->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

  chkEndWhenComplete = new QCheckBox(QString::fromUtf8("收全即止"), this);
  chkEndWhenComplete->setGeometry(16, 192, 78, 18);
  chkEndWhenComplete->setChecked(true);
  chkEndWhenComplete->setToolTip(
      QString::fromUtf8("应答收全后稍候即结束接收，不等满接收延时；\n取消勾选则每次都等满延时"));

  btnInsU2C = MakeButton(this, "更新USB转串口驱动", 24, 220, 129);
  btnInsU2C->setFocusPolicy(Qt::ClickFocus);  // not reached with Tab
  btnSetting = MakeButton(this, "通讯 &S", 192, 220, 68);
  btnSetting->setDefault(true);
  btnCancel = MakeButton(this, "取消 &C", 269, 220, 68);

  lblCommPort->setBuddy(cbCommPort);
  Label2->setBuddy(cbCommObj);
  Label1->setBuddy(cbCommTimeOut);
  Label3->setBuddy(chlbSetting);

  setTabOrder(btnSetting, btnCancel);
  setTabOrder(btnCancel, cbCommPort);
  setTabOrder(cbCommPort, cbCommObj);
  setTabOrder(cbCommObj, cbCommTimeOut);
  setTabOrder(cbCommTimeOut, btnGetDefList);
  setTabOrder(btnGetDefList, chlbSetting);
  setTabOrder(chlbSetting, chkEndWhenComplete);
  btnSetting->setFocus();

  chlbSetting->viewport()->installEventFilter(this);
  chlbSetting->installEventFilter(this);

  connect(btnSetting, &QPushButton::clicked, this, [this] { btnSettingClick(); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
  connect(btnGetDefList, &QPushButton::clicked, this, [this] { btnGetDefListClick(); });
  // Nothing may leave a slot into Qt's event loop: the error goes to the
  // application's error box here and the dialog stays open.
  connect(btnInsU2C, &QPushButton::clicked, this, [this] {
    try {
      btnInsU2CClick();
    } catch (const std::exception& e) {
      ReportError(e.what());
    } catch (...) {
      ReportError(std::string());
    }
  });
}

void TfrmSetting::Prepare(const std::string& PortName, const std::string& TargetText,
                          const std::string& DelayText, const std::string& ColumnChoice,
                          const std::string& DefaultColumns) {
  // The tip's lines end in CR LF; QLabel breaks at LF alone.
  lblTip->setText(QString::fromUtf8("快捷键说明：\nCTRL+A 全选\nCTRL+Z 全不选\nCTRL+I 反选"));
  QPalette tipPalette = lblTip->palette();
  tipPalette.setColor(QPalette::WindowText, QColor(128, 128, 128));
  lblTip->setPalette(tipPalette);
  lblTip->adjustSize();
  setWindowTitle(QString::fromUtf8("设置通讯参数"));

  InitialPort = PortName;
  FillPortList(PortName);

  cbCommObj->clear();
  for (const std::string& entry : TargetEntries()) cbCommObj->addItem(FromCore(entry));
  cbCommObj->setCurrentIndex(TargetIndex(TargetText));

  cbCommTimeOut->clear();
  for (const std::string& entry : DelayEntries()) cbCommTimeOut->addItem(FromCore(entry));
  cbCommTimeOut->setCurrentIndex(DelayIndex(DelayText));

  DefaultList = DefaultColumns.empty() ? ColumnChoice : DefaultColumns;
  FillColumnList(ColumnChoice);
}

std::string TfrmSetting::CommSettingsText() const {
  CommSettings settings;
  settings.portName = PortOfEntry(ItemBytes(cbCommPort->currentData()));
  settings.commTarget = cbCommObj->currentIndex();
  settings.receiveDelay = StrToIntDef(cbCommTimeOut->currentText().toStdString(), 0);
  std::vector<ColumnLine> lines;
  for (int i = 0; i < chlbSetting->count(); ++i) {
    const QListWidgetItem* item = chlbSetting->item(i);
    lines.push_back(ColumnLine{item->checkState() == Qt::Checked, ItemBytes(item->data(kCaptionBytesRole))});
  }
  settings.columnChoice = ColumnChoiceText(lines);
  return gt7p::CommSettingsText(settings);
}

void TfrmSetting::FillPortList(const std::string& portName) {
  const std::vector<std::string> entries = listPorts_();
  cbCommPort->clear();
  if (entries.empty()) {
    lblCommPort->setText(QString::fromUtf8("无可用串口！！"));
    lblCommPort->adjustSize();
    QPalette labelPalette = lblCommPort->palette();
    labelPalette.setColor(QPalette::WindowText, Qt::red);
    lblCommPort->setPalette(labelPalette);
    // A drop-down list paints its face with Button, its list with Base.
    QPalette boxPalette = cbCommPort->palette();
    boxPalette.setColor(QPalette::Button, Qt::red);
    boxPalette.setColor(QPalette::Base, Qt::red);
    cbCommPort->setPalette(boxPalette);
    return;
  }
  for (const std::string& entry : entries) {
    cbCommPort->addItem(FromCore(entry), QByteArray::fromStdString(entry));
    cbCommPort->setItemData(cbCommPort->count() - 1, FromCore(entry), Qt::ToolTipRole);
  }
  const PortEntryChoice choice = ChoosePortEntry(entries, portName);
  cbCommPort->view()->setMinimumWidth(choice.dropDownWidth);
  cbCommPort->setCurrentIndex(choice.selected);
}

void TfrmSetting::FillColumnList(const std::string& columnChoice) {
  const int topIndex = chlbSetting->verticalScrollBar()->value();
  const int selectedIndex = chlbSetting->currentRow();
  chlbSetting->clear();
  for (const ColumnLine& line : ReadColumnChoice(columnChoice)) {
    QListWidgetItem* item = new QListWidgetItem(FromCore(line.caption));
    // Not user-checkable: the control never toggles on its own (check box
    // press, space key), so only the handlers below change a mark.
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    item->setCheckState(line.shown ? Qt::Checked : Qt::Unchecked);
    item->setData(kCaptionBytesRole, QByteArray::fromStdString(line.caption));
    chlbSetting->addItem(item);
  }
  if (selectedIndex >= 0 && selectedIndex < chlbSetting->count()) {
    chlbSetting->setCurrentRow(selectedIndex);
  }
  if (chlbSetting->count() > 0) {
    chlbSetting->scrollToItem(chlbSetting->item(std::min(topIndex, chlbSetting->count() - 1)),
                              QAbstractItemView::PositionAtTop);
  }
}

void TfrmSetting::btnSettingClick() {
  if (cbCommPort->currentIndex() < 0 || cbCommObj->currentIndex() < 0) {
    return;
  }
  if (chlbSetting->count() > 1) {
    chlbSetting->item(0)->setCheckState(Qt::Checked);
  }
  accept();
}

void TfrmSetting::btnCancelClick() { reject(); }

void TfrmSetting::btnGetDefListClick() {
  FillColumnList(DefaultList);
  chlbSetting->setFocus();
}

void TfrmSetting::btnInsU2CClick() {
  const QString title = windowTitle();
  if (!AskYesNo(MessageOwner(), title, QString::fromUtf8("要更新USB转串口驱动？")) || !LoadNewDev()) {
    return;
  }
  setEnabled(false);
  const char* outcome = "更新失败！";
  const auto restore = [&] {
    setEnabled(true);
    UnloadNewDev();
    ShowInformation(MessageOwner(), title, QString::fromUtf8(outcome));
    // A port that the new driver brought shows up now.
    FillPortList(InitialPort);
  };
  try {
    UpdateAdapterDrivers();
  } catch (...) {
    restore();
    throw;
  }
  outcome = "成功更新！";
  restore();
}

void TfrmSetting::chlbSettingMouseDown(Qt::MouseButton button, const QPoint& pos) {
  if (button != Qt::LeftButton) {
    return;
  }
  // Below the last entry there is no item.
  if (QListWidgetItem* item = chlbSetting->itemAt(pos)) {
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

bool TfrmSetting::chlbSettingKeyDown(int key, Qt::KeyboardModifiers modifiers) {
  if ((modifiers & ~Qt::KeypadModifier) != Qt::ControlModifier) {
    return false;
  }
  if (key != Qt::Key_A && key != Qt::Key_Z && key != Qt::Key_I) {
    return false;
  }
  for (int i = 0; i < chlbSetting->count(); ++i) {
    QListWidgetItem* item = chlbSetting->item(i);
    const bool checked = key == Qt::Key_A || (key == Qt::Key_I && item->checkState() != Qt::Checked);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
  }
  return true;
}

bool TfrmSetting::eventFilter(QObject* watched, QEvent* event) {
  // A double click's second press comes as a double-click event instead of
  // a press: it toggles like one.
  if (watched == chlbSetting->viewport() &&
      (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick)) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    chlbSettingMouseDown(mouse->button(), mouse->position().toPoint());
  } else if (watched == chlbSetting && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (chlbSettingKeyDown(key->key(), key->modifiers())) {
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}

QWidget* TfrmSetting::MessageOwner() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (qobject_cast<QMainWindow*>(widget) != nullptr && widget->isVisible()) {
      return widget;
    }
  }
  return this;
}

std::string EditCommSettings(LineSettings& settings, const std::string& DefaultColumns,
                             const PortLister& listPorts, QWidget* parent) {
  TfrmSetting dialog(listPorts, parent);
  dialog.Prepare(settings.portName, std::to_string(settings.commTarget), std::to_string(settings.receiveDelay),
                 settings.columnChoice, DefaultColumns);
  dialog.chkEndWhenComplete->setChecked(!settings.fullSilence);
  if (const QScreen* screen = dialog.screen()) {
    const QRect desktop = screen->virtualGeometry();
    dialog.move(desktop.center() - QPoint(dialog.width() / 2, dialog.height() / 2));
  }
  // Only btnSetting accepts; Esc, the cancel button and the close box reject.
  if (dialog.exec() != QDialog::Accepted) {
    return std::string();
  }
  settings.fullSilence = !dialog.chkEndWhenComplete->isChecked();
  return dialog.CommSettingsText();
}

}  // namespace gt7p
