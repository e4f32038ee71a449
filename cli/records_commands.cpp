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
    "Prints the file-header fields of a raw file, one \"name<TAB>value\" line each,\n"
    "then an empty line and the channel-header fields of every channel.\n"
    "For a QFX or ESP file (told by its first 8 bytes): the fields the file holds,\n"
    "one \"name<TAB>value\" line each as the list renders them; an empty line;\n"
    "\"文件格式\", \"文件长度\" and \"声明长度\" lines (and \"数据文件不完整！\" when\n"
    "the file is shorter); then for every channel an empty line, \"第N道\" and\n"
    "the channel-header fields the file holds. A file shorter than its header\n"
    "declares (of any format) shows what it holds and exits with status 1.\n";

const char kSampleUsage[] =
    "usage: gt7p-cli sample [--index N] [--channels C] [--samples S] OUT\n"
    "Writes a synthetic raw file: demo record N (1-6, default 1), optionally with\n"
    "another channel count (1-65535) or sample count (1-65535).\n";

std::string ReadHead(const fs::path& path, size_t bytes) {
  std::ifstream in(path, std::ios::binary);
  std::string head(bytes, '\0');
  in.read(&head[0], static_cast<std::streamsize>(bytes));
  head.resize(static_cast<size_t>(in.gcount()));
  return head;
}

void PrintFields(const std::string& record, const std::vector<FieldSpec>& fields) {
  for (const FieldSpec& fieldSpec : fields) {
    PrintText(std::cout, fieldSpec.name + "\t" + EscapeControls(FieldText(record, fieldSpec)) + "\n");
  }
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
    if (!ConvertRawFileTo(raw, part, *format)) throw Error(Utf8ToCp936("无法创建文件！"));
  });
  return kExitOk;
}

int RunInfo(const std::vector<std::string>& words) {
  Args args(words, {}, {});
  if (args.help()) return std::cout << kInfoUsage, kExitOk;
  if (args.positional().size() != 1) throw UsageError{kInfoUsage};
  const fs::path path = ExistingFile(args.positional()[0]);
  if (IsLayoutFile(path)) return PrintLayoutFileInfo(path);
  std::error_code ec;
  const uint64_t size = fs::file_size(path, ec);
  std::string head = ReadHead(path, kRawLeadingChars + kHeaderRecordChars);
  if (head.size() < kRawLeadingChars + static_cast<size_t>(kHeaderRecordChars))
    return ReportFailure(Utf8ToCp936("数据文件不完整！"));
  const std::string record = head.substr(kRawLeadingChars);
  PrintFields(record, HeaderGroupZeroFields());

  // Channel count and samples as the conversion reads them.
  auto field = [&](const char* name) {
    for (const FieldSpec& fieldSpec : HeaderGroupZeroFields()) {
      if (fieldSpec.name == Utf8ToCp936(name)) return StrToIntDef(FieldText(record, fieldSpec), 0);
    }
    return 0;
  };
  const int channels = field("道数"), samples = field("采样点数");
  const uint64_t declared = DeclaredRawSize(channels, samples);
  std::cout << "\n";
  PrintText(std::cout, Utf8ToCp936("文件长度\t") + std::to_string(size) + "\n");
  PrintText(std::cout, Utf8ToCp936("声明长度\t") + std::to_string(declared) + "\n");
  if (size < declared) PrintText(std::cout, Utf8ToCp936("数据文件不完整！\n"));

  std::ifstream in(path, std::ios::binary);
  for (int ch = 0; ch < channels; ++ch) {
    const uint64_t at = DeclaredRawSize(ch, samples);
    if (at + kChannelHeaderChars > size) break;
    std::string header(kChannelHeaderChars, '\0');
    in.seekg(static_cast<std::streamoff>(at));
    in.read(&header[0], kChannelHeaderChars);
    PrintText(std::cout, "\n" + Utf8ToCp936("第") + std::to_string(ch + 1) + Utf8ToCp936("道") + "\n");
    PrintFields(header, HeaderGroupOneFields());
  }
  // A cut file is a failure to read it whole, also for scripts.
  return size < declared ? ReportFailure(Utf8ToCp936("数据文件不完整！")) : kExitOk;
}

int RunSample(const std::vector<std::string>& words) {
  Args args(words, {"--index", "--channels", "--samples"}, {});
  if (args.help()) return std::cout << kSampleUsage, kExitOk;
  if (args.positional().size() != 1) throw UsageError{kSampleUsage};
  std::vector<sim::SurveyFile> demo = sim::DemoSurveyFiles();
  int index = IntOption(args, "--index", 1, 1, 65535);
  if (index > static_cast<int>(demo.size())) throw UsageError{"--index takes 1 to " + std::to_string(demo.size())};
  sim::SurveyFile file = demo[static_cast<size_t>(index - 1)];
  file.channels = IntOption(args, "--channels", file.channels, 1, 65535);
  file.samples = IntOption(args, "--samples", file.samples, 1, 65535);
  const InterruptWatch interrupts([] { AbortWork(); });
  WriteBeside(PathArg(args.positional()[0]), [&](const fs::path& part) {
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    if (!out) throw Error(Utf8ToCp936("无法创建文件！"));
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
