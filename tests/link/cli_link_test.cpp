// gt7p-cli list and get against the simulator, as a user runs them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <future>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <thread>

#include "sim/instrument_simulator.h"
#include "base/text.h"
#include "sim/record_maker.h"
#include "tests/support/cli_runner.h"
#include "tests/support/comma_locale.h"
#include "tests/support/failure.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"

namespace gt7p {
namespace test {
namespace {

using Outcome = CliResult;

class CliLinkTest : public ::testing::Test {
 protected:
  // gt7p-cli's link with the tests' short second.
  void SetUp() override { setenv("GT7P_TEST_SECOND_MS", std::to_string(kTestSecondMs).c_str(), 1); }
  void Start(sim::InstrumentStores stores = sim::DemoStores(), sim::SimulatorFaults faults = {}) {
    sim_ = StartSimulator(std::move(stores), faults);
  }
  Outcome Cli(const std::string& args) { return RunCliIn(dir_.path(), GT7P_CLI, args); }
  std::string Port() const { return " --port " + sim_->PortPath(); }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
};

TEST_F(CliLinkTest, ListPrintsTheChosenColumnsWithoutTheStatus) {
  Start();
  const Outcome r = Cli("list --card --columns 1,3" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n', r.out.find('\n') + 1) + 1),
            "原始文件名称\t字节数量\nSD0103  .DAT\t49694\n");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 10);  // the header and nine files
  EXPECT_EQ(r.err, "");
}

TEST_F(CliLinkTest, ListWithTheDefaultColumns) {
  Start();
  const Outcome r = Cli("list" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "原始文件名称\t字节数量\t探测时间\t探测地点\t探测介质\t探测层数\t道数\t采样点数\t超前采样点数\t采样间隔\t探测方法");
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 5);
  EXPECT_NE(r.out.find("\nZS0001  .DAT\t"), std::string::npos);
}

TEST_F(CliLinkTest, GetSavesSkipsAndOverwrites) {
  sim::InstrumentStores stores;
  stores.memory.push_back(sim::DemoStores().memory[0]);
  Start(stores);
  const std::string dest = dir_ / "out";
  const std::string line = dest + "/ZS0001.QFX\t";
  Outcome r = Cli("get --all --dest " + dest + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, line + "保存完毕\n");
  EXPECT_TRUE(Exists(dest + "/ZS0001.QFX"));

  r = Cli("get --dest " + dest + Port() + " 'ZS0001  .DAT'");
  EXPECT_EQ(r.out, line + "略过\n");
  r = Cli("get --overwrite --format t7p --dest " + dest + Port() + " ZS0001.DAT");
  EXPECT_EQ(r.out, dest + "/ZS0001.T7P\t保存完毕\n");
  EXPECT_EQ(ReadFile(dest + "/ZS0001.T7P"), sim::MakeRawFile(sim::DemoSurveyFiles()[0]));
}

// Two runs saving one name into one folder at once, each checked before
// its transfer began: the first to finish takes the name, the other says
// 略过 and replaces nothing; neither leaves a work file.
TEST_F(CliLinkTest, TwoRunsAtOnceNeverReplaceEachOther) {
  sim::SimulatorOptions paced;
  paced.pace = true;  // a transfer of seconds: both runs check before either saves
  std::vector<sim::SurveyFile> files(2, sim::DemoSurveyFiles()[0]);
  for (sim::SurveyFile& file : files) file.channels = 1, file.samples = 512;  // 1.3 s of line time
  files[1].seed = 77;  // the same name, other samples
  std::vector<std::unique_ptr<sim::InstrumentSimulator>> sims;
  for (const sim::SurveyFile& file : files) {
    sim::InstrumentStores stores;
    stores.memory.push_back(sim::MakeFileReply(file));
    sims.push_back(std::make_unique<sim::InstrumentSimulator>(stores, paced));
  }
  const std::filesystem::path dest = dir_.path() / "out";
  std::vector<std::future<Outcome>> runs;
  for (size_t i = 0; i < sims.size(); ++i) {
    const std::filesystem::path folder = dir_.path() / std::to_string(i);  // a stderr file each
    std::filesystem::create_directory(folder);
    const std::string args = "get --format t7p --dest " + ShellQuote(dest.string()) + " --port " +
                             sims[i]->PortPath() + " ZS0001.DAT";
    runs.push_back(std::async(std::launch::async, [folder, args] { return RunCliIn(folder, GT7P_CLI, args); }));
  }
  const std::string line = dest.string() + "/ZS0001.T7P\t";
  std::vector<std::string> said;
  for (std::future<Outcome>& run : runs) {
    const Outcome r = run.get();
    EXPECT_EQ(r.status, 0) << r.err;
    said.push_back(r.out);
  }
  ASSERT_EQ(std::set<std::string>(said.begin(), said.end()),
            (std::set<std::string>{line + "保存完毕\n", line + "略过\n"}));
  const size_t saver = said[0] == line + "保存完毕\n" ? 0 : 1;
  EXPECT_EQ(ReadFile(dest / "ZS0001.T7P"), sim::MakeRawFile(files[saver]));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dest), {}), 1) << "a work file was left";
}

// A folder that code page 936 can't hold is made and used as it is named.
TEST_F(CliLinkTest, GetIntoAFolderBeyondCodePage936) {
  Start();
  for (const char* name : {"d\xF0\x9F\x98\x80", "Bj\xC3\xB6rn", "Stra\xC3\x9F" "e"}) {
    const std::filesystem::path dest = dir_.path() / "out" / std::filesystem::u8path(name);
    const Outcome r = Cli("get --dest " + ShellQuote(dest.string()) + Port() + " ZS0001.DAT");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, dest.string() + "/ZS0001.QFX\t保存完毕\n");
    EXPECT_TRUE(Exists(dest / "ZS0001.QFX")) << name;
  }
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path() / "out"), {}), 3);  // no "d????"
}

// Control characters in a name from the instrument reach neither a file
// name nor the terminal as they are; `get` takes the name as `list` shows it.
TEST_F(CliLinkTest, ControlCharactersInNamesAreShownEscaped) {
  sim::InstrumentStores stores;
  std::string reply = sim::MakeFileReply(sim::DemoSurveyFiles()[0]);
  reply.replace(4, 22, BytesToHex(std::string("A\nB\tC\x1B[\0DAT", 11)));
  stores.memory.push_back(reply);
  Start(stores);
  Outcome r = Cli("list --columns 1" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "原始文件名称\nA\\x0AB\\x09C\\x1B[ .DAT\n");
  r = Cli("get --format t7p --dest out" + Port() + " " + ShellQuote("A\\x0AB\\x09C\\x1B[ .DAT"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/A_B_C_[.T7P\t保存完毕\n");
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/A_B_C_[.T7P")), reply);
}

// "\\" in a name shows as \x5C, so that the text `list` shows names one
// file only, the one `get` then fetches: "A\x41B" is not "AAB".
TEST_F(CliLinkTest, BackslashesInNamesAreShownEscaped) {
  sim::InstrumentStores stores;
  for (const char* name : {"A\\x41B.DAT", "AAB.DAT"}) {
    sim::SurveyFile file = sim::DemoSurveyFiles()[0];
    file.name = name;
    stores.memory.push_back(sim::MakeFileReply(file));
  }
  Start(stores);
  Outcome r = Cli("list --columns 1" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "原始文件名称\nA\\x5Cx41B  .DAT\nAAB     .DAT\n");
  r = Cli("get --format t7p --dest out" + Port() + " " + ShellQuote("A\\x5Cx41B  .DAT"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/A\\x5Cx41B.T7P\t保存完毕\n");  // the path, escaped alike
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/A\\x41B.T7P")), stores.memory[0]);
  EXPECT_FALSE(Exists(dir_ / "out/AAB.T7P"));
}

// The memory holding files of these names, each with samples of its own.
sim::InstrumentStores StoresNamed(const std::vector<std::string>& names) {
  sim::InstrumentStores stores;
  uint32_t seed = 0;
  for (const std::string& name : names) {
    sim::SurveyFile file = sim::DemoSurveyFiles()[0];
    file.name = name;
    file.seed = ++seed * 7;
    stores.memory.push_back(sim::MakeFileReply(file));
  }
  return stores;
}

// A "." or "\\" inside the 3-byte extension is part of it: AB.D.T is not
// AB.T, whether fetched with --all or by name.
TEST_F(CliLinkTest, NamesWithADotInTheExtensionFetchTheirOwnFiles) {
  const sim::InstrumentStores stores = StoresNamed({"AB.D.T", "AB.T", "AB.D\\T"});
  Start(stores);
  Outcome r = Cli("get --all --format t7p --dest out" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/AB.D.T7P\t保存完毕\nout/AB.T7P\t保存完毕\nout/AB.D\\x5CT.T7P\t保存完毕\n");
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/AB.D.T7P")), stores.memory[0]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/AB.T7P")), stores.memory[1]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/AB.D\\T.T7P")), stores.memory[2]);
  r = Cli("get --format t7p --dest named" + Port() + " AB.D.T " + ShellQuote("AB      .D\\x5CT"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "named/AB.D.T7P")), stores.memory[0]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "named/AB.D\\T.T7P")), stores.memory[2]);
  EXPECT_FALSE(Exists(dir_ / "named/AB.T7P"));
}

// Bytes code page 936 can't show are shown as \xHH: three names that would
// all read "A?B" are three rows, three files, each fetched by its text.
TEST_F(CliLinkTest, NamesBeyondCodePage936AreShownAndSavedApart) {
  const sim::InstrumentStores stores = StoresNamed({"A\xFF" "B.DAT", "A\xA2" "B.DAT", "A\xA2\xAB" "B.DAT"});
  Start(stores);
  Outcome r = Cli("list --columns 1" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "原始文件名称\nA\\xFFB     .DAT\nA\\xA2B     .DAT\nA\\xA2\\xABB    .DAT\n");
  r = Cli("get --all --format t7p --dest out" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  // The name keeps the escape; its "\\" shows as \x5C, as every "\\" of a path.
  EXPECT_EQ(r.out, "out/A\\x5CxFFB.T7P\t保存完毕\nout/A\\x5CxA2B.T7P\t保存完毕\nout/A\\x5CxA2\\x5CxABB.T7P\t保存完毕\n");
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/A\\xFFB.T7P")), stores.memory[0]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/A\\xA2B.T7P")), stores.memory[1]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/A\\xA2\\xABB.T7P")), stores.memory[2]);
  r = Cli("get --format t7p --dest named" + Port() + " " + ShellQuote("A\\xA2\\xABB.DAT") + " " +
          ShellQuote("A\\xFFB     .DAT"));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "named/A\\xA2\\xABB.T7P")), stores.memory[2]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "named/A\\xFFB.T7P")), stores.memory[0]);
}

// Each requested name gets its own line; one the instrument doesn't hold,
// or holds twice, fails alone and the rest are still fetched.
TEST_F(CliLinkTest, GetGoesOnPastNamesItCannotFetch) {
  const sim::InstrumentStores stores = StoresNamed({"A.DAT", "B.DAT", "DUP.DAT", "DUP.DAT"});
  Start(stores);
  Outcome r = Cli("get --format t7p --dest out" + Port() + " A.DAT NOPE.DAT DUP.DAT B.DAT");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "out/A.T7P\t保存完毕\nout/NOPE.T7P\t仪器上没有此文件\nout/DUP.T7P\t名称不唯一\nout/B.T7P\t保存完毕\n");
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/B.T7P")), stores.memory[1]);
  EXPECT_FALSE(Exists(dir_ / "out/DUP.T7P"));

  // Files the line brings cut short fail one by one, the line still answering.
  sim::SimulatorFaults cut;
  cut.cutFileAfter = 100;
  sim_->SetFaults(cut);
  r = Cli("get --overwrite --format t7p --dest cut" + Port() + " A.DAT B.DAT");
  EXPECT_EQ(r.status, 1);
  const std::string incomplete = test::Said(Failure::kIncompleteFile);
  EXPECT_EQ(r.out, "cut/A.T7P\t" + incomplete + "\ncut/B.T7P\t" + incomplete + "\n");
  EXPECT_EQ(Exists(dir_ / "cut/A.T7P") || Exists(dir_ / "cut/B.T7P"), false);

  // A line that goes away ends the run at once.
  sim::SimulatorFaults gone;
  gone.hangUpAfter = 400;
  sim_->SetFaults(gone);
  r = Cli("get --format t7p --dest gone" + Port() + " A.DAT B.DAT");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, test::Said(Failure::kIncompleteFile) + "\n");
}

// Two names for one output file: the first is saved, the second reported
// and not saved, and the exit status tells.
TEST_F(CliLinkTest, GetReportsTwoFilesForOneName) {
  sim::InstrumentStores stores;
  for (const char* name : {"XY.DAT", "XY.BAK", "AB/.DAT", "AB_.DAT"}) {
    sim::SurveyFile file = sim::DemoSurveyFiles()[0];
    file.name = name;
    stores.memory.push_back(sim::MakeFileReply(file));
  }
  Start(stores);
  const Outcome r = Cli("get --all --format t7p --dest out" + Port());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out,
            "out/XY.T7P\t保存完毕\nout/XY.T7P\t重名未保存\nout/AB_.T7P\t保存完毕\nout/AB_.T7P\t重名未保存\n");
  EXPECT_EQ(r.err, "XY.BAK 与 XY.DAT 的输出文件同名，未保存：out/XY.T7P\n"
                   "AB_.DAT 与 AB/.DAT 的输出文件同名，未保存：out/AB_.T7P\n");
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/XY.T7P")), stores.memory[0]);
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(dir_ / "out/AB_.T7P")), stores.memory[2]);
}

TEST_F(CliLinkTest, GetUnderADecimalCommaLocale) {
  Start();
  const std::string dest = dir_ / "out";
  ASSERT_EQ(Cli("get --format esp --dest " + dest + Port() + " ZS0001.DAT").status, 0);
  const std::string underC = ReadFile(dest + "/ZS0001.ESP");
  const CommaLocale comma;
  ASSERT_FALSE(comma.name().empty()) << CommaLocale::Missing();
  setenv("LC_ALL", comma.name().c_str(), 1);
  if (!comma.folder().empty()) setenv("LOCPATH", comma.folder().c_str(), 1);
  const Outcome r = Cli("get --overwrite --format esp --dest " + dest + Port() + " ZS0001.DAT");
  unsetenv("LC_ALL");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(ReadFile(dest + "/ZS0001.ESP"), underC);
}

TEST_F(CliLinkTest, FailuresAndUsageErrors) {
  sim::SimulatorFaults faults;
  faults.versionReply = "1021";
  Start(sim::DemoStores(), faults);
  Outcome r = Cli("list" + Port());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::Said(Failure::kCardVersionError) + "\n");
  r = Cli("get --port /dev/no-such-port ZS0001.DAT");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::Said(Failure::kConnectFailed) + "\n");
  for (const char* usage : {"list", "list --port x --delay 11", "list --port x --columns 0", "get --port x",
                            "get --port x --all A.DAT", "get --port x --skip --overwrite A.DAT"}) {
    EXPECT_EQ(Cli(usage).status, 2) << usage;
  }
}

// Digits that follow a file within the guard belong to it: the raw file
// keeps them, and the next file of the run starts clean.
TEST_F(CliLinkTest, DigitsJustAfterAFileStayWithIt) {
  sim::InstrumentStores stores;
  stores.memory = {sim::DemoStores().memory[0], sim::DemoStores().memory[1]};
  sim::SimulatorFaults faults;
  faults.trailingDigits = "0123456789ABCDEF01234567";
  faults.trailingAfterMs = 150;
  Start(stores, faults);
  const Outcome r = Cli("get --all --format t7p --dest out" + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "out/ZS0001.T7P\t保存完毕\nout/ZS0002.T7P\t保存完毕\n");
  for (int i : {0, 1})
    EXPECT_EQ(ReadFile(dir_ / ("out/ZS000" + std::to_string(i + 1) + ".T7P")),
              sim::MakeRawFile(sim::DemoSurveyFiles()[static_cast<size_t>(i)]) + faults.trailingDigits);
}

// --port auto: the other --port entries first; the one that answers wrongly
// gets "02" and nothing more; stderr says what was tried, unless --quiet.
// --full-silence changes nothing but the time taken.
TEST_F(CliLinkTest, PortAutoTakesTheInstrumentAndSaysWhatItTried) {
  sim::SimulatorFaults wrong;
  wrong.versionReply = "1021";
  const auto liar = StartSimulator(sim::DemoStores(), wrong);
  Start();
  const std::string direct = Cli("list --columns 1" + Port()).out;
  ASSERT_NE(direct, "");
  Outcome r = Cli("list --columns 1 --port auto --port " + liar->PortPath() + Port());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, direct);
  EXPECT_EQ(r.err, "自动检测：" + liar->PortPath() + " 应答错误，" + sim_->PortPath() + " 找到仪器\n");
  EXPECT_EQ(liar->Received(), Bytes({0, 2}));
  r = Cli("list --quiet --full-silence --columns 1 --port auto --port " + liar->PortPath() + Port());
  EXPECT_EQ(r.out, direct);
  EXPECT_EQ(r.err, "");
  r = Cli("get --all --quiet --port auto --port /dev/gt7p-no-such-port --port " + liar->PortPath());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err.rfind("未找到仪器！已试：/dev/gt7p-no-such-port 无法打开，" + liar->PortPath() + " 应答错误", 0), 0u)
      << r.err;
}

// On a terminal a line is redrawn in place while the directory and each
// file come in; --quiet draws none. (script(1) gives gt7p-cli a terminal.)
TEST_F(CliLinkTest, ProgressOnATerminalOnly) {
  sim::SurveyFile small = sim::DemoSurveyFiles()[0];
  small.channels = 2;
  small.samples = 256;  // 2502 characters, 1.3 s on the line
  sim::SimulatorOptions options;
  options.pace = true;
  sim_ = std::make_unique<sim::InstrumentSimulator>(sim::InstrumentStores{{sim::MakeFileReply(small)}, {}}, options);
  auto onTerminal = [this](const std::string& args) {
    return RunCliIn(dir_.path(), "script", "-qec " + ShellQuote(std::string(GT7P_CLI) + " " + args) + " /dev/null");
  };
  Outcome r = onTerminal("get --all --format t7p --dest out" + Port());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_NE(r.out.find("\r\033[KZS0001.DAT  "), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("% "), std::string::npos);
  EXPECT_NE(r.out.find("KB/s"), std::string::npos);
  EXPECT_NE(r.out.find("out/ZS0001.T7P\t保存完毕"), std::string::npos);
  r = onTerminal("get --all --quiet --overwrite --format t7p --dest out" + Port());
  EXPECT_EQ(r.status, 0) << r.out;
  EXPECT_EQ(r.out.find("KB/s"), std::string::npos) << r.out;
}

TEST_F(CliLinkTest, SimulateServesAFolderUntilTerminated) {
  const std::string served = dir_ / "served";
  std::filesystem::create_directories(served + "/card");
  WriteFile(served + "/ZS0001.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[0]));
  WriteFile(served + "/card/SD0103.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[2]));
  WriteFile(served + "/NOTRAW.T7P", "1020");
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  if (child == 0) {
    dup2(out[1], STDOUT_FILENO);
    execl(GT7P_CLI, GT7P_CLI, "simulate", "--dir", served.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(out[1]);
  std::string port;
  for (char c; read(out[0], &c, 1) == 1 && c != '\n';) port += c;
  close(out[0]);
  EXPECT_EQ(Cli("list --columns 1 --port " + port).out, "原始文件名称\nZS0001  .DAT\n");
  EXPECT_EQ(Cli("list --card --columns 1 --port " + port).out, "原始文件名称\nSD0103  .DAT\n");
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// gt7p-cli interrupted while it talks to a paced simulator (a demo file
// takes 26 s, its silence 10 s more): it leaves through the exchange's
// clean-up at once and exits with the signal's status.
class CliInterruptTest : public ::testing::Test {
 protected:
  // The simulator, telling when a reply of the kind `marker` begins.
  void Start(const std::string& marker, sim::InstrumentStores stores = sim::DemoStores()) {
    sim::SimulatorOptions options;
    options.pace = true;
    options.log = [this, marker](const std::string& line) {
      if (line.find(marker) != std::string::npos) replying_ = true;
    };
    sim_ = std::make_unique<sim::InstrumentSimulator>(std::move(stores), options);
  }
  // Runs `cli` with `args` in the test's folder, sends `signo` once the
  // reply has begun (or, with `ready`, once that says so), and returns the
  // exit status (-1: killed, or not ended within 10 s) and the ms from the
  // signal to the end.
  std::pair<int, int64_t> Interrupt(const std::string& cli, std::vector<std::string> args, int signo,
                                    const std::function<bool()>& ready = nullptr) {
    // Only async-signal-safe calls between fork and exec: the simulator's
    // thread may hold a lock.
    std::vector<char*> argv{const_cast<char*>(cli.c_str())};
    for (std::string& a : args) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    const std::string folder = dir_.path().string(), err = dir_ / ".stderr";
    const pid_t child = fork();
    if (child == 0) {
      const int fd = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (fd < 0 || dup2(fd, STDERR_FILENO) < 0 || chdir(folder.c_str()) != 0) _exit(127);
      execv(cli.c_str(), argv.data());
      _exit(127);
    }
    using Clock = std::chrono::steady_clock;
    if (ready) {
      for (Clock::time_point start = Clock::now(); !ready() && Clock::now() - start < std::chrono::seconds(10);)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } else {
      for (Clock::time_point start = Clock::now(); !replying_ && Clock::now() - start < std::chrono::seconds(10);)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    const Clock::time_point sent = Clock::now();
    kill(child, signo);
    int status = 0;
    while (waitpid(child, &status, WNOHANG) == 0) {
      if (Clock::now() - sent > std::chrono::seconds(10)) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        return {-1, -1};
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    const int64_t ms = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - sent).count();
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ms};
  }
  std::string Stderr() { return ReadFile(dir_ / ".stderr"); }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  std::atomic<bool> replying_{false};
};

// Ctrl-C, and SIGHUP from a terminal that was closed, alike.
TEST_F(CliInterruptTest, CtrlCOrHangUpDuringATransferKeepsTheOldFile) {
  for (const auto& [signo, exitStatus] : {std::pair{SIGINT, 130}, std::pair{SIGHUP, 129}}) {
    SCOPED_TRACE(signo);
    replying_ = false;
    Start(".DAT -> ");
    std::filesystem::create_directory(dir_.path() / "out");
    WriteFile(dir_ / "out/ZS0001.QFX", "OLD");
    const auto [status, ms] = Interrupt(GT7P_CLI, {"get", "--overwrite", "--delay", "10", "--dest", "out", "--port",
                                                   sim_->PortPath(), "ZS0001.DAT", "ZS0002.DAT"}, signo);
    EXPECT_EQ(status, exitStatus) << Stderr();
    EXPECT_LT(ms, 5000);
    EXPECT_EQ(Stderr(), test::Said(Failure::kLinkAborted) + "\n");
    EXPECT_EQ(ReadFile(dir_ / "out/ZS0001.QFX"), "OLD");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_.path() / "out"), {}), 1) << "a work file was left";
  }
}

// A run killed outright (SIGKILL, the power) can't clean up: the next run
// into the folder removes what it left.
TEST_F(CliInterruptTest, TheNextRunRemovesWhatAKilledRunLeft) {
  Start(".DAT -> ");
  const std::filesystem::path out = dir_.path() / "out";
  std::filesystem::create_directory(out);
  auto names = [&] {
    std::set<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(out)) found.insert(entry.path().extension());
    return found;
  };
  EXPECT_EQ(Interrupt(GT7P_CLI, {"get", "--delay", "10", "--dest", "out", "--port", sim_->PortPath(), "ZS0001.DAT"},
                      SIGKILL).first, -1);
  EXPECT_EQ(names(), std::set<std::string>{".part"});
  setenv("GT7P_TEST_SECOND_MS", std::to_string(kTestSecondMs).c_str(), 1);
  const auto simulator = StartSimulator();
  const Outcome r = RunCliIn(dir_.path(), GT7P_CLI, "get --dest out --port " + simulator->PortPath() + " ZS0002.DAT");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(names(), std::set<std::string>{".QFX"});
}

// Ctrl-C while a large record converts: the conversion gives up between
// channels, and neither the output nor its temporary file is left.
TEST_F(CliInterruptTest, CtrlCDuringAConversionLeavesNoOutput) {
  ASSERT_EQ(RunCliIn(dir_.path(), GT7P_CLI, "sample --channels 300 --samples 65535 big.T7P").status, 0);
  auto temporary = [this] {
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      if (entry.path().extension() == ".part") return true;
    return false;
  };
  // The conversion takes some 40 ms: a signal that came after its end (the
  // program then exits 0) is no verdict, and the case runs again.
  std::pair<int, int64_t> outcome;
  for (int attempt = 0; attempt < 5; ++attempt) {
    std::filesystem::remove(dir_ / "big.QFX");
    outcome = Interrupt(GT7P_CLI, {"convert", "big.T7P", "big.QFX"}, SIGINT, temporary);
    if (outcome.first != 0) break;
  }
  const auto [status, ms] = outcome;
  EXPECT_EQ(status, 130) << Stderr();
  EXPECT_LT(ms, 5000);
  EXPECT_EQ(Stderr(), "");
  EXPECT_FALSE(Exists(dir_ / "big.QFX"));
  EXPECT_FALSE(temporary());
}

TEST_F(CliInterruptTest, SigtermDuringTheDirectoryRemovesTheCacheFile) {
  // A copy of gt7p-cli of its own, so that its cache file (in its folder)
  // is no other test's.
  std::filesystem::create_directory(dir_.path() / "bin");
  const std::string cli = dir_ / "bin/gt7p-cli";
  std::filesystem::copy_file(GT7P_CLI, cli);
  sim::InstrumentStores stores;
  for (int i = 0; i < 40; ++i) stores.memory.push_back(sim::DemoStores().memory[0]);  // 6 s of directory
  Start("-> directory", stores);
  bool cacheThere = false;
  std::thread look([&] {
    while (!replying_) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    cacheThere = Exists(dir_ / "bin/GT7PCache.tmp");
  });
  const auto [status, ms] = Interrupt(cli, {"list", "--delay", "10", "--port", sim_->PortPath()}, SIGTERM);
  look.join();
  EXPECT_EQ(status, 143) << Stderr();
  EXPECT_LT(ms, 5000);
  EXPECT_TRUE(cacheThere);
  EXPECT_FALSE(Exists(dir_ / "bin/GT7PCache.tmp"));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
