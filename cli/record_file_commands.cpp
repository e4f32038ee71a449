// gt7p-cli export and plot, and info for QFX and ESP files: records read
// back from any of our files.
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
    "Writes a raw (.T7P), QFX or ESP record as SEG-Y (revision 1) or SEG-2\n"
    "(revision 1). OUT defaults to INPUT with the extension .sgy or .sg2; it\n"
    "appears only when complete. SEG-Y takes at most 32767 samples per channel.\n";

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
    "  --clip X     amplitudes clipped at X trace spacings (default 1)\n"
    "  --filter LO,HI  zero-phase Butterworth band-pass, corners in Hz (0: open)\n"
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

int RunPlot(const std::vector<std::string>& words) {
  // "-o" is the one short option of the CLI: it stands for "--output".
  std::vector<std::string> spelled = words;
  for (std::string& w : spelled)
    if (w == "-o") w = "--output";
  Args args(spelled, {"--output", "--width", "--height", "--mode", "--gain", "--agc", "--clip", "--filter", "--range"},
            {"--dc", "--time-down", "--distance", "--reverse", "--flip", "--no-normalise"});
  if (args.help()) return std::cout << kPlotUsage, kExitOk;
  if (args.positional().size() != 1 || !args.HasValue("--output")) throw UsageError{kPlotUsage};
  PlotOptions options;
  options.width = IntOption(args, "--width", 1600, 200, 20000);
  options.height = IntOption(args, "--height", 1000, 200, 20000);
  view::DisplayOptions& display = options.display;
  if (args.HasValue("--mode")) {
    const auto mode = view::TraceModeNamed(args.Value("--mode"));
    if (!mode) throw UsageError{"--mode takes wiggle, va, va-neg, grey or rwb"};
    display.mode = *mode;
  }
  display.gainDb = NumberOption(args, "--gain", 0, -36, 60);
  display.clip = NumberOption(args, "--clip", 1, 0.1, 100);
  display.timeDown = args.Has("--time-down");
  display.byDistance = args.Has("--distance");
  display.reverse = args.Has("--reverse");
  display.flipPolarity = args.Has("--flip");
  display.normalise = !args.Has("--no-normalise");
  view::Processing& processing = options.processing;
  processing.agcMs = NumberOption(args, "--agc", 0, 0, 1e6);
  processing.removeDc = args.Has("--dc");
  if (const auto band = NumberPairOption(args, "--filter")) {
    if (band->first < 0 || band->second < 0 || (band->second > 0 && band->first >= band->second))
      throw UsageError{"--filter takes LO,HI in Hz with LO below HI (0 leaves a side open)"};
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

bool IsLayoutFile(const std::filesystem::path& path) { return FileFormat(path).layout != nullptr; }

int PrintLayoutFileInfo(const std::filesystem::path& path) {
  RecordReader reader(path, false);
  const RecordHeader& header = reader.header();
  for (const FieldLine& line : HeaderFieldLines(header))
    PrintText(std::cout, line.name + "\t" + EscapeControls(line.value) + "\n");
  std::cout << "\n";
  PrintText(std::cout, Utf8ToCp936("文件格式\t") + UpperCaseCp936(header.format->name) + "\n");
  PrintText(std::cout, Utf8ToCp936("文件长度\t") + std::to_string(header.fileSize) + "\n");
  PrintText(std::cout, Utf8ToCp936("声明长度\t") + std::to_string(header.declaredSize) + "\n");
  if (header.fileSize < header.declaredSize) PrintText(std::cout, Utf8ToCp936("数据文件不完整！\n"));
  RecordChannel channel;
  for (int ch = 0; ch < header.channelCount; ++ch) {
    try {
      reader.ReadChannel(ch, channel, false);
    } catch (const Error&) {
      break;  // the file ends before this channel
    }
    PrintText(std::cout, "\n" + Utf8ToCp936("第") + std::to_string(ch + 1) + Utf8ToCp936("道") + "\n");
    for (const FieldLine& line : ChannelFieldLines(header, channel.header))
      PrintText(std::cout, line.name + "\t" + EscapeControls(line.value) + "\n");
  }
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
