// The directory exchange against the simulator: wire bytes, rows and
// columns, the reply tests and what every failure leaves behind.
#include <gtest/gtest.h>

#include "base/error.h"
#include "link/exchange.h"
#include "records/field_table.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"

namespace gt7p {
namespace test {
namespace {

// Column lines with only the given line numbers shown.
std::string Columns(std::initializer_list<size_t> shown) {
  std::string text;
  const std::vector<std::string> entries = HeaderGroupZeroEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    bool on = std::find(shown.begin(), shown.end(), i + 1) != shown.end();
    text += (i ? "\r\n" : "") + std::to_string(i + 1) + "=" + (on ? "1" : "0") + ParseFieldSpec(entries[i]).name;
  }
  return text;
}

class ListTest : public ::testing::Test {
 protected:
  void Start(sim::InstrumentStores stores = sim::DemoStores(), sim::SimulatorFaults faults = {}) {
    sim::SimulatorOptions options;
    options.faults = faults;
    sim_.reset(new sim::InstrumentSimulator(std::move(stores), options));
    link_.SetCacheFolders({cacheDir_.text()});
    ui_.commSettings = CommSettingsText(sim_->PortPath(), 0, 1, BuildDefaultColumns());
  }
  void List() { ExchangeWithInstrument(link_, ui_, settings_, "", "", true); }
  std::string Failure() {
    return FailureOf([this] { List(); });
  }
  void ExpectUnchangedAndClosed() {
    EXPECT_EQ(settings_.portName, "");
    EXPECT_EQ(settings_.receiveDelay, 3);
    EXPECT_FALSE(link_.IsOpen());
    EXPECT_FALSE(Exists(cacheDir_ / kCacheFileName));
  }

  TempDir cacheDir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
};

TEST_F(ListTest, DefaultColumnsOfTheInstrumentMemory) {
  Start();
  bool cacheDuringRequest = false;
  ui_.onStatus = [&](const std::string& s) {
    if (s == U("正在提取目录信息...")) cacheDuringRequest = Exists(cacheDir_ / kCacheFileName);
  };
  List();
  EXPECT_EQ(sim_->Received(), Bytes({0, 2, 0, 0, 0, 0}));
  std::vector<std::string> expected;
  for (const char* c : {"原始文件名称", "　状态　", "字节数量", "探测时间", "探测地点", "探测介质", "探测层数", "道数",
                        "采样点数", "超前采样点数", "采样间隔", "探测方法"})
    expected.push_back(U(c));
  EXPECT_EQ(ui_.columns, expected);
  ASSERT_EQ(ui_.rows.size(), 4u);
  EXPECT_EQ(ui_.rows[0][0], "ZS0001  .DAT");
  EXPECT_EQ(ui_.rows[0][1], " ");
  EXPECT_EQ(ui_.rows[0][3], U("2024年03月15日09:30:12"));
  EXPECT_EQ(ui_.rows[3][0], "HD0017  .DAT");
  for (const auto& row : ui_.rows) EXPECT_EQ(row.size(), 12u);
  EXPECT_EQ(ui_.images, std::vector<int>(4, 5));
  EXPECT_EQ(ui_.targets, std::vector<bool>{true});
  EXPECT_GE(ui_.fits, 1);
  EXPECT_EQ(ui_.statuses.back(), "");
  EXPECT_TRUE(cacheDuringRequest);
  EXPECT_FALSE(Exists(cacheDir_ / kCacheFileName));
  EXPECT_FALSE(link_.IsOpen());
  EXPECT_EQ(settings_.portName, sim_->PortPath());
  EXPECT_EQ(settings_.receiveDelay, 1);
  EXPECT_EQ(settings_.columnChoice, BuildDefaultColumns());
  // The next dialog opens with what was stored.
  List();
  EXPECT_EQ(ui_.dialogArgs, (std::vector<std::string>{sim_->PortPath(), "0", "1", BuildDefaultColumns(),
                                                      BuildDefaultColumns()}));
}

TEST_F(ListTest, CardWithOneColumnChosenByLinePosition) {
  Start();
  // Line 3 (字节数量) is chosen, whatever number stands before its "=".
  std::string columns = Columns({});
  columns.replace(columns.find("3=0"), 3, "77=1");
  ui_.commSettings = CommSettingsText(sim_->PortPath(), 1, 1, columns);
  List();
  EXPECT_EQ(sim_->Received(), Bytes({0, 2, 0, 1, 0, 0}));
  EXPECT_EQ(ui_.columns, (std::vector<std::string>{U("字节数量"), U("　状态　")}));
  ASSERT_EQ(ui_.rows.size(), sim::DemoStores().card.size());
  EXPECT_EQ(ui_.rows[0], (std::vector<std::string>{"49694", " "}));
  EXPECT_EQ(ui_.targets, std::vector<bool>{false});
  EXPECT_EQ(settings_.commTarget, 1);
}

TEST_F(ListTest, EmptyAndShortDirectories) {
  sim::InstrumentStores stores = sim::DemoStores();
  stores.card.clear();
  sim::SimulatorFaults faults;
  faults.directoryLeftOut = 2;  // memory announces 4, holds 2
  Start(stores, faults);
  List();
  EXPECT_EQ(ui_.rows.size(), 2u);

  ui_.commSettings = CommSettingsText(sim_->PortPath(), 1, 1, Columns({1}));
  List();
  EXPECT_TRUE(ui_.rows.empty());
  EXPECT_TRUE(ui_.columns.empty());
  EXPECT_EQ(ui_.clears, 2);
  EXPECT_EQ(settings_.commTarget, 1);  // an empty list is a success
  EXPECT_EQ(settings_.columnChoice, Columns({1}));
}

TEST_F(ListTest, DirectoryReplyThatIsNoDirectory) {
  for (const char* reply : {"00040000", "1000"}) {
    sim::SimulatorFaults faults;
    faults.directoryReply = reply;
    Start(sim::DemoStores(), faults);
    EXPECT_EQ(Failure(), U("无法提取目录信息！")) << reply;
    EXPECT_EQ(ui_.clears, 0);
    ExpectUnchangedAndClosed();
  }
}

TEST_F(ListTest, HandshakeRepliesMustMatchExactly) {
  struct Case {
    const char *version, *memory, *message;
  };
  for (const Case& c : {Case{"10201", "10", "读COMMEM卡版本号错误！"}, Case{"102", "10", "读COMMEM卡版本号错误！"},
                        Case{"1020", "102", "读版本号错误！"}, Case{"1020", "210", "读版本号错误！"}}) {
    sim::SimulatorFaults faults;
    faults.versionReply = c.version;
    faults.memoryReply = c.memory;
    Start(sim::DemoStores(), faults);
    EXPECT_EQ(Failure(), U(c.message)) << c.version << " " << c.memory;
    EXPECT_EQ(ui_.clears, 0);
    ExpectUnchangedAndClosed();
  }
}

TEST_F(ListTest, DialogAnswersThatEndEarly) {
  link_.SetCacheFolders({cacheDir_.text()});
  ui_.commSettings = "";
  EXPECT_EQ(Failure(), U("用户取消！"));
  // Built before the dialog, kept after the cancel.
  EXPECT_EQ(settings_.defaultColumns, BuildDefaultColumns());
  EXPECT_EQ(settings_.columnChoice, BuildDefaultColumns());

  for (const char* answer : {"/dev/x,a,3,", "/dev/x,0,-1,", "/dev/x,0"}) {
    ui_.commSettings = answer;
    EXPECT_EQ(Failure(), "") << answer;
  }
  ui_.commSettings = ",0,3," + Columns({1});
  EXPECT_EQ(Failure(), "(no error)");
  EXPECT_TRUE(ui_.statuses.empty());
  EXPECT_FALSE(Exists(cacheDir_ / kCacheFileName));
}

TEST_F(ListTest, PortThatCannotBeOpenedEndsQuietly) {
  link_.SetCacheFolders({cacheDir_.text()});
  ui_.commSettings = CommSettingsText("/dev/no-such-port", 0, 3, Columns({1}));
  EXPECT_EQ(Failure(), "(no error)");
  EXPECT_EQ(ui_.statuses.back(), U("连接失败"));
  EXPECT_EQ(ui_.clears, 0);
  ExpectUnchangedAndClosed();
}

TEST_F(ListTest, ShownLineBeyondTheTableFailsAfterTheClear) {
  Start();
  ui_.commSettings = CommSettingsText(sim_->PortPath(), 0, 1, Columns({1}) + "\r\n55=1extra");
  EXPECT_EQ(Failure(), "");
  EXPECT_EQ(ui_.clears, 1);
  EXPECT_EQ(ui_.statuses.back(), "");  // the end of the refill ran
  EXPECT_EQ(ui_.fits, 1);
  ExpectUnchangedAndClosed();
}

TEST_F(ListTest, CacheFileFallsBackToTheNextFolder) {
  Start();
  TempDir second;
  const std::string notAFolder = cacheDir_ / "plain-file";
  WriteFile(notAFolder, "x");
  link_.SetCacheFolders({"", notAFolder, second.text()});
  bool inSecond = false;
  ui_.onStatus = [&](const std::string& s) {
    if (s == U("正在提取目录信息...")) inSecond = Exists(second / kCacheFileName);
  };
  List();
  EXPECT_TRUE(inSecond);
  EXPECT_EQ(ui_.rows.size(), 4u);
  EXPECT_FALSE(Exists(second / kCacheFileName));

  link_.SetCacheFolders({notAFolder});
  ui_.statuses.clear();
  EXPECT_EQ(Failure(), U("无法创建缓冲池！"));
  EXPECT_TRUE(ui_.statuses.empty());  // no port was opened
}

}  // namespace
}  // namespace test
}  // namespace gt7p
