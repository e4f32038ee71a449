// Code page 936 texts as Windows file names, the program's folder for the
// cache file, "\" between folder and name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/cp936.h"
#include "base/local_folders.h"
#include "link/instrument_link.h"
#include "link/reply_file.h"
#include "tests/support/files.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace {
namespace fs = std::filesystem;

// 俓 is 82h 5Ch in code page 936: its trail byte is "\".
const std::string kTrailBackslash = "\x82\x5C";

class WindowsPaths : public ::testing::Test {
 protected:
  test::TempDir folder_;
  const fs::path dir_ = folder_.path();
};

TEST_F(WindowsPaths, Cp936NamesBecomeWideNames) {
  const std::string folder = TextFromPath(dir_) + "\\" + Utf8ToCp936("测量") + kTrailBackslash;
  ASSERT_TRUE(fs::create_directory(PathFromText(folder)));
  EXPECT_TRUE(fs::is_directory(dir_ / (std::wstring(L"\u6d4b\u91cf\u4fd3"))));

  const std::string name = kTrailBackslash + Utf8ToCp936("资料") + ".T7P";
  ReplyFile file;
  ASSERT_TRUE(file.Create(folder + "\\" + name));
  file.Write("1020", 4);
  file.Close();
  const fs::path wide = dir_ / L"\u6d4b\u91cf\u4fd3" / L"\u4fd3\u8d44\u6599.T7P";
  ASSERT_TRUE(fs::exists(wide));
  EXPECT_EQ(fs::file_size(wide), 4u);
  EXPECT_EQ(TextFromPath(wide), TextFromPath(dir_) + "\\" + Utf8ToCp936("测量") + kTrailBackslash + "\\" + name);
}

TEST_F(WindowsPaths, OutputPathJoinsWithBackslashAndKeepsDoubleByteNames) {
  EXPECT_EQ(NativeFileNameRules(), FileNameRules::kWindows);
  EXPECT_EQ(OutputPath("C:\\data", "ZS0001  .DAT", QfxFormat()), "C:\\data\\ZS0001.QFX");
  EXPECT_EQ(OutputPath("C:\\data\\", "A:B?    .DAT", EspFormat()), "C:\\data\\A_B_.ESP");
  const std::string caption = kTrailBackslash + "01    .DAT";
  EXPECT_EQ(OutputPath("D:\\", caption, RawFormat()), "D:\\" + kTrailBackslash + "01.T7P");
}

TEST(ProgramFolder, HoldsTheRunningProgramAndTheCacheFile) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(PathFromText(folder) / "windows_test.exe"));
  InstrumentLink link;
  ASSERT_FALSE(link.CacheFolders().empty());
  EXPECT_EQ(link.CacheFolders().front(), folder);
}

}  // namespace
}  // namespace gt7p
