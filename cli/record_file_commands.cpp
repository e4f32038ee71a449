// gt7p-cli export, picks and plot: records read back from any of our files.
#include <iostream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/output_file.h"
#include "base/text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "records/records.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace cli {

namespace {

const char kExportUsage[] =
    "usage: gt7p-cli export --format segy|seg2 INPUT [OUT]\n"
    "Writes a raw (.T7P), QFX or ESP record as SEG-Y or SEG-2 (revision 1).\n"
    "OUT defaults to INPUT with the extension .sgy or .sg2; it appears only when\n"
    "complete. SEG-Y is revision 1, or 2.0 where the interval is no whole number\n"
    "of microseconds or over 32767 us, or a trace has more than 32767 samples; a\n"
    "first-sample time its trace header can't hold exactly is refused (use SEG-2).\n";

const char kPicksUsage[] =
    "usage: gt7p-cli picks [--format csv] FILE... [-o OUT.csv]\n"
    "       gt7p-cli picks --format sgt [--geometry LINE.csv] [--picks S] [-o OUT.sgt] FILE...\n"
    "       (-o and --output are the same; --format sgt --help tells more)\n"
    "Writes the instrument's analysis points t0..t5 of raw (.T7P) records as a\n"
    "table, UTF-8 with a header line: file, channel (its \"道号\"), distance_m,\n"
    "layer (t0 to t5), sample (the sample number, counted from 1 at the first\n"
    "recorded sample) and time_ms (0 at the trigger, as in the exports). Without\n"
    "-o the table goes to stdout; OUT appears only when complete. QFX and ESP\n"
    "files hold no points and are refused.\n";

const char kPlotUsage[] =
    "usage: gt7p-cli plot INPUT -o OUT.png [--width W] [--height H] [--mode MODE]\n"
    "                [--gain DB] [--agc MS] [--clip X] [--filter LO,HI] [--dc]\n"
    "                [--range T0,T1] [--time-down] [--distance] [--reverse] [--flip]\n"
    "                [--no-normalise]\n"
    "       (-o and --output are the same)\n"
    "Draws the record's section as the viewer shows it (the instrument's analysis\n"
    "points and the operator's first breaks marked, header fields on the right)\n"
    "into a PNG of exactly W x H pixels (default 1600 x 1000, each 200 to 20000).\n"
    "  --mode       wiggle, va (positive area filled; the default), va-neg, grey\n"
    "               or rwb (variable density, grey or red-white-blue)\n"
    "  --gain DB    fixed gain in dB (-36 to 60; default 0)\n"
    "  --agc MS     automatic gain control over a window of MS milliseconds\n"
    "               (0.001 to 100000)\n"
    "  --clip X     amplitudes clipped at X trace spacings (0.1 to 100; default 1)\n"
    "  --filter LO,HI  zero-phase Butterworth band-pass, corners in Hz (0 to\n"
    "               1000000; 0: open)\n"
    "  --dc         the mean of each trace removed\n"
    "  --range T0,T1   only the times T0 to T1 ms\n"
    "  --time-down  time downwards, traces across\n"
    "  --distance   traces spaced by their source-receiver distance\n"
    "  --reverse    the last channel first;  --flip  polarity reversed\n"
    "  --no-normalise  all traces to the record's peak, not each to its own\n";

}  // namespace

int RunExport(const std::vector<std::string>& words) {
  Args args(words, {"--format"}, {});
  if (args.help()) return std::cout << kExportUsage, kExitOk;
  const std::string format = args.Value("--format");
  if (format != "segy" && format != "seg2") throw UsageError{"--format takes segy or seg2"};
  if (args.positional().empty() || args.positional().size() > 2) throw UsageError{kExportUsage};
  const std::filesystem::path input = ExistingFile(args.positional()[0]);
  const std::filesystem::path out =
      args.positional().size() > 1 ? PathArg(args.positional()[1])
                                   : std::filesystem::path(input).replace_extension(format == "segy" ? ".sgy" : ".sg2");
  RefuseSameFile(input, out, "OUT");
  const InterruptWatch interrupts([] { AbortWork(); });
  RecordReader reader(input);
  WriteBeside(out, [&](const std::filesystem::path& part) {
    if (format == "segy")
      WriteSegy(reader, part);
    else
      WriteSeg2(reader, part);
  });
  return kExitOk;
}


int RunPicks(const std::vector<std::string>& words) {
  Args args(WithLongOutput(words), {"--output", "--format", "--geometry", "--picks"}, {});
  const std::string format = args.Value("--format", "csv");
  if (format == "sgt") return RunTomographyPicks(WithLongOutput(words));
  if (format != "csv") throw UsageError{"--format takes csv or sgt"};
  if (args.HasValue("--geometry") || args.HasValue("--picks"))
    throw UsageError{"--geometry and --picks go with --format sgt"};
  if (args.help()) return std::cout << kPicksUsage, kExitOk;
  if (args.positional().empty()) throw UsageError{kPicksUsage};
  std::vector<std::filesystem::path> inputs;
  for (const std::string& word : args.positional()) inputs.push_back(ExistingFile(word));
  const bool toFile = args.HasValue("--output");
  const std::filesystem::path out = toFile ? PathArg(args.Value("--output")) : std::filesystem::path();
  if (toFile)
    for (const auto& input : inputs) RefuseSameFile(input, out, "-o");

  const InterruptWatch interrupts([] { AbortWork(); });
  std::vector<PickRow> rows;
  for (size_t i = 0; i < inputs.size(); ++i) {
    RecordReader reader(inputs[i]);
    RequirePicks(reader.header(), TextFromPath(inputs[i]));
    int outside = 0;
    const std::vector<PickRow> picks = RecordPicks(reader, args.positional()[i], &outside);
    rows.insert(rows.end(), picks.begin(), picks.end());
    if (outside > 0)
      PrintText(std::cerr, TextFromPath(inputs[i]) + Utf8ToCp936("：") + std::to_string(outside) +
                               Utf8ToCp936(" 个解析点超出采样点数，未列出\n"));
  }
  if (toFile)
    WriteBeside(out, [&](const std::filesystem::path& part) { WritePicksTable(part, rows); });
  else
    std::cout << PicksTableText(rows) << std::flush;
  return kExitOk;
}

int RunPlot(const std::vector<std::string>& words) {
  Args args(WithLongOutput(words),
            {"--output", "--width", "--height", "--mode", "--gain", "--agc", "--clip", "--filter", "--range"},
            {"--dc", "--time-down", "--distance", "--reverse", "--flip", "--no-normalise"});
  if (args.help()) return std::cout << kPlotUsage, kExitOk;
  if (args.positional().size() != 1 || !args.HasValue("--output")) throw UsageError{kPlotUsage};
  PlotOptions options;
  const int side[] = {static_cast<int>(view::kPictureSide.low), static_cast<int>(view::kPictureSide.high)};
  options.width = IntOption(args, "--width", 1600, side[0], side[1]);
  options.height = IntOption(args, "--height", 1000, side[0], side[1]);
  view::DisplayOptions& display = options.display;
  if (args.HasValue("--mode")) {
    const auto mode = view::TraceModeNamed(args.Value("--mode"));
    if (!mode) throw UsageError{"--mode takes wiggle, va, va-neg, grey or rwb"};
    display.mode = *mode;
  }
  display.gainDb = NumberOption(args, "--gain", 0, view::kGainDb.low, view::kGainDb.high);
  display.clip = NumberOption(args, "--clip", 1, view::kClip.low, view::kClip.high);
  display.timeDown = args.Has("--time-down");
  display.byDistance = args.Has("--distance");
  display.reverse = args.Has("--reverse");
  display.flipPolarity = args.Has("--flip");
  display.normalise = !args.Has("--no-normalise");
  view::Processing& processing = options.processing;
  processing.agcMs = NumberOption(args, "--agc", 0, view::kAgcWindowMs.low, view::kAgcWindowMs.high);
  processing.removeDc = args.Has("--dc");
  if (const auto band = NumberPairOption(args, "--filter")) {
    if (!view::kCornerHz.Holds(band->first) || !view::kCornerHz.Holds(band->second) ||
        (band->second > 0 && band->first >= band->second))
      throw UsageError{"--filter takes LO,HI in Hz from 0 to " + FormatNumber15(view::kCornerHz.high) +
                       " with LO below HI (0 leaves a side open)"};
    processing.lowCutHz = band->first;
    processing.highCutHz = band->second;
  }
  options.timeRangeMs = NumberPairOption(args, "--range");
  if (options.timeRangeMs && !(options.timeRangeMs->second > options.timeRangeMs->first))
    throw UsageError{"--range takes T0,T1 in ms with T0 before T1"};
  const std::filesystem::path input = ExistingFile(args.positional()[0]), out = PathArg(args.Value("--output"));
  RefuseSameFile(input, out, "-o");
  const InterruptWatch interrupts([] { AbortWork(); });
  WriteBeside(out, [&](const std::filesystem::path& part) { PlotRecordFile(input, part, options); });
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
