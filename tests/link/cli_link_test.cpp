// gt7p-cli list and get against the simulator, as a user runs them.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/cli_runner.h"
#include "tests/support/comma_locale.h"
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
  EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 7);
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
  EXPECT_EQ(r.err, "读COMMEM卡版本号错误！\n");
  r = Cli("get --port /dev/no-such-port ZS0001.DAT");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, "连接失败\n");
  for (const char* usage : {"list", "list --port x --delay 11", "list --port x --columns 0", "get --port x",
                            "get --port x --all A.DAT", "get --port x --skip --overwrite A.DAT"}) {
    EXPECT_EQ(Cli(usage).status, 2) << usage;
  }
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

}  // namespace
}  // namespace test
}  // namespace gt7p
