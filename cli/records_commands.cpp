// gt7p-cli convert, info and sample: the record layer from the terminal.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "base/text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/interrupt.h"
#include "records/records.h"
#include "sim/record_maker.h"

namespace gt7p {
namespace cli {
namespace fs = std::filesystem;

namespace {

std::string ConvertUsage() {
  std::string extensions;
  for (const OutputFormat& format : OutputFormats())
    if (format.layout) extensions += (extensions.empty() ? "" : " or ") + format.extension;
  return "usage: gt7p-cli convert [--format " + OutputFormatNames(true) + "] RAW [OUT]\n"
         "Converts a raw (" + RawFormat().extension + ") file as the save command does. OUT defaults to RAW with\n"
         "its extension replaced by " + extensions + "; it appears only when complete. RAW is left\n"
         "unchanged: an OUT that is RAW itself is refused.\n";
}

const char kInfoUsage[] =
    "usage: gt7p-cli info FILE\n"
    "Prints the file-header fields of a raw, QFX or ESP file (told by its first\n"
    "8 bytes) that the file holds, one \"name<TAB>value\" line each as the list\n"
    "renders them; an empty line; for QFX and ESP a \"文件格式\" line; \"文件长度\"\n"
    "and \"声明长度\" lines (and \"数据文件不完整！\" when the file is shorter); then\n"
    "for each channel whose header the file holds an empty line, \"第N道\" and\n"
    "the channel-header fields the file holds. A file shorter than its header\n"
    "declares shows what it holds and exits with status 1.\n";

const char kSampleUsage[] =
    "usage: gt7p-cli sample [--index N] [--channels C] [--samples S] OUT\n"
    "Writes a synthetic raw file: demo record N (1-9, default 1), optionally with\n"
    "another channel count (1-65535) or sample count (1-65535). Records 7 to 9\n"
    "are a refraction line (ZX0001 to ZX0003: shots at the start, the middle and\n"
    "the end of 24 receivers 2 m apart over a boundary dipping 8 degrees).\n";

void PrintFieldLines(const std::vector<FieldLine>& lines) {
  for (const FieldLine& line : lines) PrintText(std::cout, line.name + "\t" + ShownText(line.value) + "\n");
}

}  // namespace

int RunConvert(const std::vector<std::string>& words) {
  Args args(words, {"--format"}, {});
  if (args.help()) return std::cout << ConvertUsage(), kExitOk;
  const OutputFormat* format = FindOutputFormat(args.Value("--format", OutputFormats().front().name));
  if (!format || !format->layout) throw UsageError{"--format takes " + OutputFormatNames(true)};
  if (args.positional().empty() || args.positional().size() > 2) throw UsageError{ConvertUsage()};

  const fs::path raw = ExistingFile(args.positional()[0]);
  const fs::path out = args.positional().size() > 1 ? PathArg(args.positional()[1])
                                                     : fs::path(raw).replace_extension(format->extension);
  RefuseSameFile(raw, out, "OUT");

  const InterruptWatch interrupts([] { AbortWork(); });
  WriteBeside(out, [&](const fs::path& part) {
    if (!ConvertRawFileTo(raw, part, *format)) throw FailureError(Failure::kCantCreateFile);
  });
  return kExitOk;
}

int RunInfo(const std::vector<std::string>& words) {
  Args args(words, {}, {});
  if (args.help()) return std::cout << kInfoUsage, kExitOk;
  if (args.positional().size() != 1) throw UsageError{kInfoUsage};
  // Only the file header must be there: a short file shows what it holds.
  RecordReader reader(ExistingFile(args.positional()[0]), false);
  const RecordHeader& header = reader.header();
  PrintFieldLines(HeaderFieldLines(header));
  std::cout << "\n";
  if (header.format->layout)
    PrintText(std::cout, Utf8ToCp936("文件格式\t") + UpperCaseCp936(header.format->name) + "\n");
  PrintText(std::cout, Utf8ToCp936("文件长度\t") + std::to_string(header.fileSize) + "\n");
  PrintText(std::cout, Utf8ToCp936("声明长度\t") + std::to_string(header.declaredSize) + "\n");
  const bool incomplete = header.fileSize < header.declaredSize;
  if (incomplete) PrintText(std::cout, FailureText(Failure::kIncompleteFile) + "\n");
  RecordChannel channel;
  for (int ch = 0; ch < header.channelCount; ++ch) {
    try {
      reader.ReadChannel(ch, channel, false);
    } catch (const Error&) {
      break;  // the file ends before this channel's header
    }
    PrintText(std::cout, "\n" + Utf8ToCp936("第") + std::to_string(ch + 1) + Utf8ToCp936("道") + "\n");
    PrintFieldLines(ChannelFieldLines(header, channel.header));
  }
  // A cut file is a failure to read it whole, also for scripts.
  return incomplete ? ReportFailure(FailureText(Failure::kIncompleteFile)) : kExitOk;
}

int RunSample(const std::vector<std::string>& words) {
  Args args(words, {"--index", "--channels", "--samples"}, {});
  if (args.help()) return std::cout << kSampleUsage, kExitOk;
  if (args.positional().size() != 1) throw UsageError{kSampleUsage};
  std::vector<sim::SurveyFile> demo = sim::DemoSurveyFiles();
  for (const sim::SurveyFile& shot : sim::LineSurveyFiles()) demo.push_back(shot);
  int index = IntOption(args, "--index", 1, 1, 65535);
  if (index > static_cast<int>(demo.size())) throw UsageError{"--index takes 1 to " + std::to_string(demo.size())};
  sim::SurveyFile file = demo[static_cast<size_t>(index - 1)];
  file.channels = IntOption(args, "--channels", file.channels, 1, 65535);
  file.samples = IntOption(args, "--samples", file.samples, 1, 65535);
  const InterruptWatch interrupts([] { AbortWork(); });
  WriteBeside(PathArg(args.positional()[0]), [&](const fs::path& part) {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    if (!out) throw FailureError(Failure::kCantCreateFile);
    errno = 0;
    const bool written = sim::WriteRawFile(file, out);
    out.close();
    // The stream keeps no reason; the failed write left it in errno.
    if (!written || !out) throw WriteError(std::error_code(errno ? errno : EIO, std::generic_category()));
  });
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
