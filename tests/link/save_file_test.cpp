// The save loop over the link against the simulator: what lands in the
// folder is what the converter makes of the instrument's file, an existing
// file is replaced only by a complete one, and a name from the instrument
// stays inside the folder.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "base/cp936.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "base/text.h"
#include "link/exchange.h"
#include "records/converter.h"
#include "sim/instrument_simulator.h"
#include "sim/record_maker.h"
#include "tests/support/comma_locale.h"
#include "tests/support/link_test_support.h"
#include "tests/support/simulator.h"
#include "workflow/comm_settings.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace test {
namespace {
namespace fs = std::filesystem;

// Every row selected, outcomes collected by caption; no prompt expected.
class AllRows : public CaptionRows {
 public:
  using CaptionRows::CaptionRows;
  void SetRowStatus(RowId id, const std::string& text) override { statuses[Caption(id)] = text; }
  void ChooseDestFolder() override { ADD_FAILURE() << "folder asked for"; }
  OverwriteChoice AskOverwrite(const std::string&, const std::string&) override {
    ADD_FAILURE() << "prompt shown";
    return kSkipThis;
  }
  void FileDone(RowId, const SavedFile& saved) override { paths.push_back(saved.path); }

  std::map<std::string, std::string> statuses;
  std::vector<fs::path> paths;
};

class SaveOverLinkTest : public ::testing::Test {
 protected:
  void Start(sim::InstrumentStores stores = sim::DemoStores()) {
    sim_ = StartSimulator(std::move(stores));
    link_.SetSecondForTesting(kTestSecondMs);
    settings_.portName = sim_->PortPath();
    settings_.receiveDelay = 1;
  }
  AllRows Save(std::vector<std::string> captions, OverwriteChoice saveChoice = kOverwriteAll,
               const OutputFormat& format = QfxFormat()) {
    AllRows rows(std::move(captions), dir_.path());
    LinkFileSource source(link_, ui_, settings_);
    SaveJob job;
    job.format = &format;
    job.saveChoice = saveChoice;
    SaveSelectedFiles(source, rows, job);
    return rows;
  }
  // The demo file's raw form, converted.
  std::string ExpectedQfx(size_t index) {
    TempDir work;
    WriteFile(work / "X.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[index]));
    EXPECT_TRUE(ConvertRawFile(work / "X.T7P", QfxFormat()));
    return ReadFile(work / "X.T7P");
  }

  TempDir dir_;
  std::unique_ptr<sim::InstrumentSimulator> sim_;
  InstrumentLink link_;
  RecordingUi ui_;
  LinkSettings settings_;
};

TEST_F(SaveOverLinkTest, NewThenOverwrittenThenSkipped) {
  Start();
  const fs::path path = dir_ / "ZS0001.QFX";
  AllRows rows = Save({"ZS0001  .DAT"});
  EXPECT_EQ(rows.statuses["ZS0001  .DAT"], G("保存完毕"));
  EXPECT_EQ(rows.paths, std::vector<fs::path>{path});
  EXPECT_EQ(ReadFile(path), ExpectedQfx(0));
  WriteFile(path, "OLD");
  EXPECT_EQ(Save({"ZS0001  .DAT"}).statuses["ZS0001  .DAT"], G("覆盖完毕"));
  EXPECT_EQ(ReadFile(path), ExpectedQfx(0));
  EXPECT_EQ(dir_.Count(), 1u);  // no work files left beside it
  const size_t sent = sim_->Received().size();
  EXPECT_EQ(Save({"ZS0001  .DAT"}, kSkipAll).statuses["ZS0001  .DAT"], G("略过"));
  // The port was opened and closed for the skipped file, but nothing was asked of the instrument.
  EXPECT_EQ(sim_->Received().size(), sent);
  EXPECT_FALSE(link_.IsOpen());
}

// A save that fails leaves the final name as it was, a new file's as much
// as an old one's, and no temporary file beside it.
TEST_F(SaveOverLinkTest, FailedSaveLeavesTheNameAsItWas) {
  struct Case {
    const char* what;
    const char* caption;
    int64_t cutAfter, hangUpAfter;
    std::optional<Failure> failure;  // none: a name the instrument doesn't serve fails without a message
    bool raw;  // the raw format fails too
  };
  // A reply that stops short of its header's declared length is no file in
  // any format, the raw one kept as it came included.
  const Case cases[] = {
      {"the instrument stops mid-way", "ZS0001  .DAT", 5000, -1, Failure::kIncompleteFile, true},
      {"the instrument stops within the header", "ZS0001  .DAT", 200, -1, Failure::kIncompleteFile, true},
      {"the line goes away", "ZS0001  .DAT", -1, 5000, Failure::kIncompleteFile, true},
      {"a name the instrument doesn't serve", "ZZ0009  .DAT", -1, -1, std::nullopt, true},
  };
  Start();
  ui_.onStatus = [](const std::string& status) { EXPECT_NE(status, FailureText(Failure::kConnectFailed)); };
  for (const Case& c : cases) {
    sim::SimulatorFaults faults;
    faults.cutFileAfter = c.cutAfter;
    faults.hangUpAfter = c.hangUpAfter;
    for (const OutputFormat* format : {&QfxFormat(), &RawFormat()}) {
      if (format == &RawFormat() && !c.raw) continue;
      for (const bool existed : {false, true}) {
        SCOPED_TRACE(std::string(c.what) + (existed ? ", replacing a file, " : ", a new file, ") + format->name);
        sim_ = StartSimulator(sim::DemoStores(), faults);  // a line gone stays gone
        settings_.portName = sim_->PortPath();
        const fs::path path = OutputPath(dir_.path(), c.caption, *format);
        if (existed) WriteFile(path, "OLD");
        EXPECT_EQ(FailureOf([&] { Save({c.caption}, kOverwriteAll, *format); }),
                  c.failure ? FailureText(*c.failure) : std::string());
        EXPECT_EQ(Exists(path), existed);
        EXPECT_EQ(ReadFile(path), existed ? "OLD" : "");
        EXPECT_EQ(dir_.Count(), existed ? 1u : 0u) << "a temporary file was left";
        EXPECT_FALSE(link_.IsOpen());
        fs::remove(path);
      }
    }
  }
}

// gt7p-cli get's save loop under a locale whose decimal point is ",": the
// same bytes as under "C", in both converted formats.
// A saved file reaches the disk before it takes its name: the flush sees the
// whole converted file under its temporary name, the final name not yet
// taken. A flush that fails fails the save: the temporary file goes and the
// old file stays.
TEST_F(SaveOverLinkTest, FlushedBeforeTheRenameAndAFailedFlushFailsTheSave) {
  Start();
  const fs::path path = dir_ / "ZS0001.QFX";
  WriteFile(path, "OLD");
  std::vector<fs::path> flushed;
  SetFlushHookForTesting([&](const fs::path& part) {
    flushed.push_back(part);
    EXPECT_EQ(part.parent_path(), dir_.path());
    EXPECT_EQ(ReadFile(part), ExpectedQfx(0));
    EXPECT_EQ(ReadFile(path), "OLD");  // not renamed yet
    return std::error_code();
  });
  EXPECT_EQ(Save({"ZS0001  .DAT"}).statuses["ZS0001  .DAT"], G("覆盖完毕"));
  EXPECT_EQ(flushed.size(), 1u);
  EXPECT_EQ(ReadFile(path), ExpectedQfx(0));

  WriteFile(path, "OLD");
  SetFlushHookForTesting([](const fs::path&) { return std::make_error_code(std::errc::io_error); });
  EXPECT_EQ(FailureOf([&] { Save({"ZS0001  .DAT"}); }), FailureText(Failure::kWriteFailed));
  SetFlushHookForTesting(nullptr);
  EXPECT_EQ(ReadFile(path), "OLD");
  EXPECT_EQ(dir_.Count(), 1u);  // the temporary file is gone
}

TEST_F(SaveOverLinkTest, SameFilesUnderADecimalCommaLocale) {
  Start();
  std::string qfx, esp;
  {
    const CommaLocale comma;
    ASSERT_FALSE(comma.name().empty()) << CommaLocale::Missing();
    Save({"ZS0001  .DAT"});
    qfx = ReadFile(dir_ / "ZS0001.QFX");
    Save({"ZS0001  .DAT"}, kOverwriteAll, EspFormat());
    esp = ReadFile(dir_ / "ZS0001.ESP");
  }
  EXPECT_EQ(qfx, ExpectedQfx(0));
  TempDir work;
  WriteFile(work / "X.T7P", sim::MakeRawFile(sim::DemoSurveyFiles()[0]));
  ASSERT_TRUE(ConvertRawFile(work / "X.T7P", EspFormat()));
  EXPECT_EQ(esp, ReadFile(work / "X.T7P"));
}

TEST_F(SaveOverLinkTest, NameFromTheInstrumentStaysInTheFolder) {
  // A header whose name field reads "../../X" with the extension "DAT".
  sim::InstrumentStores stores;
  std::string reply = sim::MakeFileReply(sim::DemoSurveyFiles()[0]);
  reply.replace(4, 22, BytesToHex(std::string("../../X\0DAT", 11)));
  stores.memory.push_back(reply);
  Start(stores);
  ui_.commSettings = Answer(sim_->PortPath(), 0, 1, DefaultColumns());
  ListDirectory(link_, ui_, settings_);
  ASSERT_EQ(ui_.rows.size(), 1u);
  EXPECT_EQ(ui_.rows[0][0], "../../X .DAT");
  const AllRows rows = Save({ui_.rows[0][0]}, kOverwriteAll, RawFormat());
  EXPECT_EQ(rows.paths, std::vector<fs::path>{dir_ / ".._.._X.T7P"});
  EXPECT_EQ(sim::ReplyFromRawFile(ReadFile(rows.paths[0])), reply);
  EXPECT_EQ(dir_.Count(), 1u);
}

// Names whose extension holds a ".", a "\\" or a ":", and names with bytes
// code page 936 can't carry: each row's file holds its own data, never that
// of a name that only looks like a part of it, under a name of its own.
TEST_F(SaveOverLinkTest, EachCaptionFetchesItsOwnFile) {
  sim::InstrumentStores stores;
  std::vector<sim::SurveyFile> files;
  for (const char* name : {"AB.D.T", "AB.T", "AB.D\\T", "AB.D:T", "A\xFF" "B.DAT", "A\xA2" "B.DAT", "A\xA2\xAB" "B.DAT"}) {
    files.push_back(sim::DemoSurveyFiles()[0]);
    files.back().name = name;
    files.back().seed = static_cast<uint32_t>(files.size() * 11);  // samples of its own
    stores.memory.push_back(sim::MakeFileReply(files.back()));
  }
  Start(stores);
  ui_.commSettings = Answer(sim_->PortPath(), 0, 1, DefaultColumns());
  ListDirectory(link_, ui_, settings_);
  std::vector<std::string> captions;
  for (const auto& row : ui_.rows) captions.push_back(row[0]);
  ASSERT_EQ(captions, (std::vector<std::string>{"AB      .D.T", "AB      .T  ", "AB      .D\\T", "AB      .D:T",
                                                "A\xFF" "B     .DAT", "A\xA2" "B     .DAT", "A\xA2\xAB" "B    .DAT"}));
  const AllRows rows = Save(captions, kOverwriteAll, RawFormat());
  for (const auto& [caption, status] : rows.statuses) EXPECT_EQ(Cp936ToUtf8(status), "保存完毕") << caption;
  ASSERT_EQ(rows.paths.size(), files.size());
  for (size_t i = 0; i < files.size(); ++i)
    EXPECT_EQ(ReadFile(rows.paths[i]), sim::MakeRawFile(files[i])) << captions[i];
  EXPECT_EQ(rows.paths[4], dir_ / "A\\xFFB.T7P");
  EXPECT_EQ(rows.paths[6], dir_ / "A\\xA2\\xABB.T7P");
  EXPECT_EQ(dir_.Count(), files.size());
}

}  // namespace
}  // namespace test
}  // namespace gt7p
