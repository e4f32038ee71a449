// A settings store whose file is not a plain file: the window and the viewer
// start on the initial state instead of blocking on it (a FIFO's open waits
// for a writer that never comes).
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QTemporaryDir>
#include <filesystem>

#include "app/frm_gt7p.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "viewer/window/frm_view.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

TEST(StorePlace, AFifoOrFolderAtTheStoreGivesTheInitialState) {
  for (const char* planted : {"fifo", "folder"}) {
    SCOPED_TRACE(planted);
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    PointStoreAt(folder.path());
    // The store's file in the native format (the program's) and the INI
    // format (the tests').
    const fs::path store = fs::path(folder.path().toStdString()) / "gt7p";
    fs::create_directories(store);
    for (const char* name : {"gt7p.conf", "gt7p.ini"}) {
      if (std::string(planted) == "fifo")
        ASSERT_EQ(mkfifo((store / name).c_str(), 0600), 0);
      else
        fs::create_directory(store / name);
    }

    StoreGroup comm(QStringLiteral("comm"));
    EXPECT_FALSE(comm.usable());
    EXPECT_FALSE(comm.Value(QStringLiteral("port")).isValid());
    comm.SetValue(QStringLiteral("port"), QStringLiteral("/dev/ttyS0"));  // dropped, not written through

    TfrmGT7P window({});
    window.show();
    TfrmView viewer;
    viewer.show();
    QApplication::processEvents();
    EXPECT_TRUE(viewer.isVisible());
    viewer.close();
    window.close();
    EXPECT_FALSE(fs::is_regular_file(store / "gt7p.ini"));
  }
}

TEST(StorePlace, APlainFileOrNoneIsUsed) {
  QTemporaryDir folder;
  PointStoreAt(folder.path());
  {
    StoreGroup viewer(QStringLiteral("viewer"));
    EXPECT_TRUE(viewer.usable());
    viewer.SetValue(QStringLiteral("mark"), 7);
  }
  EXPECT_EQ(StoreGroup(QStringLiteral("viewer")).Value(QStringLiteral("mark")).toInt(), 7);
}

}  // namespace
}  // namespace gt7p
