// gt7p-cli ports, list and get: the instrument link from the terminal,
// through the same exchange, naming and conversion as the window.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iostream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
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
std::string LinkOptions() {
  return "  --port PORT   the instrument's serial port; \"auto\" tries each port the machine\n"
         "                lists and the other --port entries (first) with the handshake\n"
         "                and takes the one that answers as the instrument\n"
         "  --delay S     seconds of silence that bridge a pause in a reply (" +
         std::to_string(kShortestReceiveDelay) + "-" + std::to_string(kLongestReceiveDelay) +
         ", default 3)\n"
         "  --full-silence  every reply ends on its silence (1 s, or S after the directory\n"
         "                and each file) instead of shortly after it is complete\n"
         "  --quiet       no progress line and no auto-detection report on stderr\n";
}

std::string ListUsage() {
  return std::string("usage: gt7p-cli list --port PORT|auto [--card] [--delay S] [--full-silence] [--quiet]\n"
                     "                     [--columns default|all|I,J,...]\n"
                     "Reads the directory of the instrument memory (or of its card with --card).\n"
                     "Prints a caption line, then one line per file; cells are separated by tabs,\n"
                     "control characters, \"\\\" and bytes code page 936 can't show in them\n"
                     "shown as \\xHH.\n") +
         LinkOptions() + "  --columns     the default fields, all 54, or these field numbers\n";
}

std::string GetUsage() {
  return "usage: gt7p-cli get --port PORT|auto [--card] [--delay S] [--full-silence] [--quiet]\n"
         "                    [--format " + OutputFormatNames(false) + "] [--dest DIR] [--overwrite|--skip]\n"
         "                    (--all | NAME...)\n"
         "Fetches files from the instrument and converts them as the save command does,\n"
         "into DIR (default \".\", made when missing). NAME as `list` shows it (\\xHH\n"
         "for a control character, \"\\\" or a byte code page 936 can't show), or trimmed\n"
         "(AB.DAT), matched against the directory. An existing file is skipped unless\n"
         "--overwrite. Prints one line per name: PATH<TAB>outcome; a name the directory\n"
         "doesn't hold (仪器上没有此文件), holds twice (名称不唯一) or whose file fails\n"
         "(its message) is not saved, the rest are still tried, and the exit status is 1.\n"
         "A dead line, a full disk or Ctrl-C end the run at once.\n"
         "A file whose name maps to the output file of another one fetched before it\n"
         "(AB/.DAT and AB_.DAT, XY.DAT and XY.BAK) is not saved (重名未保存), and the\n"
         "exit status is 1.\n" +
         LinkOptions();
}

// The terminal as the exchange's window: the settings come from the
// options, the list is kept, waits simply block.
class TerminalUi : public ListingUi {
 public:
  CommSettings ChooseCommSettings(LinkSettings&) override { return commSettings; }
  void SetStatusText(const std::string&) override {}
  void ShowList(const DirectoryList& shown) override { list = shown; }
  void FitColumns() override {}
  void ShowTargetIndicator(bool) override {}

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
      std::fprintf(stderr, "\r\033[K%s", Cp936ToUtf8(ShownText(TerminalProgressLine(progressLabel, progress))).c_str());
      shown = true;
    }
    if (shown) std::fputs("\r\033[K", stderr);
  }

  DirectoryList list;
  std::string progressLabel;  // set while a long reply comes in, to a terminal
  CommSettings commSettings;  // what the options chose
};

// The line's settings the options give (portName empty with auto-detection,
// until a port is found), and how to find the port and report.
struct PortOptions : LineSettings {
  std::vector<std::string> named;  // the other --port entries, tried first
  bool quiet = false;
};

PortOptions ParsePortOptions(const Args& args) {
  PortOptions o;
  for (const std::string& value : args.Values("--port")) {
    const std::string port = CoreText(value);
    if (port.find(',') != std::string::npos) throw UsageError{"a port name with \",\" can't be passed on"};
    if (port == "auto")
      o.autoDetectPort = true;
    else if (!port.empty())
      o.named.push_back(port);
  }
  if (!o.autoDetectPort && !o.named.empty()) o.portName = o.named.back();  // the last one counts
  if (!o.autoDetectPort && o.portName.empty()) throw UsageError{"--port is required"};
  o.commTarget = args.Has("--card") ? 1 : 0;
  if (args.HasValue("--delay")) {
    o.receiveDelay = StrToIntDef(args.Value("--delay"), 0);
    if (o.receiveDelay < kShortestReceiveDelay || o.receiveDelay > kLongestReceiveDelay)
      throw UsageError{"--delay takes " + std::to_string(kShortestReceiveDelay) + " to " +
                       std::to_string(kLongestReceiveDelay) + " seconds"};
  }
  o.fullSilence = args.Has("--full-silence");
  o.quiet = args.Has("--quiet");
  return o;
}

// With --port auto, the port that answers as the instrument, and on stderr
// (without --quiet) which ports were tried. Error "未找到仪器！已试：…" when
// none does.
void FindPort(InstrumentLink& link, InstrumentUi& ui, PortOptions& o) {
  if (!o.autoDetectPort) return;
  CommSettings probe;
  probe.portName = AutoDetectPortName();
  PortDetection detection;
  o.portName = ResolveAutoDetect(probe, link, ui, DetectionCandidates(o.named, ListSerialPorts()), &detection).portName;
  if (!o.quiet) std::cerr << Cp936ToUtf8(ShownText(Utf8ToCp936("自动检测：") + DetectionReport(detection))) << "\n";
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

// The directory's settings as the options give them (the port found, with
// auto-detection).
CommSettings DirectorySettings(const PortOptions& o, const std::vector<bool>& shownFields) {
  CommSettings settings = CommSettingsFor(o.portName, o.commTarget, o.receiveDelay, shownFields);
  settings.fullSilence = o.fullSilence;
  return settings;
}

// GT7P_TEST_SECOND_MS shortens the link's second for the tests that run
// gt7p-cli against the simulator; nothing else sets it.
void UseTestSecond(InstrumentLink& link) {
  const char* ms = std::getenv("GT7P_TEST_SECOND_MS");
  const int32_t value = ms ? StrToIntDef(ms, 0) : 0;
  if (value > 0) link.SetSecondForTesting(value);
}

// Whether a progress line may be drawn: on a terminal, without --quiet.
bool ShowProgress(const PortOptions& o) { return !o.quiet && ProgressOnStderr(); }

// The directory into `ui.list`; false when the port could not be opened.
bool ReadDirectory(InstrumentLink& link, TerminalUi& ui, LinkSettings& settings, const PortOptions& o) {
  ui.progressLabel = ShowProgress(o) ? Utf8ToCp936("目录") : std::string();
  return ListDirectory(link, ui, settings);
}

void PrintCells(const std::vector<std::string>& cells) {
  std::string line;
  for (size_t i = 0; i < cells.size(); ++i) line += (i > 0 ? "\t" : "") + ShownText(cells[i]);
  PrintText(std::cout, line + "\n");
}

struct GetOptions {
  PortOptions port;
  const OutputFormat* format = nullptr;
  OverwriteChoice saveChoice = kSkipAll;  // the choice for existing files, sticky: no prompt comes
  bool all = false;
  std::vector<std::string> names;  // as typed, without --all
  std::filesystem::path dest;
};

GetOptions ParseGetOptions(const Args& args) {
  GetOptions o;
  o.port = ParsePortOptions(args);
  o.format = FindOutputFormat(args.Value("--format", OutputFormats().front().name));
  if (!o.format) throw UsageError{"--format takes " + OutputFormatNames(false)};
  if (args.Has("--overwrite") && args.Has("--skip")) throw UsageError{"--overwrite and --skip exclude each other"};
  o.saveChoice = args.Has("--overwrite") ? kOverwriteAll : kSkipAll;
  o.all = args.Has("--all");
  if (o.all == !args.positional().empty()) throw UsageError{GetUsage()};
  o.names = args.positional();
  o.dest = PathArg(args.Value("--dest", "."));
  return o;
}

// The destination folder, made when missing; false when there is none.
bool MakeDestFolder(const std::filesystem::path& dest) {
  std::error_code ec;
  std::filesystem::create_directories(dest, ec);
  return std::filesystem::is_directory(dest, ec);
}

// What the transfers use: the options' port, target, delay and timing.
LinkSettings TransferSettings(const PortOptions& o) {
  LinkSettings settings;
  static_cast<LineSettings&>(settings) = o;
  return settings;
}

// A requested name that names no file of the directory.
const std::string& UnservedText() {
  static const std::string text = Utf8ToCp936("仪器上没有此文件");
  return text;
}

// The names as the save loop's rows: one line on stdout per requested
// name, PATH<TAB>outcome, as each is done. A row with a failure of its own
// (a name the directory doesn't hold, or holds twice) is passed over with
// that outcome; a failed transfer or conversion gives its message, and the
// rest are tried while `goesOn` says the line still answers.
class PrintedNames : public CaptionRows {
 public:
  PrintedNames(std::vector<std::string> captions, std::vector<std::string> rowFailures,
               const std::filesystem::path& dest, const OutputFormat& format,
               std::function<bool(const Error&)> goesOn)
      : CaptionRows(std::move(captions), dest),
        rowFailures_(std::move(rowFailures)),
        format_(format),
        goesOn_(std::move(goesOn)) {}
  bool SelectedFileRow(RowId id, std::string& caption) const override {
    if (id < rowFailures_.size() && !rowFailures_[id].empty()) {
      PrintLine(OutputPath(DestFolder(), Caption(id), format_), rowFailures_[id]);
      failed_ = true;
      return false;
    }
    return CaptionRows::SelectedFileRow(id, caption);
  }
  void PortNotOpened(RowId) override { throw Error(FailureText(Failure::kConnectFailed)); }
  void FileDone(RowId id, const SavedFile& saved) override {
    PrintLine(saved.path, SaveOutcomeText(saved.outcome));
    if (saved.outcome == SaveOutcome::kSameName) sameName.push_back({Caption(id), saved});
  }
  bool GoOnAfter(RowId, const SavedFile& saved, const Error& failure) override {
    if (!goesOn_(failure)) return false;
    PrintLine(saved.path, *failure.message() ? std::string(failure.message()) : UnservedText());
    failed_ = true;
    return true;
  }
  // A name not saved for a failure of its own (not for its output's name).
  bool failed() const { return failed_; }
  std::vector<std::pair<std::string, SavedFile>> sameName;  // the files not saved for their names

 private:
  static void PrintLine(const std::filesystem::path& path, const std::string& outcome) {
    PrintPath(std::cout, path);
    PrintText(std::cout, "\t" + outcome + "\n");
    std::cout.flush();
  }
  const std::vector<std::string> rowFailures_;
  const OutputFormat& format_;
  const std::function<bool(const Error&)> goesOn_;
  mutable bool failed_ = false;  // the loop asks for each row once, in order
};

// The directory's captions for the typed names (as `list` shows them, or
// trimmed: "AB.DAT"), and for each name that matches no caption or more
// than one its failure, "仪器上没有此文件" or "名称不唯一", its caption the
// name itself.
void MatchNames(const std::vector<std::string>& typed, const DirectoryList& directory,
                std::vector<std::string>& captions, std::vector<std::string>& failures) {
  static const std::string kNotUnique = Utf8ToCp936("名称不唯一");
  for (const std::string& word : typed) {
    const std::string name = TextFromShown(CoreText(word));
    size_t matches = 0;
    std::string caption = name;
    for (const auto& row : directory.rows) {
      if (row.empty() || (row.front() != name && FileNameFromCaption(row.front()) != name)) continue;
      ++matches;
      caption = row.front();
    }
    captions.push_back(matches == 1 ? caption : name);
    failures.push_back(matches == 1 ? std::string() : matches == 0 ? UnservedText() : kNotUnique);
  }
}

// The instrument, with each transfer's progress on a terminal.
class LinkProgressSource : public LinkFileSource {
 public:
  LinkProgressSource(InstrumentLink& link, TerminalUi& ui, LinkSettings& settings, bool show)
      : LinkFileSource(link, ui, settings), ui_(ui), show_(show) {}
  void FetchRawFile(const std::string& caption, const std::filesystem::path& path) override {
    ui_.progressLabel = show_ ? FileNameFromCaption(caption) : std::string();
    LinkFileSource::FetchRawFile(caption, path);
  }

 private:
  TerminalUi& ui_;
  const bool show_;
};

// On stderr, which files were not saved for the name of an earlier one.
void ReportSameNames(const std::vector<std::pair<std::string, SavedFile>>& sameName) {
  for (const auto& [caption, saved] : sameName) {
    std::cerr << Cp936ToUtf8(ShownText(FileNameFromCaption(caption) + Utf8ToCp936(" 与 ") +
                                            FileNameFromCaption(saved.sameNameAs) +
                                            Utf8ToCp936(" 的输出文件同名，未保存：")));
    PrintPath(std::cerr, saved.path);
    std::cerr << "\n";
  }
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
  ui.commSettings = DirectorySettings(o, shown);
  if (!ReadDirectory(link, ui, settings, o)) return ReportFailure(FailureText(Failure::kConnectFailed));
  PrintCells(ui.list.captions);
  for (const auto& row : ui.list.rows) PrintCells(row);
  return kExitOk;
}

int RunGet(const std::vector<std::string>& words) {
  Args args(words, {"--port", "--delay", "--format", "--dest"},
            {"--card", "--overwrite", "--skip", "--all", "--full-silence", "--quiet"});
  if (args.help()) return std::cout << GetUsage(), kExitOk;
  GetOptions o = ParseGetOptions(args);
  if (!MakeDestFolder(o.dest)) return ReportFailure(FailureText(Failure::kCantCreateFile));

  InstrumentLink link;
  UseTestSecond(link);
  // The conversion of a fetched file gives up too.
  const InterruptWatch interrupts([&link] {
    link.Abort();
    AbortWork();
  });
  TerminalUi ui;
  FindPort(link, ui, o.port);
  LinkSettings settings = TransferSettings(o.port);
  ui.commSettings = DirectorySettings(o.port, ShownFields("default"));

  // Names are matched against the directory, so each is fetched by its
  // entry's own caption.
  if (!ReadDirectory(link, ui, settings, o.port)) return ReportFailure(FailureText(Failure::kConnectFailed));
  std::vector<std::string> captions, failures;
  if (o.all) {
    for (const auto& row : ui.list.rows) captions.push_back(row.front());
  } else {
    MatchNames(o.names, ui.list, captions, failures);
  }

  // A file the instrument failed to give, or that could not be converted,
  // ends only its own line; a line that is gone or no longer answers as the
  // instrument, a full disk and Ctrl-C end the run.
  const auto goesOn = [&link](const Error& failure) {
    if (dynamic_cast<const Aborted*>(&failure) || dynamic_cast<const WriteError*>(&failure)) return false;
    return !link.LineGone() && !link.RanOn() && failure.message() != FailureText(Failure::kCardVersionError) &&
           failure.message() != FailureText(Failure::kVersionError);
  };
  LinkProgressSource source(link, ui, settings, ShowProgress(o.port));
  PrintedNames list(captions, failures, o.dest, *o.format, goesOn);
  SaveJob job;
  job.format = o.format;
  job.saveChoice = o.saveChoice;
  SaveSelectedFiles(source, list, job);
  ReportSameNames(list.sameName);
  if (list.failed()) return kExitFailed;
  return list.sameName.empty() ? kExitOk : kExitFailed;
}

}  // namespace cli
}  // namespace gt7p
