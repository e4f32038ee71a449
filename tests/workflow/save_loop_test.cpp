// The save loop with a list and an instrument of the test's own: the
// overwrite rule, the outcomes, the folder question, the clean-up after
// each file, and rows that move while a file is saved.
#include <gtest/gtest.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <map>

#include "base/error.h"
#include "base/local_folders.h"
#include "base/messages.h"
#include "records/converter.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "tests/support/link_test_support.h"
#include "workflow/save_file.h"

namespace gt7p {
namespace {

using test::G;

std::string RawFileOf(const std::string& name) {
  sim::SurveyFile file = sim::DemoSurveyFiles()[0];
  file.name = name;
  file.channels = 1;
  file.samples = 4;
  return sim::MakeRawFile(file);
}

class FakeSource : public FileSource {
 public:
  bool OpenCommPort() override {
    events.push_back("open");
    return opens;
  }
  void CloseCommPort() override { events.push_back("close"); }
  void FetchRawFile(const std::string& caption, const std::filesystem::path& path) override {
    events.push_back("fetch " + caption);
    if (onFetch) onFetch(caption);
    test::WriteFile(path, RawFileOf(FileNameFromCaption(caption)));
    if (onFetched) onFetched(path);
    if (failing == caption) throw Error("broken");
  }
  bool opens = true;
  std::string failing;
  std::function<void(const std::string&)> onFetch;
  std::function<void(const std::filesystem::path&)> onFetched;  // the file the raw data went to
  std::vector<std::string> events;
};

class FakeList : public SaveList {
 public:
  struct Row {
    std::string caption;
    bool selected = true;
    bool file = true;  // shows the file image
    std::string status = " ";
  };
  explicit FakeList(std::vector<Row> rows) {
    for (Row& row : rows) {
      order.push_back(rows_.size() + 1);
      rows_[rows_.size() + 1] = std::move(row);
    }
  }
  std::vector<RowId> RowIds() const override { return order; }
  bool SelectedFileRow(RowId id, std::string& caption) const override {
    const Row& row = rows_.at(id);
    caption = row.caption;
    return row.selected && row.file;
  }
  void SetRowStatus(RowId id, const std::string& text) override { rows_.at(id).status = text; }
  std::filesystem::path DestFolder() const override { return dest; }
  void ChooseDestFolder() override {
    ++folderQuestions;
    dest = chosenFolder;
  }
  OverwriteChoice AskOverwrite(const std::string& message, const std::string& caption) override {
    prompts.push_back(message);
    EXPECT_EQ(caption, "Title");
    const OverwriteChoice answer = answers.empty() ? kSkipThis : answers.front();
    if (!answers.empty()) answers.pop_front();
    return answer;
  }
  void SetStatusText(const std::string& text) override { statuses.push_back(text); }
  void SetToolbarEnabled(bool enabled) override { events.push_back(enabled ? "toolbar on" : "toolbar off"); }
  void SetWorking(bool working) override { events.push_back(working ? "working" : "idle"); }
  void FileTurn(RowId id) override { turns.push_back(rows_.at(id).caption); }
  void PortNotOpened(RowId id) override { events.push_back("not opened " + rows_.at(id).caption); }
  void FileDone(RowId id, const SavedFile& saved) override { files.FileDone(id, saved); }

  std::string Status(const std::string& caption) const {
    for (const auto& [id, row] : rows_)
      if (row.caption == caption) return row.status;
    return "(no row)";
  }
  // The file the row wrote, as the window remembers it for the viewer.
  std::filesystem::path SavedPath(const std::string& caption) const {
    for (const auto& [id, row] : rows_)
      if (row.caption == caption) return files.PathOf(id);
    return "(no row)";
  }

  std::vector<RowId> order;
  std::filesystem::path dest, chosenFolder;
  int folderQuestions = 0;
  std::deque<OverwriteChoice> answers;
  std::vector<std::string> prompts, statuses, events, turns;
  SavedRowFiles files;

 private:
  std::map<RowId, Row> rows_;
};

class SaveLoop : public ::testing::Test {
 protected:
  void Save(FakeList& list, OverwriteChoice saveChoice = kOverwriteThis, const OutputFormat& format = QfxFormat()) {
    SaveJob job;
    job.format = &format;
    job.appTitle = "Title";
    job.saveChoice = saveChoice;
    SaveSelectedFiles(source_, list, job);
  }
  FakeList List(std::vector<FakeList::Row> rows) {
    FakeList list(std::move(rows));
    list.dest = dir_.path();
    return list;
  }
  std::filesystem::path Path(const std::string& name) const { return dir_ / name; }

  test::TempDir dir_;
  FakeSource source_;
};

TEST(SaveChoiceRule, NextChoiceAndOutcome) {
  int asked = 0;
  const auto ask = [&] {
    ++asked;
    return kSkipThis;
  };
  EXPECT_EQ(NextSaveChoice(kOverwriteAll, true, ask), kOverwriteAll);  // sticky
  EXPECT_EQ(NextSaveChoice(kSkipAll, true, ask), kSkipAll);
  EXPECT_EQ(NextSaveChoice(kSkipThis, false, ask), kOverwriteThis);    // a new file: no question
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(NextSaveChoice(kOverwriteThis, true, ask), kSkipThis);
  EXPECT_EQ(NextSaveChoice(kStopSaving, true, ask), kSkipThis);
  EXPECT_EQ(asked, 2);
  const std::pair<OverwriteChoice, SaveOutcome> whenExists[] = {
      {kStopSaving, SaveOutcome::kStopped}, {kOverwriteAll, SaveOutcome::kOverwritten},
      {kSkipAll, SaveOutcome::kSkipped},   {kOverwriteThis, SaveOutcome::kOverwritten},
      {kSkipThis, SaveOutcome::kSkipped}};
  for (const auto& [choice, outcome] : whenExists) EXPECT_EQ(OutcomeOf(choice, true), outcome) << int(choice);
  EXPECT_EQ(OutcomeOf(kSkipAll, false), SaveOutcome::kSaved);
  EXPECT_EQ(OutcomeOf(kOverwriteAll, false), SaveOutcome::kSaved);
  EXPECT_EQ(OutcomeOf(kStopSaving, false), SaveOutcome::kStopped);
}

TEST(OutputPathRule, CaptionTrimmedAndExtensionReplaced) {
  const std::filesystem::path out = "out";
  auto text = [](const std::filesystem::path& path) { return TextFromPath(path); };
  EXPECT_EQ(text(OutputPath(out, "ABC     .DAT", QfxFormat())), text(out / "ABC.QFX"));
  EXPECT_EQ(text(OutputPath(out / "", "ABC     .DAT", EspFormat())), text(out / "ABC.ESP"));
  EXPECT_EQ(text(OutputPath(out, "ABCDEFGH.DAT", RawFormat())), text(out / "ABCDEFGH.T7P"));
  EXPECT_EQ(text(OutputPath(out, " AB.DAT ", QfxFormat())), text(out / "AB.QFX"));  // shorter than 9: trimmed whole
  EXPECT_EQ(text(OutputPath(out, "NOEXT", QfxFormat())), text(out / "NOEXT.QFX"));
  EXPECT_EQ(text(OutputPath(out, "../../X .DAT", QfxFormat())), text(out / ".._.._X.QFX"));
  EXPECT_EQ(text(OutputPath(out, "..", QfxFormat())), text(out / "_.QFX"));
  EXPECT_EQ(text(OutputPath("", "AB.DAT", QfxFormat())), "AB.QFX");
  EXPECT_EQ(text(OutputPath(out, G("测量    .DAT"), QfxFormat())), text(out / PathFromText(G("测量.QFX"))));
}

TEST_F(SaveLoop, NewFilesAreConvertedAndMarked) {
  FakeList list = List({{"AB      .DAT"}, {"CD.DAT", false}, {"EF0003  .DAT"}});
  Save(list);
  EXPECT_EQ(list.turns, (std::vector<std::string>{"AB      .DAT", "EF0003  .DAT"}));  // selected file rows only
  EXPECT_EQ(list.Status("AB      .DAT"), G("保存完毕"));
  EXPECT_EQ(list.Status("CD.DAT"), " ");
  EXPECT_EQ(list.Status("EF0003  .DAT"), G("保存完毕"));
  EXPECT_TRUE(list.prompts.empty());
  // What the converter makes of the raw file.
  test::TempDir work;
  test::WriteFile(work / "X.QFX", RawFileOf("AB.DAT"));
  ASSERT_TRUE(ConvertRawFile(work / "X.QFX", QfxFormat()));
  EXPECT_EQ(test::ReadFile(Path("AB.QFX")), test::ReadFile(work / "X.QFX"));
  EXPECT_EQ(dir_.Count(), 2u);
  // One file's turn: status, port, toolbar off, working, then the clean-up.
  EXPECT_EQ(source_.events, (std::vector<std::string>{"open", "fetch AB      .DAT", "close", "open",
                                                      "fetch EF0003  .DAT", "close"}));
  EXPECT_EQ(std::vector<std::string>(list.events.begin(), list.events.begin() + 4),
            (std::vector<std::string>{"toolbar off", "working", "idle", "toolbar on"}));
  EXPECT_EQ(list.statuses[0], G("正在保存文件：AB      .DAT..."));
  EXPECT_EQ(list.statuses[1], "");
}

TEST_F(SaveLoop, RawFormatKeepsTheTransferredFile) {
  FakeList list = List({{"AB      .DAT"}});
  Save(list, kOverwriteThis, RawFormat());
  EXPECT_EQ(test::ReadFile(Path("AB.T7P")), RawFileOf("AB.DAT"));
}

TEST_F(SaveLoop, NothingSelectedAsksNothing) {
  FakeList list = List({{"A.DAT", false}, {"B.DAT", true, false}});  // unselected; no file image
  list.dest.clear();
  Save(list);
  EXPECT_EQ(list.folderQuestions, 0);
  EXPECT_TRUE(source_.events.empty());
  EXPECT_TRUE(list.statuses.empty());
}

// Existing files and the prompt's answers, row by row.
TEST_F(SaveLoop, OverwriteAnswers) {
  struct Case {
    OverwriteChoice answer;
    std::vector<const char*> statuses;  // A, B (both exist), C (new)
    size_t prompts;
  };
  const Case cases[] = {
      {kOverwriteThis, {"覆盖完毕", "覆盖完毕", "保存完毕"}, 2},
      {kOverwriteAll, {"覆盖完毕", "覆盖完毕", "保存完毕"}, 1},
      {kSkipThis, {"略过", "略过", "保存完毕"}, 2},
      {kSkipAll, {"略过", "略过", "保存完毕"}, 1},
      {kStopSaving, {"终止保存", " ", " "}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.answer));
    test::WriteFile(Path("A.QFX"), "old");
    test::WriteFile(Path("B.QFX"), "old");
    std::error_code ec;
    std::filesystem::remove(Path("C.QFX"), ec);
    FakeList list = List({{"A.DAT"}, {"B.DAT"}, {"C.DAT"}});
    list.answers = {c.answer, c.answer};
    Save(list);
    EXPECT_EQ(list.Status("A.DAT"), G(c.statuses[0]));
    EXPECT_EQ(list.Status("B.DAT"), G(c.statuses[1]));
    EXPECT_EQ(list.Status("C.DAT"), G(c.statuses[2]));
    ASSERT_EQ(list.prompts.size(), c.prompts);
    EXPECT_EQ(list.prompts[0], G("覆盖文件：") + TextFromPath(Path("A.QFX")));
    const bool overwritten = c.answer == kOverwriteThis || c.answer == kOverwriteAll;
    EXPECT_EQ(test::ReadFile(Path("B.QFX")) != "old", overwritten);
    EXPECT_EQ(list.SavedPath("A.DAT"), overwritten ? Path("A.QFX") : "");  // skipped rows wrote nothing
    EXPECT_EQ(list.SavedPath("C.DAT"), c.answer == kStopSaving ? std::filesystem::path() : Path("C.QFX"));
    EXPECT_EQ(list.events.back(), "toolbar on");  // the clean-up ran, also after a stop
    EXPECT_EQ(source_.events.back(), "close");
    // Each row reached had its turn, skipped or not; none after a stop.
    const std::vector<std::string> all = {"A.DAT", "B.DAT", "C.DAT"};
    const std::vector<std::string> turns = c.answer == kStopSaving ? std::vector<std::string>{"A.DAT"} : all;
    EXPECT_EQ(list.turns, turns);
  }
}

TEST_F(SaveLoop, StickyChoiceFromTheStart) {
  // gt7p-cli: --skip and --overwrite are choices 2 and 1 from the start.
  test::WriteFile(Path("A.QFX"), "old");
  FakeList skip = List({{"A.DAT"}, {"B.DAT"}});
  Save(skip, kSkipAll);
  EXPECT_EQ(skip.Status("A.DAT"), G("略过"));
  EXPECT_EQ(skip.Status("B.DAT"), G("保存完毕"));
  FakeList overwrite = List({{"A.DAT"}, {"B.DAT"}});
  Save(overwrite, kOverwriteAll);
  EXPECT_EQ(overwrite.Status("A.DAT"), G("覆盖完毕"));
  EXPECT_EQ(overwrite.Status("B.DAT"), G("覆盖完毕"));
  EXPECT_TRUE(skip.prompts.empty() && overwrite.prompts.empty());
}

TEST_F(SaveLoop, MissingFolderIsAskedForAndACancelEndsQuietly) {
  FakeList list = List({{"A.DAT"}, {"B.DAT"}});
  list.dest = dir_ / "gone";
  Save(list);  // the folder question gives nothing
  EXPECT_EQ(list.folderQuestions, 1);
  EXPECT_TRUE(source_.events.empty());
  EXPECT_EQ(list.Status("A.DAT"), " ");
  list.chosenFolder = dir_.path();
  Save(list);
  EXPECT_EQ(list.folderQuestions, 2);
  EXPECT_EQ(list.Status("B.DAT"), G("保存完毕"));
  EXPECT_TRUE(test::Exists(Path("B.QFX")));
}

TEST_F(SaveLoop, PortThatCannotBeOpenedPassesTheRowOver) {
  source_.opens = false;
  FakeList list = List({{"A.DAT"}, {"B.DAT"}});
  Save(list);
  EXPECT_EQ(list.Status("A.DAT"), " ");
  EXPECT_EQ(list.Status("B.DAT"), " ");
  EXPECT_EQ(source_.events, (std::vector<std::string>{"open", "close", "open", "close"}));
  EXPECT_EQ(list.events, (std::vector<std::string>{"toolbar off", "not opened A.DAT", "idle", "toolbar on",
                                                   "toolbar off", "not opened B.DAT", "idle", "toolbar on"}));
  EXPECT_EQ(list.statuses.back(), "");
  EXPECT_EQ(list.turns, (std::vector<std::string>{"A.DAT", "B.DAT"}));  // a turn, though nothing came
}

TEST_F(SaveLoop, ErrorEndsTheLoopAfterTheCleanUp) {
  test::WriteFile(Path("B.QFX"), "old");
  source_.failing = "B.DAT";
  FakeList list = List({{"A.DAT"}, {"B.DAT"}, {"C.DAT"}});
  list.answers = {kOverwriteAll};
  EXPECT_EQ(test::FailureOf([&] { Save(list); }), "broken");
  EXPECT_EQ(list.Status("A.DAT"), G("保存完毕"));
  EXPECT_EQ(list.Status("B.DAT"), G("正在保存"));
  EXPECT_EQ(list.Status("C.DAT"), " ");
  EXPECT_EQ(test::ReadFile(Path("B.QFX")), "old");  // replaced only by a complete file
  EXPECT_EQ(dir_.Count(), 2u);
  EXPECT_EQ(list.events.back(), "toolbar on");
  EXPECT_EQ(source_.events.back(), "close");
}

// A failed file leaves nothing under its name, a new one as much as one that
// replaces an old file.
TEST_F(SaveLoop, FailedNewFileLeavesNothing) {
  source_.failing = "B.DAT";
  FakeList list = List({{"A.DAT"}, {"B.DAT"}});
  EXPECT_EQ(test::FailureOf([&] { Save(list); }), "broken");
  EXPECT_EQ(list.Status("B.DAT"), G("正在保存"));
  EXPECT_FALSE(test::Exists(Path("B.QFX")));
  EXPECT_EQ(dir_.Count(), 1u);  // A.QFX, and no temporary file
}

// The conversion can't even start (the fetched file is gone, an empty
// folder in its place): a failure, not raw text saved as QFX.
TEST_F(SaveLoop, ConversionThatCannotStartFails) {
  for (const bool existed : {false, true}) {
    SCOPED_TRACE(existed ? "replacing" : "new");
    if (existed) test::WriteFile(Path("A.QFX"), "old");
    std::vector<std::filesystem::path> blocks;
    source_.onFetched = [&](const std::filesystem::path& raw) {
      std::filesystem::remove(raw);
      std::filesystem::create_directory(raw);
      blocks.push_back(raw);
    };
    FakeList list = List({{"A.DAT"}, {"B.DAT"}});
    list.answers = {kOverwriteThis};
    EXPECT_EQ(test::FailureOf([&] { Save(list); }), FailureText(Failure::kCantCreateFile));
    EXPECT_EQ(list.Status("A.DAT"), G("正在保存"));
    EXPECT_EQ(list.Status("B.DAT"), " ");
    EXPECT_EQ(test::ReadFile(Path("A.QFX")), existed ? "old" : "");
    EXPECT_EQ(test::Exists(Path("A.QFX")), existed);
    ASSERT_EQ(blocks.size(), 1u);
    std::filesystem::remove_all(blocks[0]);
    EXPECT_EQ(dir_.Count(), existed ? 1u : 0u);  // no temporary file
  }
}

// Two files of one run whose names map to one output file: the first is
// kept, the second is not saved and says why; nothing is asked about it.
TEST_F(SaveLoop, TwoFilesForOneNameKeepTheFirst) {
  test::WriteFile(Path("XY.QFX"), "old");  // from an earlier run: the prompt's business
  FakeList list = List({{"AB/     .DAT"}, {"AB_     .DAT"}, {"XY      .DAT"}, {"XY      .BAK"}, {"XY      .DAT"}});
  list.answers = {kOverwriteThis, kOverwriteThis};
  Save(list);
  EXPECT_EQ(list.Status("AB/     .DAT"), G("保存完毕"));
  EXPECT_EQ(list.Status("AB_     .DAT"), G("重名未保存"));
  EXPECT_EQ(list.Status("XY      .BAK"), G("重名未保存"));
  // The same name twice is one file: the overwrite rule, and a second prompt.
  EXPECT_EQ(list.prompts.size(), 2u);
  EXPECT_EQ(list.SavedPath("AB_     .DAT"), "");
  // AB_.QFX holds what the converter made of AB/.DAT's raw file.
  test::TempDir work;
  test::WriteFile(work / "X.QFX", RawFileOf("AB/.DAT"));
  ASSERT_TRUE(ConvertRawFile(work / "X.QFX", QfxFormat()));
  EXPECT_EQ(test::ReadFile(Path("AB_.QFX")), test::ReadFile(work / "X.QFX"));
  EXPECT_EQ(source_.events, (std::vector<std::string>{"open", "fetch AB/     .DAT", "close", "open", "close", "open",
                                                      "fetch XY      .DAT", "close", "open", "close", "open",
                                                      "fetch XY      .DAT", "close"}));
  EXPECT_EQ(dir_.Count(), 2u);
}

// Another save puts a file at the name while this one transfers (two runs
// into one folder): it is replaced only where replacing was chosen; else
// it is met as an existing file, after the transfer: the prompt (the window)
// or the sticky skip (gt7p-cli without --overwrite).
TEST_F(SaveLoop, AFileThatAppearsDuringTheTransferIsNotReplacedUnasked) {
  struct Case {
    OverwriteChoice start;
    std::deque<OverwriteChoice> answers;  // at A (there from the start), then at B if asked
    const char* statusB;
    bool replaced;
  };
  const Case cases[] = {
      {kOverwriteThis, {kOverwriteThis, kSkipThis}, "略过", false},
      {kOverwriteThis, {kOverwriteThis, kOverwriteThis}, "覆盖完毕", true},
      {kOverwriteThis, {kOverwriteThis, kStopSaving}, "终止保存", false},
      {kOverwriteThis, {kOverwriteAll}, "覆盖完毕", true},  // replacing was chosen for all
      {kSkipAll, {}, "略过", false},
      {kOverwriteAll, {}, "覆盖完毕", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.start) + " " + G(c.statusB));
    std::filesystem::remove_all(dir_.path());
    std::filesystem::create_directory(dir_.path());
    test::WriteFile(Path("A.QFX"), "old");
    source_.onFetch = [&](const std::string& caption) {
      if (caption == "B.DAT") test::WriteFile(Path("B.QFX"), "theirs");
    };
    FakeList list = List({{"A.DAT"}, {"B.DAT"}, {"C.DAT"}});
    list.answers = c.answers;
    Save(list, c.start);
    EXPECT_EQ(list.Status("B.DAT"), G(c.statusB));
    EXPECT_EQ(test::ReadFile(Path("B.QFX")) != "theirs", c.replaced);
    EXPECT_EQ(list.SavedPath("B.DAT"), c.replaced ? Path("B.QFX") : "");
    const size_t asked = c.start == kOverwriteThis && c.answers.front() != kOverwriteAll ? 2 : c.start == kOverwriteThis;
    ASSERT_EQ(list.prompts.size(), asked);
    if (asked == 2) {
      EXPECT_EQ(list.prompts[1], G("覆盖文件：") + TextFromPath(Path("B.QFX")));
    }
    EXPECT_EQ(list.Status("C.DAT"), c.answers.size() > 1 && c.answers[1] == kStopSaving ? " " : G("保存完毕"));
    EXPECT_EQ(dir_.Count(), test::Exists(Path("C.QFX")) ? 3u : 2u);  // no temporary file left
  }
}

// Names that are devices on Windows, or end in a dot: each becomes a file
// of its own that holds what was saved.
TEST_F(SaveLoop, DeviceNamesSaveAsFiles) {
  FakeList list = List({{"CON     .DAT"}, {"nul     .DAT"}, {"AUX"}, {"COM1    .DAT"}, {"LPT1    .   "}});
  Save(list);
  for (const char* caption : {"CON     .DAT", "nul     .DAT", "AUX", "COM1    .DAT", "LPT1    .   "}) {
    EXPECT_EQ(list.Status(caption), G("保存完毕")) << caption;
    EXPECT_TRUE(std::filesystem::is_regular_file(list.SavedPath(caption))) << caption;
  }
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) files += entry.is_regular_file();
  EXPECT_EQ(files, 5u);
}

// The window lets input through while a file transfers: a click on a
// column header re-sorts the rows. Each outcome still lands in its row, and
// the rows are visited in the order they had at the start.
TEST_F(SaveLoop, RowsMovedDuringATransferKeepTheirOutcomes) {
  FakeList list = List({{"A.DAT"}, {"B.DAT", false}, {"C.DAT"}});
  source_.onFetch = [&](const std::string&) { std::reverse(list.order.begin(), list.order.end()); };
  Save(list);
  EXPECT_EQ(list.Status("A.DAT"), G("保存完毕"));
  EXPECT_EQ(list.Status("B.DAT"), " ");
  EXPECT_EQ(list.Status("C.DAT"), G("保存完毕"));
  EXPECT_EQ(list.SavedPath("A.DAT"), Path("A.QFX"));
  EXPECT_EQ(list.SavedPath("B.DAT"), "");
  EXPECT_EQ(list.SavedPath("C.DAT"), Path("C.QFX"));
  EXPECT_EQ(source_.events, (std::vector<std::string>{"open", "fetch A.DAT", "close", "open", "fetch C.DAT", "close"}));
}

}  // namespace
}  // namespace gt7p
