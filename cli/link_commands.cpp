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

// The options every command that talks to the instrument takes.
const char kLinkOptions[] =
    "  --port PORT   the instrument's serial port; \"auto\" tries each port the machine\n"
    "                lists and the other --port entries (first) with the handshake\n"
    "                and takes the one that answers as the instrument\n"
    "  --delay S     seconds of silence that bridge a pause in a reply (3-10, default 3)\n"
    "  --full-silence  every reply ends on its silence (1 s, or S after the directory\n"
    "                and each file) instead of shortly after it is complete\n"
    "  --quiet       no progress line and no auto-detection report on stderr\n";

std::string ListUsage() {
  return std::string("usage: gt7p-cli list --port PORT|auto [--card] [--delay S] [--full-silence] [--quiet]\n"
                     "                     [--columns default|all|I,J,...]\n"
                     "Reads the directory of the instrument memory (or of its card with --card).\n"
                     "Prints a caption line, then one line per file; cells are separated by tabs,\n"
                     "control characters and \"\\\" in them shown as \\xHH.\n") +
         kLinkOptions + "  --columns     the default fields, all 54, or these field numbers\n";
}

std::string GetUsage() {
  return "usage: gt7p-cli get --port PORT|auto [--card] [--delay S] [--full-silence] [--quiet]\n"
         "                    [--format " + OutputFormatNames(false) + "] [--dest DIR] [--overwrite|--skip]\n"
         "                    (--all | NAME...)\n"
         "Fetches files from the instrument and converts them as the save command does,\n"
         "into DIR (default \".\", made when missing). NAME as `list` shows it (\\xHH\n"
         "for a control character or \"\\\"), or trimmed (AB.DAT). An existing file\n"
         "is skipped unless --overwrite. Prints one line per file: PATH<TAB>outcome.\n"
         "A file whose name maps to the output file of another one fetched before it\n"
         "(AB/.DAT and AB_.DAT, XY.DAT and XY.BAK) is not saved (重名未保存), and the\n"
         "exit status is 1.\n" +
         kLinkOptions;
}

// The terminal as the exchange's window: the settings come from the
// options, the list is collected, waits simply block.
class TerminalUi : public InstrumentUi {
 public:
  CommSettings ChooseCommSettings(LinkSettings&) override { return commSettings; }
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

  // A long reply draws one line, redrawn in place, while a progress label
  // is set (stderr a terminal, no --quiet); the line goes when it ends.
  void WaitForEnd(const std::shared_ptr<EndSignal>& end) override {
    if (progressLabel.empty() || !end->LongReply()) return end->Wait();
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    TransferProgress progress;
    bool shown = false;
    while (!end->WaitFor(std::chrono::milliseconds(250))) {
      progress.Update(end->Received(), end->Declared(), std::chrono::duration<double>(Clock::now() - start).count());
      if (progress.Received() == 0) continue;
      std::fprintf(stderr, "\r\033[K%s", Cp936ToUtf8(EscapeControls(TerminalProgressLine(progressLabel, progress))).c_str());
      shown = true;
    }
    if (shown) std::fputs("\r\033[K", stderr);
  }

  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;
  bool listed = false;
  std::string progressLabel;  // set while a long reply comes in, to a terminal
  CommSettings commSettings;  // what the options chose
};

struct PortOptions {
  std::string port;                // empty with auto-detection, until a port is found
  std::vector<std::string> named;  // the other --port entries, tried first
  bool autoDetect = false;
  int32_t target = 0, delay = 3;
  bool fullSilence = false, quiet = false;
};

PortOptions ParsePortOptions(const Args& args) {
  PortOptions o;
  for (const std::string& value : args.Values("--port")) {
    const std::string port = CoreText(value);
    if (port.find(',') != std::string::npos) throw UsageError{"a port name with \",\" can't be passed on"};
    if (port == "auto")
      o.autoDetect = true;
    else if (!port.empty())
      o.named.push_back(port);
  }
  if (!o.autoDetect && !o.named.empty()) o.port = o.named.back();  // the last one counts
  if (!o.autoDetect && o.port.empty()) throw UsageError{"--port is required"};
  o.target = args.Has("--card") ? 1 : 0;
  if (args.HasValue("--delay")) {
    o.delay = StrToIntDef(args.Value("--delay"), 0);
    if (o.delay < 3 || o.delay > 10) throw UsageError{"--delay takes 3 to 10 seconds"};
  }
  o.fullSilence = args.Has("--full-silence");
  o.quiet = args.Has("--quiet");
  return o;
}

// With --port auto, the port that answers as the instrument, and on stderr
// (without --quiet) which ports were tried. Error "未找到仪器！已试：…" when
// none does.
void FindPort(InstrumentLink& link, InstrumentUi& ui, PortOptions& o) {
  if (!o.autoDetect) return;
  const PortDetection detection = DetectInstrumentPort(link, ui, DetectionCandidates(o.named, ListSerialPorts()));
  if (detection.port.empty()) throw Error(Utf8ToCp936("未找到仪器！已试：") + DetectionReport(detection));
  if (!o.quiet) std::cerr << Cp936ToUtf8(EscapeControls(Utf8ToCp936("自动检测：") + DetectionReport(detection))) << "\n";
  o.port = detection.port;
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

// Whether a progress line may be drawn: on a terminal, without --quiet.
bool ShowProgress(const PortOptions& o) { return !o.quiet && ProgressOnStderr(); }

// The directory into `ui`; false when the port could not be opened.
bool ReadDirectory(InstrumentLink& link, TerminalUi& ui, LinkSettings& settings, const PortOptions& o) {
  ui.progressLabel = ShowProgress(o) ? Utf8ToCp936("目录") : std::string();
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
  Args args(words, {"--port", "--delay", "--columns"}, {"--card", "--full-silence", "--quiet"});
  if (args.help()) return std::cout << ListUsage(), kExitOk;
  if (!args.positional().empty()) throw UsageError{ListUsage()};
  PortOptions o = ParsePortOptions(args);
  const std::vector<bool> shown = ShownFields(args.Value("--columns", "default"));

  InstrumentLink link;
  UseTestSecond(link);
  const InterruptWatch interrupts([&link] { link.Abort(); });
  LinkSettings settings;
  TerminalUi ui;
  FindPort(link, ui, o);
  ui.commSettings = CommSettingsFor(o.port, o.target, o.delay, shown);
  ui.commSettings.fullSilence = o.fullSilence;
  if (!ReadDirectory(link, ui, settings, o)) return ReportFailure(ConnectFailed());
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
  Args args(words, {"--port", "--delay", "--format", "--dest"},
            {"--card", "--overwrite", "--skip", "--all", "--full-silence", "--quiet"});
  if (args.help()) return std::cout << GetUsage(), kExitOk;
  PortOptions o = ParsePortOptions(args);
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
  TerminalUi ui;
  FindPort(link, ui, o);
  LinkSettings settings;
  settings.portName = o.port;
  settings.commTarget = o.target;
  settings.receiveDelay = o.delay;
  settings.fullSilence = o.fullSilence;
  ui.commSettings = CommSettingsFor(o.port, o.target, o.delay, ShownFields("default"));
  ui.commSettings.fullSilence = o.fullSilence;

  std::vector<std::string> names;
  if (all) {
    if (!ReadDirectory(link, ui, settings, o)) return ReportFailure(ConnectFailed());
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
    ProgressSource(InstrumentLink& link, TerminalUi& ui, LinkSettings& settings, bool show)
        : LinkFileSource(link, ui, settings), ui_(ui), show_(show) {}
    void FetchRawFile(const std::string& caption, const fs::path& path) override {
      ui_.progressLabel = show_ ? FileNameFromCaption(caption) : std::string();
      LinkFileSource::FetchRawFile(caption, path);
    }

   private:
    TerminalUi& ui_;
    const bool show_;
  } source(link, ui, settings, ShowProgress(o));

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
