// gt7p-cli convert, info and sample: the record layer from the terminal.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
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
         "its extension replaced by " + extensions + ". RAW is left unchanged.\n";
}

const char kInfoUsage[] =
    "usage: gt7p-cli info FILE\n"
    "Prints the file-header fields of a raw file, one \"name<TAB>value\" line each,\n"
    "then an empty line and the channel-header fields of every channel.\n";

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

void PrintFields(const std::string& record, const std::vector<std::string>& entries) {
  for (const std::string& entry : entries) {
    FieldSpec fieldSpec = ParseFieldSpec(entry);
    PrintText(std::cout, fieldSpec.name + "\t" + FieldText(record, fieldSpec) + "\n");
  }
}

int ParseCount(const Args& args, const std::string& option, int fallback) {
  if (!args.HasValue(option)) return fallback;
  int32_t v = StrToIntDef(args.Value(option), -1);
  if (v < 1 || v > 65535) throw UsageError{option + " takes a number from 1 to 65535"};
  return v;
}

}  // namespace

int RunConvert(const std::vector<std::string>& words) {
  Args args(words, {"--format"}, {});
  if (args.help()) return std::cout << ConvertUsage(), kExitOk;
  const OutputFormat* format = FindOutputFormat(args.Value("--format", OutputFormats().front().name));
  if (!format || !format->layout) throw UsageError{"--format takes " + OutputFormatNames(true)};
  if (args.positional().empty() || args.positional().size() > 2) throw UsageError{ConvertUsage()};

  const std::string raw = CoreText(args.positional()[0]);
  const std::string out = args.positional().size() > 1 ? CoreText(args.positional()[1])
                                                       : ChangeFileExt(raw, format->extension);
  const fs::path rawPath = PathFromText(raw), outPath = PathFromText(out);
  std::error_code ec;
  if (!fs::is_regular_file(rawPath, ec)) return ReportFailure(Utf8ToCp936("找不到文件：") + raw);

  // Converted beside OUT, which appears only when the conversion succeeded.
  fs::path dir = outPath.parent_path().empty() ? fs::path(".") : outPath.parent_path();
  // Joined as paths: string() would take a Windows name through the ANSI code page.
  fs::path part = dir / ".";
  part += outPath.filename();
  part += ".part";
  if (!ConvertRawFileTo(raw, TextFromPath(part), *format)) return ReportFailure(Utf8ToCp936("无法创建文件！"));
  fs::rename(part, outPath, ec);
  if (ec) {
    fs::remove(part, ec);
    return ReportFailure(Utf8ToCp936("无法创建文件！"));
  }
  return kExitOk;
}

int RunInfo(const std::vector<std::string>& words) {
  Args args(words, {}, {});
  if (args.help()) return std::cout << kInfoUsage, kExitOk;
  if (args.positional().size() != 1) throw UsageError{kInfoUsage};
  const fs::path path = PathFromText(CoreText(args.positional()[0]));
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return ReportFailure(Utf8ToCp936("找不到文件：") + CoreText(args.positional()[0]));
  const uint64_t size = fs::file_size(path, ec);
  std::string head = ReadHead(path, kRawLeadingChars + kHeaderRecordChars);
  if (head.size() < kRawLeadingChars + static_cast<size_t>(kHeaderRecordChars))
    return ReportFailure(Utf8ToCp936("数据文件不完整！"));
  const std::string record = head.substr(kRawLeadingChars);
  PrintFields(record, HeaderGroupZeroEntries());

  // Channel count and samples as the conversion reads them.
  auto field = [&](const char* name) {
    for (const std::string& entry : HeaderGroupZeroEntries()) {
      FieldSpec fieldSpec = ParseFieldSpec(entry);
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
  const std::vector<std::string> channelEntries = HeaderGroupOneEntries();
  for (int ch = 0; ch < channels; ++ch) {
    const uint64_t at = DeclaredRawSize(ch, samples);
    if (at + kChannelHeaderChars > size) break;
    std::string header(kChannelHeaderChars, '\0');
    in.seekg(static_cast<std::streamoff>(at));
    in.read(&header[0], kChannelHeaderChars);
    PrintText(std::cout, "\n" + Utf8ToCp936("第") + std::to_string(ch + 1) + Utf8ToCp936("道") + "\n");
    PrintFields(header, channelEntries);
  }
  return kExitOk;
}

int RunSample(const std::vector<std::string>& words) {
  Args args(words, {"--index", "--channels", "--samples"}, {});
  if (args.help()) return std::cout << kSampleUsage, kExitOk;
  if (args.positional().size() != 1) throw UsageError{kSampleUsage};
  std::vector<sim::SurveyFile> demo = sim::DemoSurveyFiles();
  int index = ParseCount(args, "--index", 1);
  if (index > static_cast<int>(demo.size())) throw UsageError{"--index takes 1 to " + std::to_string(demo.size())};
  sim::SurveyFile file = demo[static_cast<size_t>(index - 1)];
  file.channels = ParseCount(args, "--channels", file.channels);
  file.samples = ParseCount(args, "--samples", file.samples);
  std::ofstream out(PathFromText(CoreText(args.positional()[0])), std::ios::binary | std::ios::trunc);
  if (!out || !sim::WriteRawFile(file, out)) return ReportFailure(Utf8ToCp936("无法创建文件！"));
  out.close();
  if (!out) return ReportFailure(Utf8ToCp936("写入文件失败！"));
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
