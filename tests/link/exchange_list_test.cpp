// The directory command against the simulator: wire bytes, what the
// exchange brings back, the rows and columns made of it, the reply tests
// and what every failure leaves behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "base/error.h"
#include "base/messages.h"
#include "link/exchange.h"
#include "link/reply_file.h"
#include "records/field_table.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"
#include "workflow/comm_settings.h"

namespace gt7p {
namespace test {
namespace {

class ListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    link_.SetCacheFolders({cacheDir_.path()});
    link_.SetSecondForTesting(kTestSecondMs);
  }
  void Start(sim::InstrumentStores stores = sim::DemoStores(), sim::SimulatorFaults faults = {}) {
    sim_ = StartSimulator(std::move(stores), faults);
    ui_.commSettings = Answer(sim_->PortPath(), 0, 1, DefaultColumns());
  }
  void List() { ListDirectory(link_, ui_, settings_); }
  std::string ListFailure() {
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
    if (s == G("正在提取目录信息...")) cacheDuringRequest = Exists(cacheDir_ / kCacheFileName);
  };
  List();
  EXPECT_EQ(sim_->Received(), Bytes({0, 2, 0, 0, 0, 0}));
  std::vector<std::string> expected;
  for (const char* c : {"原始文件名称", "　状态　", "字节数量", "探测时间", "探测地点", "探测介质", "探测层数", "道数",
                        "采样点数", "超前采样点数", "采样间隔", "探测方法"})
    expected.push_back(G(c));
  EXPECT_EQ(ui_.columns, expected);
  ASSERT_EQ(ui_.rows.size(), 4u);
  EXPECT_EQ(ui_.rows[0][0], "ZS0001  .DAT");
  EXPECT_EQ(ui_.rows[0][1], " ");
  EXPECT_EQ(ui_.rows[0][3], G("2024年03月15日09:30:12"));
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
  EXPECT_EQ(settings_.columnChoice, DefaultColumns());
  // The next dialog opens with what was stored.
  List();
  EXPECT_EQ(ui_.dialogArgs, (std::vector<std::string>{sim_->PortPath(), "0", "1", DefaultColumns(),
                                                      DefaultColumns()}));
}

// The exchange itself brings back the headers, the count and the settings
// used; the list and the stored settings are the caller's to change.
TEST_F(ListTest, ExchangeBringsBackTheHeadersOnly) {
  sim::SimulatorFaults faults;
  faults.directoryLeftOut = 1;  // announces 4, holds 3
  Start(sim::DemoStores(), faults);
  const std::optional<InstrumentDirectory> read = ReadInstrumentDirectory(link_, ui_, settings_);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->entries, 4);
  ASSERT_EQ(read->headers.size(), 3u);
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(read->headers[i], sim::DemoStores().memory[i].substr(4, kHeaderRecordChars));
  EXPECT_EQ(read->settings.portName, sim_->PortPath());
  EXPECT_EQ(read->settings.receiveDelay, 1);
  EXPECT_EQ(ui_.clears, 0);
  ExpectUnchangedAndClosed();

  ui_.commSettings = Answer("/dev/no-such-port", 0, 3, Columns({1}));
  EXPECT_FALSE(ReadInstrumentDirectory(link_, ui_, settings_));
}

TEST_F(ListTest, CardWithOneColumnChosenByLinePosition) {
  Start();
  // Line 3 (字节数量) is chosen, whatever number stands before its "=".
  std::string columns = Columns({});
  columns.replace(columns.find("3=0"), 3, "77=1");
  ui_.commSettings = Answer(sim_->PortPath(), 1, 1, columns);
  List();
  EXPECT_EQ(sim_->Received(), Bytes({0, 2, 0, 1, 0, 0}));
  EXPECT_EQ(ui_.columns, (std::vector<std::string>{G("字节数量"), G("　状态　")}));
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

  ui_.commSettings = Answer(sim_->PortPath(), 1, 1, Columns({1}));
  List();
  EXPECT_TRUE(ui_.rows.empty());
  EXPECT_TRUE(ui_.columns.empty());
  EXPECT_EQ(ui_.clears, 2);
  EXPECT_EQ(settings_.commTarget, 1);  // an empty list is a success
  EXPECT_EQ(settings_.columnChoice, Columns({1}));
}

TEST_F(ListTest, EntryCountIsHex) {
  // 26 files: the count reads "001A".
  sim::InstrumentStores stores;
  sim::SurveyFile file = sim::DemoSurveyFiles()[0];
  file.channels = 1;
  file.samples = 1;
  for (int i = 0; i < 26; ++i) {
    file.name = "F" + std::to_string(100 + i) + ".DAT";
    stores.memory.push_back(sim::MakeFileReply(file));
  }
  Start(stores);
  ui_.commSettings = Answer(sim_->PortPath(), 0, 1, Columns({1}));
  List();
  ASSERT_EQ(ui_.rows.size(), 26u);
  EXPECT_EQ(ui_.rows[25][0], "F125    .DAT");
}

TEST_F(ListTest, DirectoryReplyThatIsNoDirectory) {
  for (const char* reply : {"00040000", "1000"}) {
    sim::SimulatorFaults faults;
    faults.directoryReply = reply;
    Start(sim::DemoStores(), faults);
    EXPECT_EQ(ListFailure(), FailureText(Failure::kNoDirectory)) << reply;
    EXPECT_EQ(ui_.clears, 0);
    ExpectUnchangedAndClosed();
  }
}

TEST_F(ListTest, HandshakeRepliesMustMatchExactly) {
  struct Case {
    const char *version, *memory;
    Failure message;
  };
  for (const Case& c : {Case{"10201", "10", Failure::kCardVersionError}, Case{"102", "10", Failure::kCardVersionError},
                        Case{"1020", "102", Failure::kVersionError}, Case{"1020", "210", Failure::kVersionError}}) {
    sim::SimulatorFaults faults;
    faults.versionReply = c.version;
    faults.memoryReply = c.memory;
    Start(sim::DemoStores(), faults);
    EXPECT_EQ(ListFailure(), FailureText(c.message)) << c.version << " " << c.memory;
    EXPECT_EQ(ui_.clears, 0);
    ExpectUnchangedAndClosed();
  }
}

TEST_F(ListTest, DialogAnswersThatEndEarly) {
  ui_.commSettings = "";
  EXPECT_EQ(ListFailure(), FailureText(Failure::kUserCancelled));
  ui_.commSettings = "/dev/x,a,3,";
  EXPECT_EQ(ListFailure(), "");
  ui_.commSettings = ",0,3," + Columns({1});
  EXPECT_EQ(ListFailure(), "(no error)");
  EXPECT_TRUE(ui_.statuses.empty());
  EXPECT_FALSE(Exists(cacheDir_ / kCacheFileName));
}

TEST_F(ListTest, PortThatCannotBeOpenedEndsQuietly) {
  ui_.commSettings = Answer("/dev/no-such-port", 0, 3, Columns({1}));
  EXPECT_EQ(ListFailure(), "(no error)");
  EXPECT_EQ(ui_.statuses.back(), FailureText(Failure::kConnectFailed));
  EXPECT_EQ(ui_.clears, 0);
  ExpectUnchangedAndClosed();
}

TEST_F(ListTest, ShownLineBeyondTheTableFailsAfterTheClear) {
  Start();
  ui_.commSettings = Answer(sim_->PortPath(), 0, 1, Columns({1}) + "\r\n55=1extra");
  EXPECT_EQ(ListFailure(), "");
  EXPECT_EQ(ui_.clears, 1);
  EXPECT_EQ(ui_.statuses.back(), "");  // the end of the refill ran
  EXPECT_EQ(ui_.fits, 1);
  ExpectUnchangedAndClosed();
}

TEST_F(ListTest, CacheFileFallsBackToTheNextFolder) {
  Start();
  TempDir second;
  const std::filesystem::path notAFolder = cacheDir_ / "plain-file";
  WriteFile(notAFolder, "x");
  link_.SetCacheFolders({"", notAFolder, second.path()});
  bool inSecond = false;
  ui_.onStatus = [&](const std::string& s) {
    if (s == G("正在提取目录信息...")) inSecond = Exists(second / kCacheFileName);
  };
  List();
  EXPECT_TRUE(inSecond);
  EXPECT_EQ(ui_.rows.size(), 4u);
  EXPECT_FALSE(Exists(second / kCacheFileName));

  link_.SetCacheFolders({notAFolder});
  ui_.statuses.clear();
  EXPECT_EQ(ListFailure(), FailureText(Failure::kNoBufferPool));
  EXPECT_TRUE(ui_.statuses.empty());  // no port was opened
}

// Another run's cache file (held as this run holds its own) is never opened,
// emptied or removed: this run takes the next folder, or a name of its own
// where every folder's is held. A cache file that no run holds is a
// left-over and goes.
TEST_F(ListTest, CacheFileOfAnotherRunIsLeftAlone) {
  Start();
  TempDir second;
  ReplyFile other;
  ASSERT_TRUE(other.Create(cacheDir_ / kCacheFileName));
  other.Write("another run's directory", 23);
  ASSERT_TRUE(other.Flush());
  link_.SetCacheFolders({cacheDir_.path(), second.path()});
  List();
  EXPECT_EQ(ui_.rows.size(), 4u);
  EXPECT_EQ(ReadFile(cacheDir_ / kCacheFileName), "another run's directory");
  EXPECT_FALSE(Exists(second / kCacheFileName));

  link_.SetCacheFolders({cacheDir_.path()});
  bool ownName = false;
  ui_.onStatus = [&](const std::string& s) {
    if (s != G("正在提取目录信息...")) return;
    for (const auto& entry : std::filesystem::directory_iterator(cacheDir_.path())) {
      const std::string name = entry.path().filename().string();
      ownName = ownName || (name.size() == 22 && name.compare(0, 10, "GT7PCache.") == 0);
    }
  };
  List();
  EXPECT_TRUE(ownName);
  EXPECT_EQ(ReadFile(cacheDir_ / kCacheFileName), "another run's directory");
  EXPECT_EQ(cacheDir_.Count(), 1u);  // this run's cache is gone
  ui_.onStatus = nullptr;

  other.Close();  // that run ended without its clean-up
  List();
  EXPECT_FALSE(Exists(cacheDir_ / kCacheFileName));
}

// A link planted at the cache file's name is taken away, never written through.
TEST_F(ListTest, LinkAtTheCacheNameIsNotFollowed) {
  Start();
  const std::filesystem::path victim = cacheDir_ / "victim";
  WriteFile(victim, "precious");
  std::filesystem::create_symlink(victim, cacheDir_ / kCacheFileName);
  List();
  EXPECT_EQ(ui_.rows.size(), 4u);
  EXPECT_EQ(ReadFile(victim), "precious");
  EXPECT_FALSE(Exists(cacheDir_ / kCacheFileName));
}

}  // namespace
}  // namespace test
}  // namespace gt7p
