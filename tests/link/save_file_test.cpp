// Saving one file: names from the instrument kept inside the folder, the
// output name of a caption, and an existing file replaced only by a
// complete one.
#include <gtest/gtest.h>

#include <filesystem>

#include "base/error.h"
#include "base/text.h"
#include "link/exchange.h"
#include "records/converter.h"
#include "records/field_table.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/link_test_support.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace test {
namespace {
namespace fs = std::filesystem;

TEST(OutputPathTest, CaptionTrimmedAndExtensionReplaced) {
  const std::string dir = "/data/out";
  EXPECT_EQ(OutputPath(dir, "ABC     .DAT", QfxFormat()), "/data/out/ABC.QFX");
  EXPECT_EQ(OutputPath(dir + "/", "ABC     .DAT", EspFormat()), "/data/out/ABC.ESP");
  EXPECT_EQ(OutputPath(dir, "ABCDEFGH.DAT", RawFormat()), "/data/out/ABCDEFGH.T7P");
  EXPECT_EQ(OutputPath(dir, " AB.DAT ", QfxFormat()), "/data/out/AB.QFX");  // shorter than 9: trimmed whole
  EXPECT_EQ(OutputPath(dir, "NOEXT", QfxFormat()), "/data/out/NOEXT.QFX");
  EXPECT_EQ(OutputPath(dir, "../../X .DAT", QfxFormat()), "/data/out/.._.._X.QFX");
  EXPECT_EQ(OutputPath(dir, "..", QfxFormat()), "/data/out/_.QFX");
  EXPECT_EQ(OutputPath("", "AB.DAT", QfxFormat()), "AB.QFX");
}

class SaveTest : public ::testing::Test {
 protected:
  void Start(sim::InstrumentStores stores = sim::DemoStores()) {
    sim_.reset(new sim::InstrumentSimulator(std::move(stores)));
    settings_.receiveDelay = 1;
    ASSERT_TRUE(link_.OpenCommPort(ui_, sim_->PortPath()));
  }
  SavedFile Save(const std::string& caption, const OutputFormat& format = QfxFormat(),
                 SaveDecision decision = SaveDecision::kSave) {
    return SaveOneFile(link_, ui_, settings_, caption, dir_.text(), format, [&](const std::string& path, bool exists) {
      asked_.push_back({path, exists});
      return decision;
    });
  }
  std::string Failure(const std::string& caption) {
    return FailureOf([&] { Save(caption); });
  }
  // What the save should give: the demo file's raw form, converted.
  std::string ExpectedQfx(size_t index) {
    TempDir work;
    WriteFile(work / "X.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[index]));
    EXPECT_TRUE(ConvertRawFile(work / "X.T7P", true, false));
    return ReadFile(work / "X.T7P");
  }
  size_t FilesInDir() const {
    return static_cast<size_t>(std::distance(fs::directory_iterator(dir_.path()), fs::directory_iterator()));
  }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
  std::vector<std::pair<std::string, bool>> asked_;
};

TEST_F(SaveTest, NewThenOverwrittenThenSkipped) {
  Start();
  const std::string path = dir_ / "ZS0001.QFX";
  SavedFile saved = Save("ZS0001  .DAT");
  EXPECT_EQ(saved.path, path);
  EXPECT_EQ(saved.outcome, SaveOutcome::kSaved);
  EXPECT_EQ(SaveOutcomeText(saved.outcome), U("保存完毕"));
  EXPECT_EQ(ReadFile(path), ExpectedQfx(0));

  WriteFile(path, "OLD");
  saved = Save("ZS0001  .DAT");
  EXPECT_EQ(saved.outcome, SaveOutcome::kOverwritten);
  EXPECT_EQ(ReadFile(path), ExpectedQfx(0));
  EXPECT_EQ(FilesInDir(), 1u);  // no work files left beside it

  const size_t sent = sim_->Received().size();
  EXPECT_EQ(Save("ZS0001  .DAT", QfxFormat(), SaveDecision::kSkip).outcome, SaveOutcome::kSkipped);
  EXPECT_EQ(Save("ZS0001  .DAT", QfxFormat(), SaveDecision::kStop).outcome, SaveOutcome::kStopped);
  EXPECT_EQ(sim_->Received().size(), sent);  // nothing asked of the instrument
  EXPECT_EQ(asked_, (std::vector<std::pair<std::string, bool>>{{path, false}, {path, true}, {path, true}, {path, true}}));
}

TEST_F(SaveTest, FailedTransferKeepsTheExistingFile) {
  sim::InstrumentStores stores = sim::DemoStores();
  stores.memory[0].resize(5000);  // the instrument stops mid-way
  Start(stores);
  const std::string path = dir_ / "ZS0001.QFX";
  WriteFile(path, "OLD");
  EXPECT_EQ(Failure("ZS0001  .DAT"), U("数据文件不完整！"));
  EXPECT_EQ(ReadFile(path), "OLD");
  EXPECT_EQ(FilesInDir(), 1u);

  // Where no file was, what came stays (the conversion put its input back).
  fs::remove(PathFromText(path));
  EXPECT_EQ(Failure("ZS0001  .DAT"), U("数据文件不完整！"));
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(path)), stores.memory[0]);
}

TEST_F(SaveTest, NameFromTheInstrumentStaysInTheFolder) {
  // A header whose name field reads "../../X" with the extension "DAT".
  sim::InstrumentStores stores;
  std::string reply = sim::MakeFileReply(sim::DemoSurveyFiles()[0]);
  reply.replace(4, 22, BytesToHex(std::string("../../X\0DAT", 11)));
  stores.memory.push_back(reply);
  Start(stores);
  link_.CloseCommPort();
  ui_.commSettings = CommSettingsText(sim_->PortPath(), 0, 1, BuildDefaultColumns());
  ExchangeWithInstrument(link_, ui_, settings_, "", "", true);
  ASSERT_EQ(ui_.rows.size(), 1u);
  EXPECT_EQ(ui_.rows[0][0], "../../X .DAT");

  ASSERT_TRUE(link_.OpenCommPort(ui_, settings_.portName));
  const SavedFile saved = Save(ui_.rows[0][0], RawFormat());
  EXPECT_EQ(saved.path, dir_ / ".._.._X.T7P");
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(saved.path)), reply);
  EXPECT_EQ(FilesInDir(), 1u);
}

}  // namespace
}  // namespace test
}  // namespace gt7p
