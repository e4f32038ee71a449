// gt7p-cli convert, info and sample, run as a user would run them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "base/text.h"
#include "tests/cli/cli_test.h"
#include "tests/support/failure.h"

namespace {
namespace fs = std::filesystem;
using gt7p::Failure;
using gt7p::test::CliTest;
using gt7p::test::Said;
using gt7p::test::ShellQuote;
using gt7p::test::Slurp;

TEST_F(CliTest, ConvertLeavesRawAndNamesTheOutput) {
  ASSERT_EQ(Run("sample ZS0001.T7P").status, 0);
  const std::string raw = Slurp(dir_ / "ZS0001.T7P");
  EXPECT_EQ(Run("convert ZS0001.T7P").status, 0);
  EXPECT_EQ(Run("convert --format esp ZS0001.T7P").status, 0);
  EXPECT_EQ(Run("convert --format esp ZS0001.T7P other.bin").status, 0);
  EXPECT_EQ(Slurp(dir_ / "ZS0001.T7P"), raw);
  EXPECT_EQ(fs::file_size(dir_ / "ZS0001.QFX"), 50432u);  // 12 channels of 1024 samples
  EXPECT_EQ(fs::file_size(dir_ / "ZS0001.ESP"), 51712u);
  EXPECT_EQ(Slurp(dir_ / "other.bin"), Slurp(dir_ / "ZS0001.ESP"));
  EXPECT_EQ(FileCount(), 4u) << folder_.Names();  // no work or part files left
}

TEST_F(CliTest, FailedConversionLeavesNoOutput) {
  ASSERT_EQ(Run("sample A.T7P").status, 0);
  std::string raw = Slurp(dir_ / "A.T7P");
  raw.resize(raw.size() - 100);
  std::ofstream(dir_ / "A.T7P", std::ios::binary) << raw;
  std::ofstream(dir_ / "keep.QFX") << "old";
  gt7p::test::CliResult r = Run("convert A.T7P keep.QFX");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Said(Failure::kIncompleteFile) + "\n");
  EXPECT_EQ(Slurp(dir_ / "keep.QFX"), "old");
  EXPECT_EQ(Slurp(dir_ / "A.T7P"), raw);
  EXPECT_EQ(Run("convert A.T7P").status, 1);
  EXPECT_FALSE(fs::exists(dir_ / "A.QFX"));
  EXPECT_EQ(FileCount(), 2u) << folder_.Names();
  gt7p::test::CliResult missing = Run("convert nothing.T7P");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, Said(Failure::kFileNotFound) + "nothing.T7P\n");
}

// An output never replaces its input: OUT that names RAW, by default or by
// another name for the same file, is refused and RAW stays as it was.
TEST_F(CliTest, OutputThatIsTheInputIsRefused) {
  ASSERT_EQ(Run("sample raw.QFX").status, 0);
  ASSERT_EQ(Run("sample A.T7P").status, 0);
  const std::string raw = Slurp(dir_ / "raw.QFX");
  std::error_code ec;
  fs::create_hard_link(dir_ / "A.T7P", dir_ / "B.QFX", ec);
  const bool linked = !ec;
  std::vector<std::string> commands = {"convert raw.QFX", "convert A.T7P A.T7P", "convert --format esp A.T7P ./A.T7P",
                                       "export --format seg2 A.T7P A.T7P", "plot A.T7P -o A.T7P"};
  if (linked) commands.push_back("convert A.T7P B.QFX");
  for (const std::string& command : commands) {
    const gt7p::test::CliResult r = Run(command);
    EXPECT_EQ(r.status, 2) << command;
    EXPECT_NE(r.err.find("the input file itself"), std::string::npos) << r.err;
  }
  EXPECT_EQ(Slurp(dir_ / "raw.QFX"), raw);
  EXPECT_EQ(Slurp(dir_ / "A.T7P"), raw);
  EXPECT_EQ(FileCount(), linked ? 3u : 2u) << folder_.Names();
}

// A link planted where the output's temporary file used to be written is
// never written through: the temporary name can't be guessed, and the file
// is made where nothing stood.
TEST_F(CliTest, PlantedTemporaryNameIsNotFollowed) {
  ASSERT_EQ(Run("sample A.T7P").status, 0);
  std::ofstream(dir_ / "victim") << "precious";
  std::error_code ec;
  fs::create_symlink(dir_ / "victim", dir_ / ".OUT.QFX.part", ec);
  if (ec) GTEST_SKIP() << "no links here";
  EXPECT_EQ(Run("convert A.T7P OUT.QFX").status, 0);
  EXPECT_EQ(Slurp(dir_ / "victim"), "precious");
  EXPECT_EQ(fs::file_size(dir_ / "OUT.QFX"), 50432u);
  EXPECT_EQ(FileCount(), 4u) << folder_.Names();
}

// Names that code page 936 can't hold reach the file system as they are.
TEST_F(CliTest, NamesBeyondCodePage936) {
  const std::string strasse = "Stra\xC3\x9F" "e.T7P", smile = "d\xF0\x9F\x98\x80.QFX";
  ASSERT_EQ(Run("sample " + ShellQuote(strasse)).status, 0);
  const gt7p::test::CliResult r = Run("convert " + ShellQuote(strasse) + " " + ShellQuote(smile));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::file_size(dir_ / fs::u8path(smile)), 50432u);
  EXPECT_EQ(Run("info " + ShellQuote(smile)).status, 0);
  EXPECT_EQ(FileCount(), 2u) << folder_.Names();  // nothing under a name with "?" in it
}

// The words reach the core as code page 936 texts, and file names leave it
// as the system's (on Windows wide) names.
TEST_F(CliTest, ChineseFileNames) {
  ASSERT_EQ(Run("sample " + ShellQuote("测量 一.T7P")).status, 0);
  ASSERT_EQ(Run("convert " + ShellQuote("测量 一.T7P")).status, 0);
  EXPECT_EQ(fs::file_size(dir_ / fs::u8path("测量 一.QFX")), 50432u);
  gt7p::test::CliResult missing = Run("info " + ShellQuote("无此文件.T7P"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, Said(Failure::kFileNotFound) + "无此文件.T7P\n");
  fs::create_directory(dir_ / fs::u8path("测量.T7P"));
  for (const char* command : {"info", "convert", "export --format seg2"}) {
    const gt7p::test::CliResult folder = Run(std::string(command) + " " + ShellQuote("测量.T7P"));
    EXPECT_EQ(folder.status, 1) << command;
    EXPECT_EQ(folder.err, Said(Failure::kFolderNotFile) + "测量.T7P\n") << command;
  }
}

TEST_F(CliTest, UsageErrors) {
  EXPECT_EQ(Run("").status, 2);
  EXPECT_EQ(Run("frobnicate").status, 2);
  EXPECT_EQ(Run("convert").status, 2);
  EXPECT_EQ(Run("convert --format segy a.T7P").status, 2);
  EXPECT_EQ(Run("convert --bogus a.T7P").status, 2);
  EXPECT_EQ(Run("info").status, 2);
  EXPECT_EQ(Run("sample --index 10 x.T7P").status, 2);
  for (const char* command : {"convert", "info", "sample"}) {
    gt7p::test::CliResult r = Run(std::string(command) + " --help");
    EXPECT_EQ(r.status, 0) << command;
    EXPECT_NE(r.out.find("usage: gt7p-cli"), std::string::npos) << command;
  }
}

TEST_F(CliTest, InfoListsTheHeaderFieldsInTableOrder) {
  ASSERT_EQ(Run("sample --index 3 SD0103.T7P").status, 0);
  gt7p::test::CliResult r = Run("info SD0103.T7P");
  ASSERT_EQ(r.status, 0) << r.err;
  std::istringstream lines(r.out);
  std::vector<std::string> got;
  for (std::string line; std::getline(lines, line);) got.push_back(line);
  ASSERT_GT(got.size(), 55u);
  EXPECT_EQ(got[0], "原始文件名称\tSD0103  .DAT");
  EXPECT_EQ(got[3], "编辑标志\t正常");
  EXPECT_EQ(got[4], "探测时间\t2024年04月02日14:12:05");
  EXPECT_EQ(got[5].substr(0, got[5].find('\t')), "探测地点");
  EXPECT_EQ(got[9], "触发电压\t4.20（≤5V）");
  EXPECT_EQ(got[10], "探测介质\t岩");
  EXPECT_EQ(got[19], "道数\t12");
  EXPECT_EQ(got[20], "采样点数\t2048");
  EXPECT_EQ(got[22], "采样间隔\t20.00μs");
  EXPECT_EQ(got[25], "探测方法\t围岩松动圈探测");
  EXPECT_EQ(got[53].substr(0, got[53].find('\t')), "第五层倾角");
  for (size_t i = 0; i < 54; ++i) EXPECT_NE(got[i].find('\t'), std::string::npos) << i;
  EXPECT_EQ(got[54], "");
  EXPECT_EQ(got[55].substr(0, got[55].find('\t')), "文件长度");  // no format line: the digits tell a raw file
  EXPECT_NE(r.out.find("第12道\n源检距\t"), std::string::npos);
}

// info reads as export and the viewer do: text that is no record is
// refused, not shown as fields made up of it.
TEST_F(CliTest, InfoRefusesAFileThatIsNoRecord) {
  std::ofstream(dir_ / "notes.T7P", std::ios::binary) << std::string(400, 'Z');
  const gt7p::test::CliResult r = Run("info notes.T7P");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, Said(Failure::kUnknownFormat) + "\n");
}

TEST_F(CliTest, InfoOfAnIncompleteFile) {
  ASSERT_EQ(Run("sample --channels 2 --samples 8 A.T7P").status, 0);
  std::string raw = Slurp(dir_ / "A.T7P");
  const size_t full = raw.size();  // 326 + 2 x (64 + 32)
  raw.resize(full - 20);           // the second channel's samples are cut, its header is whole
  std::ofstream(dir_ / "A.T7P", std::ios::binary) << raw;
  gt7p::test::CliResult r = Run("info A.T7P");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, Said(Failure::kIncompleteFile) + "\n");
  EXPECT_NE(r.out.find("\n文件长度\t" + std::to_string(raw.size()) + "\n声明长度\t" + std::to_string(full) + "\n" +
                       Said(Failure::kIncompleteFile) + "\n"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("第2道\n"), std::string::npos);
  raw.resize(326 + 96 + 63);  // the second channel's header is cut: it is not shown
  std::ofstream(dir_ / "A.T7P", std::ios::binary | std::ios::trunc) << raw;
  r = Run("info A.T7P");
  EXPECT_NE(r.out.find("第1道\n"), std::string::npos);
  EXPECT_EQ(r.out.find("第2道\n"), std::string::npos);
}

// Texts from a file are shown so that each stands for one text only:
// control characters, "\\" and a lead byte without its second byte as
// \xHH, but a "\\" that is the second byte of a Chinese character (俓 is
// 82h 5Ch) belongs to it.
TEST_F(CliTest, InfoEscapesBackslashesOfTheirOwn) {
  ASSERT_EQ(Run("sample A.T7P").status, 0);
  std::string raw = Slurp(dir_ / "A.T7P");
  const std::string place = gt7p::BytesToHex(std::string("\x82\x5C\\x41\x1B\x81\x0A", 9) + std::string(9, '\0'));
  raw.replace(10 + 50, place.size(), place);
  std::ofstream(dir_ / "A.T7P", std::ios::binary) << raw;
  const gt7p::test::CliResult r = Run("info A.T7P");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n探测地点\t俓\\x5Cx41\\x1B\\x81\\x0A         \n"), std::string::npos) << r.out;
}

TEST_F(CliTest, DoubleDashEndsTheOptions) {
  EXPECT_EQ(Run("sample -- --index").status, 0);  // a file named --index
  EXPECT_TRUE(fs::exists(dir_ / "--index"));
  EXPECT_EQ(Run("convert --format esp -- --index --help").status, 0);
  EXPECT_EQ(fs::file_size(dir_ / "--help"), 51712u);
  EXPECT_EQ(Run("info -- --index").status, 0);
}

// Committed golden outputs of tests/golden/small.T7P: any change in the
// converted or exported bytes shows here, as od shows the lines that
// differ. Regenerate with tests/golden/regen.sh after a deliberate change.
TEST_F(CliTest, GoldenOutputs) {
  const std::string raw = ShellQuote((fs::absolute(GT7P_GOLDEN) / "small.T7P").string());
  const std::pair<const char*, const char*> outputs[] = {{"small.QFX", "convert --format qfx"},
                                                         {"small.ESP", "convert --format esp"},
                                                         {"small.sgy", "export --format segy"},
                                                         {"small.sg2", "export --format seg2"}};
  for (const auto& [name, command] : outputs) {
    const fs::path out = dir_ / name, golden = fs::path(GT7P_GOLDEN) / name;
    const gt7p::test::CliResult r = Run(std::string(command) + " " + raw + " " + ShellQuote(out.string()));
    ASSERT_EQ(r.status, 0) << name << ": " << r.err;
    const std::string diff = gt7p::test::OdDiff(Slurp(golden), Slurp(out));
    if (!diff.empty()) ADD_FAILURE() << name << " differs from " << golden.string() << ", " << diff;
  }
}

// A failing golden shows the lines of od that differ, and the line before.
TEST(OdDiff, ShowsTheFirstDifferingLines) {
  std::string want(40, 'a');
  std::string got = want;
  got[20] = '\x01';
  got += "zz";
  EXPECT_EQ(gt7p::test::OdDiff(want, want), "");
  EXPECT_EQ(gt7p::test::OdDiff(want, got),
            "sizes 40 (-) and 42 (+)\n"
            "  0000000 61 61 61 61 61 61 61 61 61 61 61 61 61 61 61 61  >aaaaaaaaaaaaaaaa<\n"
            "- 0000016 61 61 61 61 61 61 61 61 61 61 61 61 61 61 61 61  >aaaaaaaaaaaaaaaa<\n"
            "+ 0000016 61 61 61 61 01 61 61 61 61 61 61 61 61 61 61 61  >aaaa.aaaaaaaaaaa<\n"
            "- 0000032 61 61 61 61 61 61 61 61                          >aaaaaaaa<\n"
            "+ 0000032 61 61 61 61 61 61 61 61 7a 7a                    >aaaaaaaazz<\n");
}

}  // namespace
