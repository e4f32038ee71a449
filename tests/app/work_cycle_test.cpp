// The whole work cycle on the real window against the simulated instrument:
// refresh, list, save with the overwrite prompt, failures, closing during a
// command. The rules themselves are table tests (tests/workflow); here one
// case each shows that the window applies them. On Windows the instrument
// is a simulator behind a COM port (tests/support/cycle_instrument.h), and
// the cases take turns at it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QToolButton>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>

#include "app/frm_gt7p.h"
#include "app/frm_ow.h"
#include "base/cp936.h"
#include "base/messages.h"
#include "records/converter.h"
#include "records/field_table.h"
#include "app/frm_setting.h"
#include "sim/record_maker.h"
#include "tests/support/comma_locale.h"
#include "tests/support/cycle_instrument.h"
#include "tests/support/files.h"
#include "tests/support/link_test_support.h"
#include "tests/app/list_cells.h"
#include "viewer/window/frm_view.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

using test::G;

std::string Slurp(const fs::path& p) { return test::ReadFile(p); }

class WorkCycle : public ::testing::Test {
 protected:
  void SetUp() override { Start(false); }
  // `namedPort`: the instrument's port given as with --port, not through
  // the settings hook.
  void Start(bool faultyHandshake, bool namedPort = false) {
    window_.reset();
    instrument_ = test::StartCycleInstrument(faultyHandshake);
    if (!instrument_) GTEST_SKIP() << "no instrument mapped to a COM port (run scripts/test-windows.sh)";
    std::vector<std::string> extraPorts;
    if (namedPort) extraPorts.push_back(NamedPortEntry(instrument_->Port()));
    window_ = std::make_unique<TfrmGT7P>(std::vector<std::string>{Utf8FromPath(folder_.path())}, extraPorts);
    window_->Link().SetCacheFolders({folder_.path()});
    window_->Link().SetSecondForTesting(instrument_->SecondMs());
    window_->errorBoxHook = [this](const std::string& m) { errors_.push_back(m); };
    if (!namedPort) Answer(0);
  }
  void TearDown() override { window_.reset(); }

  // The settings dialog answered with the simulator's port, `target` and a
  // receive delay of 1 s (these tests are not about timing).
  void Answer(int target) {
    window_->settingsHook = [this, target](LineSettings& shown, const std::string&) {
      return instrument_->Port() + "," + std::to_string(target) + ",1," + shown.columnChoice;
    };
  }
  void Refresh() { window_->tbnRefresh->click(); }
  void Select(std::vector<int> rows) {
    window_->lvw->clearSelection();
    for (int r : rows) {
      if (r >= window_->lvw->listModel()->RowCount()) ADD_FAILURE() << "no row " << r << " to select";
      window_->lvw->selectionModel()->select(window_->lvw->listModel()->index(r, 0),
                                             QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
  }
  // A row's caption, its status cell; a missing one fails the test.
  std::string Caption(int row) { return test::Cell(*window_->lvw->listModel(), row, 0); }
  std::string Status(int row) { return test::Cell(*window_->lvw->listModel(), row, 1); }

  // Answers every overwrite prompt with the button `name`; counts prompts.
  void AnswerPrompts(const char* name) {
    auto* timer = new QTimer(window_.get());
    connect(timer, &QTimer::timeout, [this, name] {
      if (auto* prompt = qobject_cast<TfrmOW*>(QApplication::activeModalWidget())) {
        if (prompt->property("answered").toBool()) return;
        prompt->setProperty("answered", true);
        ++prompts_;
        EXPECT_EQ(prompt->windowTitle().toStdString(), Cp936ToUtf8(window_->AppTitle));
        QMetaObject::invokeMethod(prompt->findChild<QPushButton*>(name), "click", Qt::QueuedConnection);
      }
    });
    timer->start(20);
  }
  static void connect(QTimer* t, decltype(&QTimer::timeout) s, std::function<void()> f) { QObject::connect(t, s, f); }

  const std::vector<sim::SurveyFile> files_ = test::CycleMemoryFiles();
  std::unique_ptr<test::CycleInstrument> instrument_;
  test::TempDir folder_;
  const fs::path dest_ = folder_.path();
  std::unique_ptr<TfrmGT7P> window_;
  std::vector<std::string> errors_;
  int prompts_ = 0;
};

TEST_F(WorkCycle, RefreshListsTheDirectory) {
  Refresh();
  EXPECT_TRUE(errors_.empty());
  FileListModel* m = window_->lvw->listModel();
  ASSERT_EQ(m->RowCount(), 3);
  ASSERT_EQ(m->ColumnCount(), 12);
  EXPECT_EQ(Caption(0), "AB      .DAT");
  EXPECT_EQ(m->Row(0).imageIndex, 5);
  EXPECT_EQ(Status(0), " ");
  EXPECT_EQ(m->ColumnAt(1).caption, G("　状态　"));
  EXPECT_EQ(m->ColumnAt(2).caption, G("字节数量"));
  EXPECT_EQ(m->ColumnAt(11).caption, G("探测方法"));
  EXPECT_EQ(test::Cell(*m, 1, 7), "2");  // 道数
  EXPECT_EQ(window_->lblTray->text().toStdString(), "仪器目录");
  EXPECT_EQ(window_->Settings.portName, instrument_->Port());
  EXPECT_EQ(window_->Settings.receiveDelay, 1);
  EXPECT_TRUE(window_->cbr->isEnabled());
  EXPECT_FALSE(fs::exists(dest_ / "GT7PCache.tmp"));
  EXPECT_EQ(window_->stbPanel->text().toStdString(), "   待命");

  Answer(1);
  Refresh();
  ASSERT_EQ(m->RowCount(), 1);
  EXPECT_EQ(Caption(0), "KA0001  .DAT");
  EXPECT_EQ(window_->lblTray->text().toStdString(), "存储卡目录");
}

TEST_F(WorkCycle, SaveWritesWhatTheConverterMakes) {
  Refresh();
  Select({0, 2});
  window_->tbnGetFile->click();
  EXPECT_TRUE(errors_.empty()) << Cp936ToUtf8(errors_.empty() ? "" : errors_[0]);
  EXPECT_EQ(Status(0), G("保存完毕"));
  EXPECT_EQ(Status(1), " ");
  EXPECT_EQ(Status(2), G("保存完毕"));
  // The same bytes as converting the instrument's file directly.
  for (int i : {0, 2}) {
    const std::string name = files_.at(static_cast<size_t>(i)).name;
    fs::path expected = dest_ / ("expected-" + name);
    std::ofstream(expected, std::ios::binary) << sim::MakeRawFile(files_.at(static_cast<size_t>(i)));
    ASSERT_TRUE(ConvertRawFile(expected, QfxFormat()));
    fs::path saved = dest_ / (name.substr(0, name.find('.')) + ".QFX");
    EXPECT_EQ(Slurp(saved), Slurp(expected)) << saved;
  }
  EXPECT_EQ(prompts_, 0);
}

// A destination folder from the command line that code page 936 can't hold
// is the folder the files go to; only the caption shows "?" for what its
// text can't hold.
TEST_F(WorkCycle, SavesIntoAFolderBeyondCodePage936) {
  const fs::path odd = dest_ / fs::u8path("d\xF0\x9F\x98\x80 Bj\xC3\xB6rn");
  ASSERT_TRUE(fs::create_directory(odd));
  window_ = std::make_unique<TfrmGT7P>(std::vector<std::string>{Utf8FromPath(odd)});
  window_->Link().SetCacheFolders({dest_});
  window_->Link().SetSecondForTesting(instrument_->SecondMs());
  window_->errorBoxHook = [this](const std::string& m) { errors_.push_back(m); };
  Answer(0);
  Refresh();
  Select({0});
  window_->tbnGetFile->click();
  EXPECT_TRUE(errors_.empty()) << Cp936ToUtf8(errors_.empty() ? "" : errors_[0]);
  EXPECT_EQ(Status(0), G("保存完毕"));
  EXPECT_TRUE(fs::is_regular_file(odd / "AB.QFX"));
  EXPECT_EQ(std::distance(fs::directory_iterator(dest_), {}), 1);  // nothing beside it under another name
  EXPECT_NE(window_->windowTitle().toStdString().find("d? Bj?rn"), std::string::npos);
}

// Qt takes LC_NUMERIC from the environment: under a decimal comma the
// fixed-point fields ("4.20") must still read as numbers.
TEST_F(WorkCycle, SavesUnderADecimalCommaLocale) {
  Refresh();
  Select({0});
  {
    const test::CommaLocale comma;
    ASSERT_FALSE(comma.name().empty()) << test::CommaLocale::Missing();
    window_->tbnGetFile->click();
  }
  EXPECT_TRUE(errors_.empty()) << Cp936ToUtf8(errors_.empty() ? "" : errors_[0]);
  EXPECT_EQ(Status(0), G("保存完毕"));
  fs::path expected = dest_ / "expected";
  std::ofstream(expected, std::ios::binary) << sim::MakeRawFile(files_[0]);
  ASSERT_TRUE(ConvertRawFile(expected, QfxFormat()));
  EXPECT_EQ(Slurp(dest_ / "AB.QFX"), Slurp(expected));
}

TEST_F(WorkCycle, OverwriteAllAsksOnce) {
  Refresh();
  std::ofstream(dest_ / "AB.QFX") << "old";
  std::ofstream(dest_ / "CD0002.QFX") << "old";
  Select({0, 1});
  AnswerPrompts("Button1");
  window_->tbnGetFile->click();
  EXPECT_EQ(prompts_, 1);
  EXPECT_EQ(Status(0), G("覆盖完毕"));
  EXPECT_EQ(Status(1), G("覆盖完毕"));
  EXPECT_NE(Slurp(dest_ / "CD0002.QFX"), "old");
}

TEST_F(WorkCycle, StopEndsTheCommand) {
  Refresh();
  std::ofstream(dest_ / "AB.QFX") << "old";
  Select({0, 1});
  AnswerPrompts("btnOW");
  window_->tbnGetFile->click();
  EXPECT_EQ(prompts_, 1);
  EXPECT_EQ(Status(0), G("终止保存"));
  EXPECT_EQ(Status(1), " ");
  EXPECT_FALSE(fs::exists(dest_ / "CD0002.QFX"));
  EXPECT_EQ(Slurp(dest_ / "AB.QFX"), "old");
  EXPECT_TRUE(window_->cbr->isEnabled());
}

TEST_F(WorkCycle, SkipThisByDefaultButton) {
  Refresh();
  std::ofstream(dest_ / "AB.QFX") << "old";
  Select({0});
  AnswerPrompts("Button4");
  window_->tbnGetFile->click();
  EXPECT_EQ(Status(0), G("略过"));
  EXPECT_EQ(Slurp(dest_ / "AB.QFX"), "old");
}

// The port named on the command line is offered first and selected; the
// real dialog's answer reaches the instrument through it (a pseudo-terminal
// here, a COM port Wine maps on Windows).
TEST_F(WorkCycle, NamedPortThroughTheSettingsDialog) {
  Start(false, true);
  if (IsSkipped()) return;
  QStringList offered;
  auto* timer = new QTimer(window_.get());
  QObject::connect(timer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<TfrmSetting*>(QApplication::activeModalWidget())) {
      timer->stop();
      for (int i = 0; i < dialog->cbCommPort->count(); ++i) offered << dialog->cbCommPort->itemText(i);
      EXPECT_EQ(dialog->cbCommPort->currentIndex(), 0);
      dialog->cbCommTimeOut->setCurrentIndex(0);  // 3 s, the shortest
      QMetaObject::invokeMethod(dialog->btnSetting, "click", Qt::QueuedConnection);
    }
  });
  timer->start(20);
  Refresh();
  ASSERT_FALSE(offered.isEmpty());
  EXPECT_EQ(offered[0].toStdString(), Cp936ToUtf8(NamedPortEntry(instrument_->Port())));
  EXPECT_EQ(offered.filter(QString::fromStdString(Cp936ToUtf8(instrument_->Port())) + " ").size(), 1);
  EXPECT_TRUE(errors_.empty()) << Cp936ToUtf8(errors_.empty() ? "" : errors_[0]);
  EXPECT_EQ(window_->lvw->listModel()->RowCount(), 3);
  EXPECT_EQ(window_->Settings.portName, instrument_->Port());
}

// The settings of a listing come back in the next window (its initial
// state), kept in the native store: the registry on Windows.
TEST_F(WorkCycle, SettingsSurviveARestart) {
  QSettings::setDefaultFormat(QSettings::NativeFormat);
  struct Back {
    ~Back() { QSettings::setDefaultFormat(QSettings::IniFormat); }
  } back;
  const std::string columns = test::Columns({1, 3});
  window_->settingsHook = [this, columns](LineSettings& shown, const std::string&) {
    shown.fullSilence = true;  // the dialog's check box cleared
    return instrument_->Port() + ",1,5," + columns;
  };
  Refresh();
  ASSERT_TRUE(errors_.empty()) << Cp936ToUtf8(errors_[0]);
  ASSERT_EQ(window_->lvw->listModel()->RowCount(), 1);  // the card's
  window_.reset();

  const TfrmGT7P again(std::vector<std::string>{Utf8FromPath(folder_.path())});
  EXPECT_EQ(again.Settings.portName, instrument_->Port());
  EXPECT_EQ(again.Settings.commTarget, 1);
  EXPECT_EQ(again.Settings.receiveDelay, 5);
  EXPECT_EQ(again.Settings.columnChoice, columns);
  EXPECT_TRUE(again.Settings.fullSilence);
  EXPECT_FALSE(again.Settings.autoDetectPort);
  // Where the README says: HKCU\Software\gt7p\gt7p, or gt7p/gt7p.conf in the
  // user's configuration folder (the tests' own folder here).
  QSettings store(QSettings::NativeFormat, QSettings::UserScope, "gt7p", "gt7p");
  const QString where = store.fileName();
  EXPECT_TRUE(where == "\\HKEY_CURRENT_USER\\Software\\gt7p\\gt7p" || where.endsWith("/gt7p/gt7p.conf"))
      << where.toStdString();
  EXPECT_EQ(store.value("comm/delay").toString().toStdString(), "5");
  store.clear();
}

// "自动检测": the ports are tried as the dialog offers them (the one named on
// the command line first) and the listing uses the one that answers; the
// status bar names it. While the directory and the file came in, the
// progress bar showed; its text keeps the last count once it is gone (for
// a save, the batch's).
TEST_F(WorkCycle, AutoDetectedPortAndProgress) {
  Start(false, true);
  if (IsSkipped()) return;
  window_->settingsHook = [](LineSettings& shown, const std::string&) {
    return AutoDetectPortName() + ",0,1," + shown.columnChoice;
  };
  bool barShown = false;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, [&] { barShown = barShown || !window_->pbrTransfer->isHidden(); });
  look.start(5);
  Refresh();
  ASSERT_TRUE(errors_.empty()) << Cp936ToUtf8(errors_[0]);
  EXPECT_EQ(window_->lvw->listModel()->RowCount(), 3);
  EXPECT_EQ(window_->Settings.portName, instrument_->Port());
  EXPECT_TRUE(window_->Settings.autoDetectPort);
  EXPECT_EQ(window_->lblPort->text().toStdString(), Cp936ToUtf8(instrument_->Port()) + "（自动检测）");
  EXPECT_EQ(window_->lblPort->toolTip().toStdString(), "已试：" + Cp936ToUtf8(instrument_->Port()) + " 找到仪器");
  EXPECT_TRUE(barShown);
  EXPECT_TRUE(window_->pbrTransfer->isHidden());
  EXPECT_EQ(window_->lblTransfer->text().toStdString(), "已收 956/956 字符  剩余 0 秒");  // 8 + 3 x 316

  barShown = false;
  Select({0});
  window_->tbnGetFile->click();
  EXPECT_EQ(Status(0), G("保存完毕"));
  EXPECT_TRUE(barShown);
  const std::string size = std::to_string(sim::MakeRawFile(files_[0]).size());
  EXPECT_EQ(window_->lblTransfer->text().toStdString(), "第 1/1 个  " + size + "/" + size + " 字符  剩余 0 秒");
}

TEST_F(WorkCycle, FailedHandshakeShowsTheMessage) {
  Start(true);
  if (IsSkipped()) return;
  Refresh();
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], FailureText(Failure::kCardVersionError) + ".");
  EXPECT_EQ(window_->lvw->listModel()->RowCount(), 0);
  EXPECT_EQ(window_->Settings.portName, "");
  EXPECT_TRUE(window_->cbr->isEnabled());
  EXPECT_FALSE(fs::exists(dest_ / "GT7PCache.tmp"));
}

// Closing the window while the instrument talks: the exchange gives up at
// once, its files and the port go, no box shows, and the application's
// event loop ends, as the program does. Each case stands in a silence of
// several seconds that the close must not wait out.
class ClosingWindow : public WorkCycle {
 protected:
  // The window in the application's own loop, as the program runs it;
  // `start` begins the command. Returns the ms from the close to the loop's
  // end, or -1 when the loop did not end by itself.
  int64_t RunUntilClosed(const std::function<void()>& start, const std::function<bool()>& closeNow) {
    window_->show();
    QTimer::singleShot(0, window_.get(), start);
    Clock::time_point closedAt;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (window_->Busy() && closeNow()) {
        watch.stop();
        closedAt = Clock::now();
        window_->close();
      }
    });
    watch.start(10);
    QTimer watchdog;  // never fires when closing works
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QApplication::exit(1); });
    watchdog.start(30000);
    if (QApplication::exec() != 0) return -1;
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - closedAt).count();
  }
  void AnswerDelay(int seconds) {
    window_->settingsHook = [this, seconds](LineSettings& shown, const std::string&) {
      return instrument_->Port() + ",0," + std::to_string(seconds) + "," + shown.columnChoice;
    };
  }
  using Clock = std::chrono::steady_clock;
};

TEST_F(ClosingWindow, DuringTheDirectory) {
  window_->Link().SetSecondForTesting(500);
  AnswerDelay(10);  // 5 s of silence end the directory
  bool cacheThere = false;
  const int64_t ms = RunUntilClosed([this] { Refresh(); }, [&] {
    if (window_->stbPanel->text().indexOf(QString::fromUtf8("正在提取目录信息")) < 0) return false;
    cacheThere = fs::exists(dest_ / "GT7PCache.tmp");
    return true;
  });
  ASSERT_GE(ms, 0) << "the program did not end";
  EXPECT_LT(ms, 3000);
  EXPECT_TRUE(cacheThere);
  EXPECT_TRUE(errors_.empty());  // no box for a window that is closing
  EXPECT_FALSE(window_->isVisible());
  EXPECT_FALSE(window_->Link().IsOpen());
  EXPECT_FALSE(fs::exists(dest_ / "GT7PCache.tmp"));
  EXPECT_EQ(window_->lvw->listModel()->RowCount(), 0);
}

TEST_F(ClosingWindow, DuringATransferThatReplacesAFile) {
  Refresh();
  window_->Settings.receiveDelay = 10;  // 5 s of silence end the file
  window_->Link().SetSecondForTesting(500);
  std::ofstream(dest_ / "AB.QFX") << "old";
  Select({0, 1});
  AnswerPrompts("Button1");
  const int64_t ms =
      RunUntilClosed([this] { window_->tbnGetFile->click(); }, [this] { return instrument_->FileRequested(); });
  ASSERT_GE(ms, 0) << "the program did not end";
  EXPECT_LT(ms, 3000);
  EXPECT_TRUE(errors_.empty());
  EXPECT_FALSE(window_->Link().IsOpen());
  EXPECT_EQ(Slurp(dest_ / "AB.QFX"), "old");
  EXPECT_FALSE(fs::exists(dest_ / "CD0002.QFX"));
  EXPECT_EQ(Status(1), " ");  // the second file's turn never came
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dest_)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 1u) << "a work file was left";
}

// A click on a column header while a file transfers re-sorts the rows
// inside the transfer's event loop; the outcome still lands in the row of
// the file, and every selected file is saved once.
TEST_F(WorkCycle, SortDuringSaveKeepsStatusesWithTheirRows) {
  Refresh();
  Select({0, 2});
  bool sorted = false;
  auto* timer = new QTimer(window_.get());
  QObject::connect(timer, &QTimer::timeout, [&] {
    if (sorted || !window_->Busy()) return;
    for (int r = 0; r < window_->lvw->listModel()->RowCount(); ++r) {
      if (Status(r) != G("正在保存")) continue;
      window_->lvwColumnClick(0);
      window_->lvwColumnClick(0);  // descending: EF, CD, AB
      sorted = true;
      break;
    }
  });
  timer->start(5);
  AnswerPrompts("Button4");  // a row saved twice would ask
  window_->tbnGetFile->click();
  ASSERT_TRUE(sorted);
  EXPECT_EQ(prompts_, 0);
  std::map<std::string, std::string> byName;
  for (int r = 0; r < 3; ++r) byName[Caption(r)] = Status(r);
  EXPECT_EQ(byName["AB      .DAT"], G("保存完毕"));
  EXPECT_EQ(byName["CD0002  .DAT"], " ");
  EXPECT_EQ(byName["EF0003  .DAT"], G("保存完毕"));
  EXPECT_TRUE(fs::exists(dest_ / "EF0003.QFX"));
}

// "查看波形" only on rows that wrote a file in this run, found by the row's
// identity after a re-sort; it opens that file in a viewer of its own.
// Double-click and Enter on a row still start nothing.
TEST_F(WorkCycle, SavedRowsOpenTheirFileInTheViewer) {
  window_->show();
  Refresh();
  std::ofstream(dest_ / "CD0002.QFX") << "old";
  Select({0, 1, 2});
  AnswerPrompts("Button4");  // CD0002 exists: skipped
  window_->tbnGetFile->click();
  ASSERT_EQ(Status(1), G("略过"));
  window_->lvwColumnClick(0);
  window_->lvwColumnClick(0);  // descending: EF, CD, AB
  FileListModel* m = window_->lvw->listModel();
  ASSERT_EQ(Caption(2), "AB      .DAT");

  // The row's context menu as the list shows it: its entries, the first
  // one chosen when `choose`.
  auto menuOf = [this](int row, bool choose) {
    std::vector<std::string> entries;
    window_->menuHook = [&](QMenu& menu) {
      for (QAction* a : menu.actions()) entries.push_back(a->text().toStdString());
      if (choose && !menu.actions().isEmpty()) menu.actions().first()->trigger();
    };
    const QPoint at = window_->lvw->visualRect(window_->lvw->listModel()->index(row, 0)).center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, window_->lvw->viewport()->mapToGlobal(at));
    QApplication::sendEvent(window_->lvw->viewport(), &event);
    return entries;
  };
  auto viewers = [this] { return window_->findChildren<TfrmView*>(); };

  EXPECT_TRUE(menuOf(1, true).empty());  // skipped
  EXPECT_EQ(menuOf(2, true), std::vector<std::string>{"查看波形"});
  ASSERT_EQ(viewers().size(), 1);
  const TfrmView* view = viewers().first();
  EXPECT_EQ(view->fileName(), dest_ / "AB.QFX");
  EXPECT_EQ(view->record().header.channelCount, 2);
  EXPECT_TRUE(view->isVisible() && view->isWindow());

  // A saved file that is gone since: the window's error box, no viewer.
  fs::remove(dest_ / "EF0003.QFX");
  EXPECT_EQ(menuOf(0, true), std::vector<std::string>{"查看波形"});
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0].find(FailureText(Failure::kFileNotFound)), 0u) << Cp936ToUtf8(errors_[0]);
  EXPECT_EQ(viewers().size(), 1);

  const QPoint at = window_->lvw->visualRect(m->index(2, 0)).center();
  QMouseEvent click(QEvent::MouseButtonDblClick, at, window_->lvw->viewport()->mapToGlobal(at), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window_->lvw->viewport(), &click);
  for (int key : {Qt::Key_Return, Qt::Key_Enter}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier), release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(window_->lvw, &press);
    QApplication::sendEvent(window_->lvw, &release);
  }
  QApplication::processEvents();
  EXPECT_EQ(viewers().size(), 1);
  EXPECT_EQ(errors_.size(), 1u);
  EXPECT_EQ(prompts_, 1);
  EXPECT_EQ(Status(2), G("保存完毕"));

  Refresh();  // a new listing: its rows saved nothing yet
  EXPECT_TRUE(menuOf(0, false).empty());
}

// Closing the window closes its viewers; one with picks not yet saved asks,
// and Cancel keeps both windows open.
TEST_F(WorkCycle, ClosingTheWindowAsksForAViewersUnsavedPicks) {
  window_->show();
  Refresh();
  Select({0});
  window_->tbnGetFile->click();
  ASSERT_EQ(Status(0), G("保存完毕"));
  window_->menuHook = [](QMenu& menu) { menu.actions().first()->trigger(); };
  const QPoint at = window_->lvw->visualRect(window_->lvw->listModel()->index(0, 0)).center();
  QContextMenuEvent event(QContextMenuEvent::Mouse, at, window_->lvw->viewport()->mapToGlobal(at));
  QApplication::sendEvent(window_->lvw->viewport(), &event);
  ASSERT_EQ(window_->findChildren<TfrmView*>().size(), 1);
  TfrmView* view = window_->findChildren<TfrmView*>().first();
  const view::SectionGeometry& g = (view->section(), view->sectionGeometry());
  view->SetFirstBreakAt(g.left + g.width / 2, static_cast<int>(g.Baseline(0)));  // a pick of the operator's
  ASSERT_TRUE(view->picksChanged());
  int asked = 0, answer = QMessageBox::Cancel;
  view->savePicksQuestionHook = [&] { return ++asked, answer; };
  EXPECT_FALSE(window_->close());
  EXPECT_TRUE(window_->isVisible() && view->isVisible());
  answer = QMessageBox::Save;
  EXPECT_TRUE(window_->close());
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(fs::exists(dest_ / "AB.picks.csv"));
}

}  // namespace
}  // namespace gt7p
