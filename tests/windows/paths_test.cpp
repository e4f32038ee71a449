// Code page 936 texts as Windows file names, paths that code page 936 can't
// hold, the program's folder for the cache file, "\" between folder and
// name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/cp936.h"
#include "base/local_folders.h"
#include "base/output_file.h"
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
  ASSERT_TRUE(file.Create(PathFromText(folder + "\\" + name)));
  file.Write("1020", 4);
  file.Close();
  const fs::path wide = dir_ / L"\u6d4b\u91cf\u4fd3" / L"\u4fd3\u8d44\u6599.T7P";
  ASSERT_TRUE(fs::exists(wide));
  EXPECT_EQ(fs::file_size(wide), 4u);
  EXPECT_EQ(TextFromPath(wide), TextFromPath(dir_) + "\\" + Utf8ToCp936("测量") + kTrailBackslash + "\\" + name);
}

TEST_F(WindowsPaths, OutputPathJoinsWithBackslashAndKeepsDoubleByteNames) {
  EXPECT_EQ(NativeFileNameRules(), FileNameRules::kWindows);
  EXPECT_EQ(TextFromPath(OutputPath("C:\\data", "ZS0001  .DAT", QfxFormat())), "C:\\data\\ZS0001.QFX");
  EXPECT_EQ(TextFromPath(OutputPath("C:\\data\\", "A:B?    .DAT", EspFormat())), "C:\\data\\A_B_.ESP");
  const std::string caption = kTrailBackslash + "01    .DAT";
  EXPECT_EQ(TextFromPath(OutputPath("D:\\", caption, RawFormat())), "D:\\" + kTrailBackslash + "01.T7P");
  EXPECT_EQ(TextFromPath(OutputPath("D:\\", "CON     .DAT", QfxFormat())), "D:\\CON_.QFX");
  // A byte the code page can't carry is "\xHH", its "\\" a "_" as every one.
  EXPECT_EQ(TextFromPath(OutputPath("D:\\", "A\xFF" "B\xA2\x42   .DAT", QfxFormat())), "D:\\A_xFFB_xA2B.QFX");
}

// Windows takes these names for devices (and drops a final dot): mapped,
// each saves as a file of its own that reads back.
TEST_F(WindowsPaths, DeviceNamesSaveAsRealFiles) {
  const char* const captions[] = {"CON     .DAT", "nul     .DAT", "AUX     .   ", "PRN", "COM1    .DAT",
                                  "lpt9    .DAT", "CONOUT$ .DAT"};
  for (const char* caption : captions) {
    const fs::path path = OutputPath(dir_, caption, QfxFormat());
    WriteBeside(path, [&](const fs::path& part) {
      std::ofstream(part, std::ios::binary) << caption;
    });
    EXPECT_TRUE(fs::is_regular_file(path)) << caption;
    std::ifstream in(path, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), caption);
  }
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) files += entry.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, std::size(captions));
}

// "d😀", "Björn", "Straße": no code page 936 text holds them, the paths do.
TEST_F(WindowsPaths, FoldersBeyondCodePage936AreUsedAsTheyAre) {
  for (const wchar_t* name : {L"d\U0001F600", L"Bj\u00F6rn", L"Stra\u00DFe"}) {
    const fs::path folder = dir_ / name;
    ASSERT_TRUE(fs::create_directory(folder));
    const fs::path out = OutputPath(folder, "ZS0001  .DAT", RawFormat());
    WriteBeside(out, [](const fs::path& part) { std::ofstream(part, std::ios::binary) << "1020"; });
    EXPECT_EQ(fs::file_size(folder / L"ZS0001.T7P"), 4u);
    EXPECT_EQ(PathFromUtf8(Utf8FromPath(folder)), folder);
  }
  size_t entries = 0;
  for (const auto& entry : fs::directory_iterator(dir_)) entries += entry.is_directory() ? 1 : 0;
  EXPECT_EQ(entries, 3u);  // none made under a name with "?" instead
}

TEST(ProgramFolder, HoldsTheRunningProgramAndTheCacheFile) {
  const fs::path folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_TRUE(fs::exists(folder / "windows_test.exe"));
  InstrumentLink link;
  ASSERT_FALSE(link.CacheFolders().empty());
  EXPECT_EQ(link.CacheFolders().front(), folder);
}

}  // namespace
}  // namespace gt7p
