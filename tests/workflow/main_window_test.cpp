// The main window's rules without the window.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/cp936.h"
#include "base/file_names.h"
#include "base/messages.h"
#include "settings/driver_binding.h"
#include "tests/support/files.h"
#include "workflow/main_window.h"

namespace gt7p {
namespace {

using test::G;

const std::string kTitle = "PRX4470-2 数据文件提取软件";

TEST(CommandLineParameters, FolderTitleFormatAndLock) {
  const std::string d(1, std::filesystem::path::preferred_separator);
  struct Case {
    std::vector<const char*> params;
    std::string folder, title, hint;
    bool esp, locked;
  };
  const Case cases[] = {
      {{}, "", kTitle, "指定目标文件夹", false, false},
      {{"  data "}, "data" + d, kTitle, "指定目标文件夹：data" + d, false, false},
      {{"data/"}, "data/", kTitle, "", false, false},
      {{"   ", "  "}, "", kTitle, "指定目标文件夹：", false, false},
      {{"", " My Title "}, "", "My Title", "指定目标文件夹：", false, false},
      {{"", "", "ESP", "DontSelDir"}, "", kTitle, "指定目标文件夹：", true, true},
      {{"", "", " esp", "dontseldir "}, "", kTitle, "指定目标文件夹：", false, false},
  };
  for (const Case& c : cases) {
    const CommandLine line = ReadCommandLine(std::vector<std::string>(c.params.begin(), c.params.end()));
    SCOPED_TRACE(c.params.empty() ? "(none)" : c.params[0]);
    EXPECT_EQ(line.DestFolder, std::filesystem::u8path(c.folder));
    EXPECT_EQ(line.AppTitle, G(c.title.c_str()));
    if (!c.hint.empty()) {
      EXPECT_EQ(line.SelDirHint, G(c.hint.c_str()));
    }
    EXPECT_EQ(line.esp, c.esp);
    EXPECT_EQ(line.dontSelDir, c.locked);
  }
}

TEST(ProgramArguments, OptionsAnywhereParametersInOrder) {
  ProgramArguments parsed = ReadProgramArguments(
      {"--port", "/dev/pts/7", "D:\\Out", "--simulate", "Title", "--port", "COM7", "esp", "dontseldir"});
  EXPECT_EQ(parsed.params, (std::vector<std::string>{"D:\\Out", "Title", "esp", "dontseldir"}));
  EXPECT_TRUE(parsed.simulate);
  EXPECT_EQ(parsed.ports, (std::vector<std::string>{"/dev/pts/7", "COM7"}));

  parsed = ReadProgramArguments({"", "  ", "--port"});  // blanks stay parameters; a bare --port is dropped
  EXPECT_EQ(parsed.params, (std::vector<std::string>{"", "  "}));
  EXPECT_FALSE(parsed.simulate);
  EXPECT_TRUE(parsed.ports.empty());
  EXPECT_EQ(ReadProgramArguments({"--port", "--simulate"}).ports, (std::vector<std::string>{"--simulate"}));
}

// The parameters come as UTF-8; a folder that code page 936 can't hold is
// taken as it is, and only its text in the hint shows "?".
TEST(CommandLineParameters, FolderBeyondCodePage936IsKeptWhole) {
  const std::string folder = "/data/d\xF0\x9F\x98\x80/Bj\xC3\xB6rn";  // "d😀", "Björn"
  const CommandLine line = ReadCommandLine({folder, "\xE6\xA0\x87\xE9\xA2\x98"});  // "标题"
  EXPECT_EQ(Utf8FromPath(line.DestFolder), folder + std::string(1, std::filesystem::path::preferred_separator));
  EXPECT_EQ(line.AppTitle, G("标题"));
  EXPECT_EQ(line.SelDirHint.substr(0, G("指定目标文件夹：/data/d").size()), G("指定目标文件夹：/data/d"));
  EXPECT_NE(line.SelDirHint.find('?'), std::string::npos);
}

TEST(Caption, TitleAndFolderHint) {
  EXPECT_EQ(WindowCaption("T", "", SelDirHint("")), "T");
  EXPECT_EQ(WindowCaption("T", "C:\\Out", SelDirHint("C:\\Out")), G("T（指定目标文件夹：C:\\Out）"));
}

TEST(StatusAndErrorTexts, IdleTextAndFullStop) {
  EXPECT_EQ(StatusText("  "), G("待命"));
  EXPECT_EQ(StatusText(""), G("待命"));
  EXPECT_EQ(StatusText(" x "), " x ");
  const std::pair<std::string, std::string> boxes[] = {
      {FailureText(Failure::kUserCancelled), FailureText(Failure::kUserCancelled) + "."},
      {"", ""}, {"done.", "done."}, {"stop!", "stop!"},
      {"x-", "x-"},  // "-" sorts before "."
      {"x/", "x/."}, {"abc", "abc."}};
  for (const auto& [message, text] : boxes) EXPECT_EQ(ErrorBoxText(message), text) << message;
}

TEST(HelpFile, OrderOfPreference) {
  test::TempDir dir;
  EXPECT_EQ(FindHelpFile(dir.text()), "");
  test::WriteFile(dir / "Help.htm", "x");
  EXPECT_EQ(FindHelpFile(dir.text()), dir / "Help.htm");
  test::WriteFile(dir / "Help.mht", "x");
  EXPECT_EQ(FindHelpFile(dir.text()), dir / "Help.mht");
  test::WriteFile(dir / "Help.chm", "x");
  EXPECT_EQ(FindHelpFile(dir.path() / ""), dir / "Help.chm");
}

TEST(HelpFile, TheProgramFolderBeforeTheInstalledManual) {
  test::TempDir program, installed;
  const std::vector<std::filesystem::path> folders = {"", program.path(), installed.path()};
  EXPECT_EQ(FindHelpFileIn(folders), std::filesystem::path());
  test::WriteFile(installed / "Help.chm", "x");
  EXPECT_EQ(FindHelpFileIn(folders), installed / "Help.chm");
  // A lesser kind in the program's folder still comes first.
  test::WriteFile(program / "Help.htm", "x");
  EXPECT_EQ(FindHelpFileIn(folders), program / "Help.htm");
}

TEST(FolderCommand, StartsAtTheDestinationTheLastChoiceOrAWritableFolder) {
  test::TempDir last, program, documents;
  const std::filesystem::path gone = last / "gone";
  struct Case {
    const char* what;
    std::filesystem::path dest, last;
    bool programWritable;
    std::filesystem::path documents, start;
  };
  const Case cases[] = {
      {"the command line's or this run's folder wins", "C:\\Out", last.path(), true, documents.path(), "C:\\Out"},
      {"then the last choice", "", last.path(), false, documents.path(), last.path()},
      {"a last choice since removed", "", gone, true, documents.path(), program / ""},
      {"none: the program's folder", "", "", true, documents.path(), program / ""},
      {"an installed copy: documents", "", "", false, documents.path(), documents / ""},
      {"documents unknown", "", gone, false, "", program / ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FolderCommandStart(c.dest, c.last, program.path(), c.programWritable, c.documents), c.start) << c.what;

  // Whether the program's folder takes a file: tried, and nothing left.
  EXPECT_TRUE(FolderWritable(program.path()));
  EXPECT_EQ(program.Count(), 0u);
  EXPECT_FALSE(FolderWritable(gone));
  EXPECT_FALSE(FolderWritable(""));
  test::WriteFile(program / "file", "x");
  EXPECT_FALSE(FolderWritable(program / "file"));
}

TEST(FolderCommand, NewFolderNamesAreFree) {
  test::TempDir parent;
  const auto named = [&](const char* utf8) { return parent.path() / std::filesystem::u8path(utf8); };
  EXPECT_EQ(NewFolderPath(parent.path()), named("新建文件夹"));
  std::filesystem::create_directory(named("新建文件夹"));
  test::WriteFile(named("新建文件夹 (2)"), "a file takes the name too");
  EXPECT_EQ(NewFolderPath(parent.path()), named("新建文件夹 (3)"));
}

TEST(DriverRefresh, StatusTextsAroundTheTwoCalls) {
  std::vector<std::string> events;
  SetDriverInstallerForTesting([&](void*, const char* id, const char*, uint32_t, int*) {
    events.push_back(id);
    return 1;
  });
  RefreshUsbSerialDriver([&](const std::string& text) { events.push_back(text); });
  const std::string refreshing = G("正在刷新设备。。。");
  EXPECT_EQ(events, (std::vector<std::string>{refreshing, "USB\\VID_0403&PID_6001", refreshing + "1",
                                              "FTDIBUS\\COMPORT&VID_0403&PID_6001", refreshing + "2",
                                              refreshing + "3"}));
  // Without the installer nothing happens at all.
  events.clear();
  SetDriverInstallerForTesting(DriverInstaller());
  RefreshUsbSerialDriver([&](const std::string& text) { events.push_back(text); });
  EXPECT_TRUE(events.empty());
  ResetDriverInstallerForTesting();
}

}  // namespace
}  // namespace gt7p
