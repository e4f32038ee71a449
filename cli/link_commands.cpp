// gt7p-cli ports, list and get: the instrument link from the terminal,
// through the same exchange, naming and conversion as the window.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "link/link.h"
#include "records/records.h"
#include "settings/settings.h"
#include "workflow/workflow.h"

namespace gt7p {
namespace cli {
namespace {

const char kPortsUsage[] =
    "usage: gt7p-cli ports\n"
    "Lists the serial ports as the settings dialog offers them, one per line.\n";

const char kListUsage[] =
    "usage: gt7p-cli list --port PORT [--card] [--delay S] [--columns default|all|I,J,...]\n"
    "Reads the directory of the instrument memory (or of its card with --card).\n"
    "Prints a caption line, then one line per file; cells are separated by tabs,\n"
    "control characters and \"\\\" in them shown as \\xHH.\n"
    "  --delay S     seconds of silence that end the directory (3-10, default 3)\n"
    "  --columns     the default fields, all 54, or these field numbers\n";

std::string GetUsage() {
  return "usage: gt7p-cli get --port PORT [--card] [--delay S] [--format " + OutputFormatNames(false) + "]\n"
         "                    [--dest DIR] [--overwrite|--skip] (--all | NAME...)\n"
         "Fetches files from the instrument and converts them as the save command does,\n"
         "into DIR (default \".\", made when missing). NAME as `list` shows it (\\xHH\n"
         "for a control character or \"\\\"), or trimmed (AB.DAT). An existing file\n"
         "is skipped unless --overwrite. Prints one line per file: PATH<TAB>outcome.\n"
         "A file whose name maps to the output file of another one fetched before it\n"
         "(AB/.DAT and AB_.DAT, XY.DAT and XY.BAK) is not saved (重名未保存), and the\n"
         "exit status is 1.\n";
}

// The terminal as the exchange's window: the settings come from the
// options, the list is collected, waits simply block.
class TerminalUi : public InstrumentUi {
 public:
  explicit TerminalUi(CommSettings commSettings) : commSettings_(std::move(commSettings)) {}

  CommSettings ChooseCommSettings(LinkSettings&) override { return commSettings_; }
  void SetStatusText(const std::string&) override {}
  void ClearList() override {
    columns.clear();
    rows.clear();
  }
  void AddColumn(const std::string& caption) override { columns.push_back(caption); }
  void AddRow(const std::string& caption, int) override { rows.push_back({caption}); }
  void AppendSubItem(const std::string& text) override {
    if (!rows.empty()) rows.back().push_back(text);
  }
  void FitColumns() override {}
  void ShowTargetIndicator(bool) override { listed = true; }

  void WaitForEnd(const std::shared_ptr<EndSignal>& end) override {
    if (progressLabel.empty()) return end->Wait();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastByte = start;
    uint64_t seen = 0;
    bool shown = false;
    while (!end->WaitFor(std::chrono::milliseconds(250))) {
      const uint64_t bytes = end->Received();
      if (bytes <= 32) continue;  // a short reply: nothing worth showing
      if (bytes != seen) seen = bytes, lastByte = Clock::now();
      // The rate up to the latest byte, so the closing silence doesn't drag it down.
      const double seconds = std::max(std::chrono::duration<double>(lastByte - start).count(), 0.001);
      std::fprintf(stderr, "\r%s  %llu B  %.0f B/s", Cp936ToUtf8(progressLabel).c_str(),
                   static_cast<unsigned long long>(bytes), bytes / seconds);
      shown = true;
    }
    if (shown) std::fputs("\r\033[K", stderr);
  }

  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  bool listed = false;
  std::string progressLabel;  // set while a file transfers to a terminal

 private:
  CommSettings commSettings_;
};

struct PortOptions {
  std::string port;
  int32_t target = 0, delay = 3;
};

PortOptions ParsePortOptions(const Args& args) {
  PortOptions o;
  o.port = CoreText(args.Value("--port"));
  if (o.port.empty()) throw UsageError{"--port is required"};
  if (o.port.find(',') != std::string::npos) throw UsageError{"a port name with \",\" can't be passed on"};
  o.target = args.Has("--card") ? 1 : 0;
  if (args.HasValue("--delay")) {
    o.delay = StrToIntDef(args.Value("--delay"), 0);
    if (o.delay < 3 || o.delay > 10) throw UsageError{"--delay takes 3 to 10 seconds"};
  }
  return o;
}

// The group-0 fields that --columns shows, by position.
std::vector<bool> ShownFields(const std::string& choice) {
  const std::vector<FieldSpec>& fields = HeaderGroupZeroFields();
  std::vector<bool> shown(fields.size(), choice == "all");
  if (choice == "default") {
    for (size_t i = 0; i < fields.size(); ++i) shown[i] = fields[i].shown == "1";
  } else if (choice != "all") {
    for (const std::string& item : SplitText(choice, ',')) {
      int32_t n = StrToIntDef(Trim(item), 0);
      if (n < 1 || n > static_cast<int32_t>(fields.size()))
        throw UsageError{"--columns takes default, all or field numbers 1 to " + std::to_string(fields.size())};
      shown[static_cast<size_t>(n - 1)] = true;
    }
  }
  return shown;
}

// GT7P_TEST_SECOND_MS shortens the link's second for the tests that run
// gt7p-cli against the simulator; nothing else sets it.
void UseTestSecond(InstrumentLink& link) {
  const char* ms = std::getenv("GT7P_TEST_SECOND_MS");
  const int32_t value = ms ? StrToIntDef(ms, 0) : 0;
  if (value > 0) link.SetSecondForTesting(value);
}

const std::string& ConnectFailed() {
  static const std::string text = Utf8ToCp936("连接失败");
  return text;
}

// The directory into `ui`; false when the port could not be opened.
bool ReadDirectory(InstrumentLink& link, TerminalUi& ui, LinkSettings& settings) {
  ExchangeWithInstrument(link, ui, settings, std::string(), std::string(), true);
  return ui.listed;
}

void PrintCells(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i == 1) continue;  // the status column
    if (!line.empty() || i > 0) line += "\t";
    line += EscapeControls(cells[i]);
  }
  PrintText(std::cout, line + "\n");
}

}  // namespace

int RunPorts(const std::vector<std::string>& words) {
  Args args(words, {}, {});
  if (args.help()) return std::cout << kPortsUsage, kExitOk;
  if (!args.positional().empty()) throw UsageError{kPortsUsage};
  for (const std::string& line : ListSerialPorts()) PrintText(std::cout, line + "\n");
  return kExitOk;
}

int RunList(const std::vector<std::string>& words) {
  Args args(words, {"--port", "--delay", "--columns"}, {"--card"});
  if (args.help()) return std::cout << kListUsage, kExitOk;
  if (!args.positional().empty()) throw UsageError{kListUsage};
  const PortOptions o = ParsePortOptions(args);
  const std::vector<bool> shown = ShownFields(args.Value("--columns", "default"));

  InstrumentLink link;
  UseTestSecond(link);
  const InterruptWatch interrupts([&link] { link.Abort(); });
  LinkSettings settings;
  TerminalUi ui(CommSettingsFor(o.port, o.target, o.delay, shown));
  if (!ReadDirectory(link, ui, settings)) return ReportFailure(ConnectFailed());
  if (ui.columns.empty()) {
    // No file, so no columns came: the captions of the chosen fields.
    const std::vector<FieldSpec>& fields = HeaderGroupZeroFields();
    for (size_t k = 0; k < fields.size(); ++k)
      if (shown[k]) ui.columns.push_back(fields[k].name);
    if (ui.columns.size() > 1) ui.columns.insert(ui.columns.begin() + 1, std::string());
  }
  PrintCells(ui.columns);
  for (const auto& row : ui.rows) PrintCells(row);
  return kExitOk;
}

int RunGet(const std::vector<std::string>& words) {
  namespace fs = std::filesystem;
  Args args(words, {"--port", "--delay", "--format", "--dest"}, {"--card", "--overwrite", "--skip", "--all"});
  if (args.help()) return std::cout << GetUsage(), kExitOk;
  const PortOptions o = ParsePortOptions(args);
  const OutputFormat* outputFormat = FindOutputFormat(args.Value("--format", OutputFormats().front().name));
  if (!outputFormat) throw UsageError{"--format takes " + OutputFormatNames(false)};
  if (args.Has("--overwrite") && args.Has("--skip")) throw UsageError{"--overwrite and --skip exclude each other"};
  const bool all = args.Has("--all");
  if (all == !args.positional().empty()) throw UsageError{GetUsage()};

  const fs::path dest = PathArg(args.Value("--dest", "."));
  std::error_code ec;
  fs::create_directories(dest, ec);
  if (!fs::is_directory(dest, ec)) return ReportFailure(Utf8ToCp936("无法创建文件！"));

  InstrumentLink link;
  UseTestSecond(link);
  // The conversion of a fetched file gives up too.
  const InterruptWatch interrupts([&link] {
    link.Abort();
    AbortWork();
  });
  LinkSettings settings;
  settings.portName = o.port;
  settings.commTarget = o.target;
  settings.receiveDelay = o.delay;
  TerminalUi ui(CommSettingsFor(o.port, o.target, o.delay, ShownFields("default")));

  std::vector<std::string> names;
  if (all) {
    if (!ReadDirectory(link, ui, settings)) return ReportFailure(ConnectFailed());
    for (const auto& row : ui.rows) names.push_back(row.front());
  } else {
    for (const std::string& name : args.positional()) names.push_back(UnescapeControls(CoreText(name)));
  }

  // The window's save loop over the names; the choice for existing files
  // is made here, sticky, so no prompt comes.
  class NameList : public CaptionRows {
   public:
    using CaptionRows::CaptionRows;
    void PortNotOpened(RowId) override { throw Error(ConnectFailed()); }
    void FileDone(RowId id, const SavedFile& saved) override {
      PrintPath(std::cout, saved.path);
      PrintText(std::cout, "\t" + SaveOutcomeText(saved.outcome) + "\n");
      std::cout.flush();
      if (saved.outcome == SaveOutcome::kSameName) sameName.push_back({Caption(id), saved});
    }
    std::vector<std::pair<std::string, SavedFile>> sameName;  // the files not saved for their names
  } list(names, dest);

  // Progress of each transfer on a terminal.
  class ProgressSource : public LinkFileSource {
   public:
    ProgressSource(InstrumentLink& link, TerminalUi& ui, LinkSettings& settings)
        : LinkFileSource(link, ui, settings), ui_(ui) {}
    void FetchRawFile(const std::string& caption, const fs::path& path) override {
      ui_.progressLabel = ProgressOnStderr() ? Trim(caption) : std::string();
      LinkFileSource::FetchRawFile(caption, path);
    }

   private:
    TerminalUi& ui_;
  } source(link, ui, settings);

  SaveJob job;
  job.format = outputFormat;
  job.saveChoice = args.Has("--overwrite") ? kOverwriteAll : kSkipAll;
  SaveSelectedFiles(source, list, job);
  for (const auto& [caption, saved] : list.sameName) {
    std::cerr << Cp936ToUtf8(EscapeControls(FileNameFromCaption(caption) + Utf8ToCp936(" 与 ") +
                                            FileNameFromCaption(saved.sameNameAs) +
                                            Utf8ToCp936(" 的输出文件同名，未保存：")));
    PrintPath(std::cerr, saved.path);
    std::cerr << "\n";
  }
  return list.sameName.empty() ? kExitOk : kExitFailed;
}

}  // namespace cli
}  // namespace gt7p
