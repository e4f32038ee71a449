// gt7p-cli report: the interpretation as a PDF for the operator's client.
#include <iostream>
#include <optional>

#include "base/output_file.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/interpret_options.h"
#include "cli/interrupt.h"
#include "interpret/interpret.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace cli {

namespace {

const char kReportUsage[] =
    "usage: gt7p-cli report [--geometry LINE.csv] [--method M] [--client T] [--project T]\n"
    "                [--operator T] [interpret's options] -o OUT.pdf FILE...\n"
    "The records interpreted as interpret does (the same options, the same\n"
    "numbers, the same failures), as an A4 report in Chinese: a title block\n"
    "(place, date, line and points from the header fields; client, project and\n"
    "operator; the program and its version); per record its header fields, its\n"
    "section, its first breaks and the method's result with its parameters; for\n"
    "refraction the layers, the line's geometry (--geometry), the travel-time\n"
    "curves of all shots and a depth section; an account of the method and its\n"
    "limits. Pages are numbered; the fonts are embedded.\n"
    "  --client T, --project T, --operator T  the title block's texts, kept for\n"
    "               later reports: one not given is the last one given\n"
    "  -o OUT.pdf   the report; written complete or not at all\n";

}  // namespace

int RunReport(const std::vector<std::string>& words) {
  std::vector<std::string> valueOptions = InterpretValueOptions();
  for (const char* option : {"--output", "--client", "--project", "--operator"}) valueOptions.push_back(option);
  Args args(WithLongOutput(words), valueOptions, {"--origin"});
  if (args.help()) return std::cout << kReportUsage, kExitOk;
  if (args.positional().empty() || !args.HasValue("--output")) throw UsageError{kReportUsage};
  const interpret::Request request = InterpretRequest(args);
  const std::filesystem::path out = PathArg(args.Value("--output"));
  for (const std::filesystem::path& input : request.files) RefuseSameFile(input, out, "-o");
  if (request.geometry) RefuseSameFile(*request.geometry, out, "-o");
  auto given = [&](const char* option) {
    return args.HasValue(option) ? std::optional<std::string>(args.Value(option)) : std::nullopt;
  };
  const ReportTexts texts = RememberedReportTexts(given("--client"), given("--project"), given("--operator"));
  const InterruptWatch interrupts([] { AbortWork(); });
  const interpret::Interpretation result = interpret::RunInterpretation(request);
  WriteBeside(out, [&](const std::filesystem::path& part) { WriteSurveyReport(part, result, texts); });
  KeepReportTexts(texts);
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
