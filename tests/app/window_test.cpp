// The main window on real widgets, offscreen: start-up from the command
// line, the status line, the list's sorting and selection, the error box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QHeaderView>
#include <QLabel>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QDir>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include <QKeyEvent>
#include <filesystem>
#include <fstream>

#include "app/folder_browser.h"
#include "app/frm_gt7p.h"
#include "app/help_window.h"
#include "ui/ui.h"
#include "base/cp936.h"
#include "base/file_names.h"
#include "base/local_folders.h"
#include "base/messages.h"
#include "settings/driver_binding.h"
#include "tests/app/list_cells.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {

using test::G;
QString Q(const char* utf8) { return QString::fromUtf8(utf8); }
// The folder delimiter the window appends: "\" on Windows, "/" elsewhere.
const std::string kSep(1, static_cast<char>(std::filesystem::path::preferred_separator));

bool ShownInToolbar(TfrmGT7P& w, QWidget* widget) {
  for (QAction* a : w.tbr->actions())
    if (w.tbr->widgetForAction(a) == widget) return a->isVisible();
  return false;
}

std::unique_ptr<TfrmGT7P> Window(std::vector<const char*> params) {
  // The window's parameters are UTF-8, as the program takes them from its command line.
  return std::make_unique<TfrmGT7P>(std::vector<std::string>(params.begin(), params.end()));
}

TEST(StartUp, NoParameters) {
  auto w = Window({});
  EXPECT_EQ(w->windowTitle(), Q("PRX4470-2 数据文件提取软件"));
  EXPECT_TRUE(w->tbnSaveToQFX->isChecked());
  EXPECT_FALSE(w->tbnSaveToESP->isChecked());
  EXPECT_FALSE(w->tbnSaveToESP->isEnabled());
  EXPECT_FALSE(w->tbnOrgData->isEnabled());
  EXPECT_FALSE(ShownInToolbar(*w, w->tbnUPDir));
  EXPECT_TRUE(ShownInToolbar(*w, w->tbnSelDir));
  EXPECT_TRUE(w->tbnSelDirSpr->isVisible());
  EXPECT_EQ(w->ToolHint(w->tbnSelDir), G("指定目标文件夹"));
  EXPECT_EQ(w->DestFolder, "");
  EXPECT_EQ(w->Settings.receiveDelay, 3);
  EXPECT_EQ(w->Sort.SortColumn, -1);
  EXPECT_EQ(w->stbPanel->text(), Q("   待命"));
  EXPECT_FALSE(w->pnlTray->isVisibleTo(w.get()));
  EXPECT_EQ(w->lblTray->text(), Q("仪器"));
  EXPECT_EQ(w->DialogIcon.size(), QSize(22, 22));
  EXPECT_EQ(w->tbnRefresh->property("Tag").toInt(), 1);
  EXPECT_EQ(w->tbnHelp->toolTip(), QString());
}

TEST(StartUp, DestinationFolderAndTitle) {
  auto w = Window({"  /data ", "  My Title "});
  EXPECT_EQ(w->DestFolder, "/data" + kSep);
  EXPECT_EQ(w->AppTitle, "My Title");
  EXPECT_EQ(w->ToolHint(w->tbnSelDir), G("指定目标文件夹：/data") + kSep);
  EXPECT_EQ(w->windowTitle(), Q("My Title（指定目标文件夹：/data") + QString::fromStdString(kSep) + Q("）"));
  EXPECT_EQ(w->ApplicationTitle, G("My Title（指定目标文件夹：/data") + kSep + G("）"));
}

TEST(StartUp, FormatAndFolderLock) {
  auto esp = Window({"", "", "ESP", "DontSelDir"});
  EXPECT_TRUE(esp->tbnSaveToESP->isChecked());
  EXPECT_FALSE(esp->tbnSaveToQFX->isChecked());
  EXPECT_FALSE(ShownInToolbar(*esp, esp->tbnSelDir));
  EXPECT_FALSE(esp->tbnSelDirSpr->isVisible());
  // ESP is down but disabled: QFX takes over, and ESP cannot come back.
  esp->tbnSaveToQFX->click();
  EXPECT_TRUE(esp->tbnSaveToQFX->isChecked());
  EXPECT_FALSE(esp->tbnSaveToESP->isChecked());
  esp->tbnSaveToESP->click();
  EXPECT_FALSE(esp->tbnSaveToESP->isChecked());
  esp->tbnSaveToQFX->click();  // pressing the one that is down keeps it down
  EXPECT_TRUE(esp->tbnSaveToQFX->isChecked());
}

TEST(StatusLine, TextsHintsAndDots) {
  auto w = Window({"/data"});
  w->SetStatusText("   ");
  EXPECT_EQ(w->stbPanel->text(), Q("   待命"));
  w->SetStatusText(G(" 正在连接端口 /dev/ttyS0 ..."));
  EXPECT_EQ(w->stbPanel->text(), Q("    正在连接端口 /dev/ttyS0 ..."));
  QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
  QApplication::sendEvent(w->tbnSelDir, &enter);
  EXPECT_EQ(w->stbPanel->text(), Q("   指定目标文件夹：/data") + QString::fromStdString(kSep));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(w->tbnSelDir, &leave);
  EXPECT_EQ(w->stbPanel->text(), Q("    正在连接端口 /dev/ttyS0 ..."));
  QApplication::sendEvent(w->tbnHelp, &enter);  // no hint: the status text stays
  EXPECT_EQ(w->stbPanel->text(), Q("    正在连接端口 /dev/ttyS0 ..."));
  QStringList dots;
  for (int i = 0; i < 6; ++i) {
    w->tmrWorkingTimer();
    dots << w->stbPanel->text().trimmed();
  }
  EXPECT_EQ(dots, QStringList({Q("●●"), Q("●●●"), Q("●●●●"), Q("●●●●●"), Q("●"), Q("●●")}));
}

// The batch's text beside the file's bar, at the window's first width and
// at its narrowest: it never runs under the bar, the status panel keeps
// room for its text and five dots, and a shortened text has the whole one
// as its tool tip.
TEST(StatusLine, BatchTextFitsBesideTheBarAndTheDots) {
  auto w = Window({});
  w->show();
  ASSERT_EQ(w->width(), 563);
  w->Batch.Begin(4, 0);
  w->Batch.FileTurn();
  w->Batch.Update(60000, 60000, 30);
  w->Batch.FileDone();
  w->Batch.FileTurn();
  w->Batch.Update(13947, 120056, 37);
  w->SetStatusText(G("正在保存文件：ZS000002.DAT..."));
  w->pbrTransfer->show();
  const QString full = FromCore(BatchProgressTexts(w->Batch).front());
  auto check = [&](const char* where, bool wholeStatus) {
    SCOPED_TRACE(where);
    w->ShowBatch();
    QCoreApplication::processEvents();
    const QRect label = w->lblTransfer->geometry(), bar = w->pbrTransfer->geometry(),
                panel = w->stbPanel->geometry();
    EXPECT_LE(w->lblTransfer->fontMetrics().horizontalAdvance(w->lblTransfer->text()),
              w->lblTransfer->contentsRect().width());
    EXPECT_LE(label.right(), bar.left());
    EXPECT_LE(panel.right(), label.left());
    for (int tick = 0; tick < 5; ++tick) {
      const QString shown = w->stbPanel->text();
      if (wholeStatus) {
        EXPECT_LE(w->stbPanel->fontMetrics().horizontalAdvance(shown), w->stbPanel->contentsRect().width())
            << shown.toStdString();
      }
      w->tmrWorkingTimer();
    }
    w->stbHint();
    EXPECT_EQ(w->lblTransfer->toolTip(), w->lblTransfer->text() == full ? QString() : full);
  };
  check("first width", true);
  // The longest form that fits: all of it at the window's first width
  // where the font allows (Wine's CJK font is wider).
  if (w->lblTransfer->text() != full) {
    EXPECT_GT(w->lblTransfer->fontMetrics().horizontalAdvance(full), w->lblTransfer->contentsRect().width());
  }
  w->resize(w->minimumWidth(), w->height());
  QCoreApplication::processEvents();
  check("narrowest", false);  // nothing overlaps; the status text may be cut short
  // A caption too long for any room: the window keeps its width.
  const int width = w->width();
  w->SetStatusText(G("正在保存文件：") + std::string(120, 'X') + "...");
  w->ShowBatch();
  QCoreApplication::processEvents();
  EXPECT_EQ(w->width(), width);
  EXPECT_EQ(w->lblTransfer->toolTip(), full);
}

TEST(Commands, CancelledRefreshShowsTheErrorAndFreesTheToolbar) {
  auto w = Window({});
  std::vector<std::string> boxes;
  w->errorBoxHook = [&](const std::string& m) {
    boxes.push_back(m);
    EXPECT_TRUE(w->cbr->isEnabled());  // the clean-up ran before the box
  };
  bool cbrDisabledDuringDialog = false;
  w->settingsHook = [&](LineSettings& shown, const std::string& defaults) {
    cbrDisabledDuringDialog = !w->cbr->isEnabled();
    EXPECT_EQ(shown.portName, "");
    EXPECT_EQ(shown.commTarget, 0);
    EXPECT_EQ(shown.receiveDelay, 3);
    EXPECT_EQ(shown.columnChoice, defaults);
    return std::string();
  };
  w->tbnRefresh->click();
  EXPECT_TRUE(cbrDisabledDuringDialog);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], FailureText(Failure::kUserCancelled) + ".");
  EXPECT_TRUE(w->cbr->isEnabled());
  EXPECT_FALSE(w->Settings.defaultColumns.empty());  // built even though cancelled
  // Unknown tags do nothing.
  QObject other;
  for (int tag : {0, 8, -1}) {
    other.setProperty("Tag", tag);
    w->tbnRefreshClick(&other);
  }
  EXPECT_EQ(boxes.size(), 1u);
}

TEST(Commands, ErrorBoxFullStopRule) {
  auto w = Window({});
  std::vector<std::string> boxes;
  w->errorBoxHook = [&](const std::string& m) { boxes.push_back(m); };
  // A target that is no number: an error with an empty message, an empty box.
  w->settingsHook = [](auto&&...) { return std::string("port,abc,3,"); };
  w->tbnRefresh->click();
  // An empty port name ends quietly.
  w->settingsHook = [](auto&&...) { return std::string(",0,3,"); };
  w->tbnRefresh->click();
  EXPECT_EQ(boxes, (std::vector<std::string>{""}));
}

// Fills the list as a directory listing does: the shown fields of each
// row under their captions; the window adds its status column.
void Fill(TfrmGT7P& w, const std::vector<std::vector<const char*>>& rows, const std::vector<const char*>& captions) {
  DirectoryList list;
  for (const char* c : captions) list.captions.push_back(G(c));
  for (const auto& row : rows) {
    list.rows.emplace_back();
    for (const char* cell : row) list.rows.back().push_back(G(cell));
  }
  w.ShowList(list);
  w.FitColumns();
}

std::vector<std::string> Column(TfrmGT7P& w, int column) { return test::ColumnCells(*w.lvw->listModel(), column); }

QString Header(TfrmGT7P& w, int column) {
  return w.lvw->listModel()->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
}

TEST(FileList, SortClicksAndMarks) {
  auto w = Window({});
  Fill(*w, {{"abc.x", "900", "2006"}, {"ABD.X", "1000", "2004"}, {"ab.x", "80", "2005"}},
       {"原始文件名称", "字节数量", "探测时间"});
  ASSERT_EQ(w->lvw->listModel()->ColumnCount(), 4);
  w->lvwColumnClick(2);
  EXPECT_EQ(Column(*w, 2), (std::vector<std::string>{"80", "900", "1000"}));
  EXPECT_EQ(Header(*w, 2), Q("字节数量↓"));
  w->lvwColumnClick(2);
  EXPECT_EQ(Column(*w, 2), (std::vector<std::string>{"1000", "900", "80"}));
  EXPECT_EQ(Header(*w, 2), Q("字节数量↑"));
  w->lvwColumnClick(3);
  EXPECT_EQ(Column(*w, 3), (std::vector<std::string>{"2004", "2005", "2006"}));
  EXPECT_EQ(Header(*w, 2), Q("字节数量"));
  EXPECT_EQ(Header(*w, 3), Q("探测时间↓"));
  EXPECT_EQ(w->Sort.SortColumn, 3);
  EXPECT_EQ(w->Sort.PrevSortColumn, 2);
  w->lvwColumnClick(2);  // goes on from where the column stood (1: ascending again)
  EXPECT_EQ(Column(*w, 2), (std::vector<std::string>{"80", "900", "1000"}));
  EXPECT_EQ(Header(*w, 2), Q("字节数量↓"));
  w->lvwColumnClick(0);
  EXPECT_EQ(Column(*w, 0), (std::vector<std::string>{"ab.x", "abc.x", "ABD.X"}));

  // A new listing with fewer columns: fresh tags, no stale mark, no crash.
  Fill(*w, {{"B"}, {"a"}}, {"原始文件名称"});
  w->Sort.SortColumn = 3;
  w->lvwColumnClick(1);
  w->lvwColumnClick(0);
  EXPECT_EQ(Column(*w, 0), (std::vector<std::string>{"a", "B"}));
  EXPECT_EQ(Header(*w, 0), Q("原始文件名称↓"));
}

TEST(FileList, SelectionFollowsRowsAndCommands) {
  auto w = Window({});
  Fill(*w, {{"C"}, {"A"}, {"B"}}, {"原始文件名称"});
  auto selected = [&] {
    std::vector<std::string> names;
    for (int r = 0; r < 3; ++r)
      if (w->lvw->selectionModel()->isRowSelected(r, QModelIndex())) names.push_back(w->lvw->listModel()->Row(r).caption);
    return names;
  };
  w->tbnSelAll->click();
  EXPECT_EQ(selected().size(), 3u);
  w->lvw->clearSelection();
  w->lvw->selectionModel()->select(w->lvw->listModel()->index(0, 0),
                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
  w->lvwColumnClick(0);
  EXPECT_EQ(selected(), (std::vector<std::string>{"C"}));  // the selection moved with its row
  w->tbnSelInv->click();
  EXPECT_EQ(selected(), (std::vector<std::string>{"A", "B"}));
}

TEST(FileList, ColumnsFitCaptionOrWidestCell) {
  auto w = Window({});
  w->resize(900, 300);
  w->show();
  Fill(*w, {{"A", "1"}, {"B", "a much longer cell than the caption"}}, {"原始文件名称", "道数", "采样点数"});
  QHeaderView* h = w->lvw->header();
  EXPECT_GT(h->sectionSize(2), w->lvw->fontMetrics().horizontalAdvance("a much longer cell than the caption"));
  EXPECT_GE(h->sectionSize(1), w->lvw->fontMetrics().horizontalAdvance(Q("　状态　")));
  // The last column fills what is left of the list's width.
  int total = 0;
  for (int c = 0; c < 4; ++c) total += h->sectionSize(c);
  EXPECT_EQ(total, w->lvw->viewport()->width());
}

TEST(TargetIndicator, ShowsMemoryOrCard) {
  auto w = Window({});
  w->ShowTargetIndicator(true);
  EXPECT_TRUE(w->pnlTray->isVisibleTo(w.get()));
  EXPECT_TRUE(w->imgMac->isVisibleTo(w.get()));
  EXPECT_FALSE(w->imgCard->isVisibleTo(w.get()));
  EXPECT_EQ(w->lblTray->text(), Q("仪器目录"));
  w->ShowTargetIndicator(false);
  EXPECT_FALSE(w->imgMac->isVisibleTo(w.get()));
  EXPECT_TRUE(w->imgCard->isVisibleTo(w.get()));
  EXPECT_EQ(w->lblTray->text(), Q("存储卡目录"));
  EXPECT_EQ(w->imgCard->geometry(), w->imgMac->geometry());
}

TEST(Saving, NothingSelectedDoesNothing) {
  auto w = Window({});
  Fill(*w, {{"A"}}, {"原始文件名称"});
  bool boxed = false;
  w->errorBoxHook = [&](const std::string&) { boxed = true; };
  w->tbnGetFile->click();  // DestFolder is empty, yet no folder question comes
  EXPECT_FALSE(boxed);
  EXPECT_EQ(test::Cell(*w->lvw->listModel(), 0, 1), " ");
}

}  // namespace
}  // namespace gt7p

namespace gt7p {
namespace {

// One case for both: each puts its own Help.htm beside the program, which
// a case running beside it would see.
TEST(Commands, HelpOpensTheFileBesideTheProgramOrShowsItInAWindowOfItsOwn) {
  {
    auto w = Window({});
    std::vector<std::filesystem::path> opened;
    w->openFileHook = [&](const std::filesystem::path& path) {
      opened.push_back(path);
      return true;
    };
    const std::filesystem::path help = ProgramFolder() / "Help.htm";
    w->tbnHelp->click();  // none there: nothing happens
    test::WriteFile(help, "x");
    w->tbnHelp->click();
    std::filesystem::remove(help);
    EXPECT_EQ(opened, std::vector<std::filesystem::path>{help});
  }
  // Where nothing opens it, the help shows in a window of its own.
  auto w = Window({});
  w->openFileHook = [](const std::filesystem::path&) { return false; };
  const std::filesystem::path help = ProgramFolder() / "Help.htm";
  test::WriteFile(help, "<html><body><h1>Manual</h1></body></html>");
  w->tbnHelp->click();
  std::filesystem::remove(help);
  const QList<THelpWindow*> shown = w->findChildren<THelpWindow*>();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_TRUE(shown[0]->isWindow());
  EXPECT_TRUE(shown[0]->txtHelp->toPlainText().contains("Manual"));
  EXPECT_EQ(shown[0]->btnBrowser->text(), Q("用浏览器打开"));
  shown[0]->close();  // deleted with its closing
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(w->findChildren<THelpWindow*>().isEmpty());
  // A kind the window can't show stays with the opener alone.
  test::WriteFile(ProgramFolder() / "Help.chm", "x");
  w->tbnHelp->click();
  std::filesystem::remove(ProgramFolder() / "Help.chm");
  EXPECT_TRUE(w->findChildren<THelpWindow*>().isEmpty());
}

TEST(FileList, EmptyDirectorySaysSo) {
  auto w = Window({});
  EXPECT_EQ(w->lvw->EmptyText(), QString());  // no word before a listing
  w->ShowList(DirectoryList{});
  EXPECT_EQ(w->lvw->EmptyText(), Q("目录中没有数据文件"));
  Fill(*w, {{"A"}}, {"原始文件名称"});
  EXPECT_EQ(w->lvw->EmptyText(), QString());
}

TEST(Commands, BackspaceRunsTheDriverRefresh) {
  auto w = Window({});
  std::vector<std::string> calls;
  SetDriverInstallerForTesting([&](void*, const char* id, const char*, uint32_t, int*) {
    calls.push_back(id);
    return 1;
  });
  QKeyEvent release(QEvent::KeyRelease, Qt::Key_Backspace, Qt::NoModifier);
  QApplication::sendEvent(w->lvw, &release);
  ResetDriverInstallerForTesting();
  EXPECT_EQ(calls, (std::vector<std::string>{"USB\\VID_0403&PID_6001", "FTDIBUS\\COMPORT&VID_0403&PID_6001"}));
  EXPECT_EQ(w->IdleStatusText, G("正在刷新设备。。。3"));
  EXPECT_EQ(w->stbPanel->text(), Q("   正在刷新设备。。。3"));
  // Without the installer library (as everywhere but Windows) the command
  // ends without a trace.
  auto quiet = Window({});
  SetDriverInstallerForTesting(DriverInstaller());
  QApplication::sendEvent(quiet->lvw, &release);
  ResetDriverInstallerForTesting();
  EXPECT_EQ(quiet->IdleStatusText, G("待命"));
}

// Answers the folder browser once it is up: `choose` gets the browser.
void WhenBrowserOpens(std::function<void(TFolderBrowser&)> choose) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, choose] {
    if (auto* browser = qobject_cast<TFolderBrowser*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      choose(*browser);
    }
  });
  timer->start(20);
}

TEST(Commands, FolderChoiceChangesCaptionNotApplicationTitle) {
  test::TempDir folder;
  const std::string dir = folder.text();
  auto w = Window({"/nonexistent/start"});
  const std::string appTitle = w->ApplicationTitle;
  bool painted = false, placed = false;
  WhenBrowserOpens([&](TFolderBrowser& b) {
    // The start folder does not exist; the title still moved aside for the picture.
    QTimer::singleShot(250, &b, [&] {
      painted = b.imgPicture->isVisible() && b.imgPicture->pos() == QPoint(12, 12) && w->PaintTarget == &b;
      placed = b.lblTitle->pos() == QPoint(40, 10);
      b.SelectFolder(QString::fromStdString(dir));
      b.accept();
    });
  });
  w->tbnSelDir->click();
  EXPECT_TRUE(painted);
  EXPECT_TRUE(placed);
  EXPECT_EQ(w->PaintTarget, nullptr);
  EXPECT_FALSE(w->tmr->isActive());
  EXPECT_EQ(w->DestFolder, dir);  // as returned: no delimiter appended
  EXPECT_EQ(w->windowTitle(), Q("PRX4470-2 数据文件提取软件（指定目标文件夹：") + QString::fromStdString(dir) + Q("）"));
  EXPECT_EQ(w->ApplicationTitle, appTitle);

  WhenBrowserOpens([](TFolderBrowser& b) { b.reject(); });
  w->tbnSelDir->click();
  EXPECT_EQ(w->DestFolder, dir);
}

// The browser starts where the operator chose last, in a later window too;
// a typed folder is taken by Return, a typed path that is no folder is not;
// 新建文件夹 makes a folder of a free name in the selected one.
TEST(Commands, FolderBrowserRemembersTypesAndMakesFolders) {
  test::TempDir chosen;
  const QString dir = QString::fromStdString(chosen.text());
  auto w = Window({});
  WhenBrowserOpens([&](TFolderBrowser& b) {
    QTest::keyClicks(b.edtPath, dir + "/nothing-here");
    QTest::keyClick(b.edtPath, Qt::Key_Return);  // not a folder: the browser stays
    ASSERT_TRUE(b.isVisible());
    b.edtPath->clear();
    QTest::keyClicks(b.edtPath, dir);
    QTest::keyClick(b.edtPath, Qt::Key_Return);
  });
  w->tbnSelDir->click();
  EXPECT_EQ(w->DestFolder, chosen.path());

  auto later = Window({});
  QString startedAt;
  std::vector<std::string> messages;
  WhenBrowserOpens([&](TFolderBrowser& b) {
    QTimer::singleShot(100, &b, [&] {
      startedAt = b.SelectedPath();
      b.messageHook = [&](const QString& m) { messages.push_back(m.toStdString()); };
      ASSERT_TRUE(b.MakeNewFolder());
      EXPECT_EQ(b.edtPath->text(), QDir::toNativeSeparators(dir + Q("/新建文件夹")));
      b.accept();
    });
  });
  later->tbnSelDir->click();
  EXPECT_EQ(startedAt, QDir::toNativeSeparators(dir));
  EXPECT_TRUE(FolderExists(chosen.path() / std::filesystem::u8path("新建文件夹")));
  EXPECT_EQ(later->DestFolder, chosen.path() / std::filesystem::u8path("新建文件夹"));
  EXPECT_TRUE(messages.empty());
}

TEST(Saving, MissingFolderAsksAndCancelEndsSilently) {
  auto w = Window({"/nonexistent/dest"});
  Fill(*w, {{"A"}}, {"原始文件名称"});
  w->tbnSelAll->click();
  bool asked = false, boxed = false;
  w->errorBoxHook = [&](const std::string&) { boxed = true; };
  WhenBrowserOpens([&](TFolderBrowser& b) {
    asked = true;
    b.reject();
  });
  w->tbnGetFile->click();
  EXPECT_TRUE(asked);
  EXPECT_FALSE(boxed);
  EXPECT_EQ(test::Cell(*w->lvw->listModel(), 0, 1), " ");
  EXPECT_TRUE(w->cbr->isEnabled());
}

}  // namespace
}  // namespace gt7p
