// What an operator meets around the work cycle: Qt's own texts in Chinese,
// a window that cannot be narrowed over its toolbar, a folder browser that
// shows its start folder and every drive, the about box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <filesystem>

#include "app/about_box.h"
#include "app/folder_browser.h"
#include "app/frm_gt7p.h"
#include "tests/support/cli_runner.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// qt_test_main installs the translation as the program's start does.
TEST(WindowAids, QtButtonsSpeakChinese) {
  QMessageBox question(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No);
  EXPECT_TRUE(question.button(QMessageBox::Yes)->text().startsWith(Q("是"))) << question.button(QMessageBox::Yes)->text().toStdString();
  EXPECT_TRUE(question.button(QMessageBox::No)->text().startsWith(Q("否")));

  // The window's real error box: one button, 确定.
  TfrmGT7P w({});
  w.settingsHook = [](auto&&...) { return std::string(); };  // cancelled: "用户取消！"
  QStringList buttons;
  QString text;
  auto* timer = new QTimer(&w);
  QObject::connect(timer, &QTimer::timeout, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      timer->stop();
      text = box->text();
      for (QAbstractButton* b : box->buttons()) buttons << b->text();
      box->accept();
    }
  });
  timer->start(20);
  w.tbnRefresh->click();
  EXPECT_EQ(text, QString::fromStdString(test::Said(Failure::kUserCancelled) + "."));
  EXPECT_EQ(buttons, QStringList{Q("确定")});
}

TEST(WindowAids, NarrowedWindowKeepsTheIndicatorOffTheToolbar) {
  for (std::vector<std::string> params : {std::vector<std::string>{}, {"", "", "", "dontseldir"}}) {
    TfrmGT7P w(params);
    w.show();
    w.ShowTargetIndicator(false);
    w.resize(120, 288);
    QApplication::processEvents();
    int toolbarRight = 0;
    for (QToolButton* b : w.tbr->findChildren<QToolButton*>())
      if (b->isVisible()) toolbarRight = std::max(toolbarRight, b->mapTo(w.cbr, QPoint(b->width(), 0)).x());
    EXPECT_GT(toolbarRight, 200);
    EXPECT_GE(w.pnlTray->x(), toolbarRight);
    EXPECT_LE(w.minimumWidth(), 563);  // the designed size is allowed
  }
}

// The start folder deep in a long listing: once the folders above it have
// been read, the selected folder is in view.
TEST(WindowAids, FolderBrowserScrollsToTheStartFolder) {
  const test::TempDir dir;  // removed after the browser: on Windows the model watches through open handles
  const fs::path& base = dir.path();
  for (int i = 0; i < 80; ++i) fs::create_directory(base / ("d" + std::to_string(100 + i)));
  const fs::path start = base / "d175" / "inner";
  fs::create_directory(start);
  {
    QWidget owner;
    TFolderBrowser browser(&owner);
    auto* model = qobject_cast<QFileSystemModel*>(browser.tree->model());
    ASSERT_NE(model, nullptr);
    // The model reads folders on a thread and inserts their rows later,
    // which pushes a selection made early down and out of view.
    QStringList loaded;
    QObject::connect(model, &QFileSystemModel::directoryLoaded,
                     [&](const QString& path) { loaded << QDir::cleanPath(path); });
    browser.show();
    ASSERT_TRUE(browser.SelectFolder(QString::fromStdWString(start.wstring())));
    const QString listing = QDir::cleanPath(QString::fromStdWString(base.wstring()));
    QElapsedTimer clock;
    clock.start();
    while (!loaded.contains(listing) && clock.elapsed() < 10000) QApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(loaded.contains(listing)) << loaded.join(" ").toStdString();
    for (int i = 0; i < 10; ++i) QApplication::processEvents(QEventLoop::AllEvents, 20);
    const QModelIndex current = browser.tree->currentIndex();
    ASSERT_TRUE(current.isValid());
    EXPECT_TRUE(browser.tree->viewport()->rect().contains(browser.tree->visualRect(current)))
        << browser.tree->visualRect(current).y() << " of " << browser.tree->viewport()->height();
    EXPECT_EQ(QDir::cleanPath(QDir::fromNativeSeparators(browser.SelectedPath())),
              QDir::cleanPath(QString::fromStdWString(start.wstring())));
    browser.close();
  }
}

// Every drive can be shown and chosen (on Windows C: and, under Wine, Z:).
TEST(WindowAids, FolderBrowserReachesEveryDrive) {
  QWidget owner;
  TFolderBrowser browser(&owner);
  browser.show();
  for (const QFileInfo& drive : QDir::drives()) {
    ASSERT_TRUE(browser.SelectFolder(drive.absolutePath())) << drive.absolutePath().toStdString();
    const QRect shown = browser.tree->visualRect(browser.tree->currentIndex());
    EXPECT_TRUE(shown.isValid() && browser.tree->viewport()->rect().intersects(shown))
        << drive.absolutePath().toStdString();
    EXPECT_EQ(QDir::fromNativeSeparators(browser.SelectedPath()), drive.absolutePath());
  }
}

// Right-click on the toolbar strip or the status line offers the about
// box; it says what `gt7p-cli --version` says, with the build's version.
TEST(WindowAids, AboutBoxSaysWhatTheCliSays) {
  const test::TempDir dir;
  const test::CliResult cli = test::RunCliIn(dir.path(), fs::absolute(GT7P_CLI), "--version");
  ASSERT_EQ(cli.status, 0) << cli.err;
  const QStringList cliLines = QString::fromStdString(cli.out).trimmed().split('\n');
  ASSERT_EQ(cliLines.size(), 3) << cli.out;
  EXPECT_EQ(cliLines[0], Q("gt7p-cli " GT7P_PROJECT_VERSION));

  TfrmGT7P w({});
  for (QWidget* owner : {w.cbr, static_cast<QWidget*>(w.statusBar())}) {
    ASSERT_EQ(owner->contextMenuPolicy(), Qt::ActionsContextMenu);
    ASSERT_EQ(owner->actions().size(), 1);
    EXPECT_EQ(owner->actions()[0]->text(), Q(kAboutItem));
  }
  QString title, text;
  QTimer::singleShot(20, &w, [&] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      title = box->windowTitle();
      text = box->text();
      box->accept();
    }
  });
  w.cbr->actions()[0]->trigger();
  EXPECT_EQ(title, Q("关于数据文件提取软件"));
  const QStringList lines = text.split('\n');
  ASSERT_EQ(lines.size(), 3) << text.toStdString();
  EXPECT_EQ(lines[0], Q("gt7p " GT7P_PROJECT_VERSION));
  EXPECT_EQ(lines.mid(1), cliLines.mid(1));
}

}  // namespace
}  // namespace gt7p
