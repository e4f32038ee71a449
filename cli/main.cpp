// gt7p-cli: the record conversion and the instrument link from the terminal,
// for scripting and testing. Text on stdout and stderr is UTF-8.
#include <algorithm>
#include <exception>
#include <iostream>
#include <map>

#include "base/cp936.h"
#include "base/error.h"
#include "base/native_file.h"
#include "base/text.h"
#include "base/version.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/console.h"
#include "cli/interrupt.h"
#include "records/records.h"

namespace {

// The format words come from the table of output formats.
std::string Usage() {
  std::string converted;
  for (const gt7p::OutputFormat& format : gt7p::OutputFormats())
    if (format.layout) converted += (converted.empty() ? "" : " or ") + gt7p::UpperCaseCp936(format.name);
  std::string convert = "  convert [--format " + gt7p::OutputFormatNames(true) + "] RAW [OUT]";
  convert.resize(std::max<size_t>(convert.size() + 1, 41), ' ');
  return "usage: gt7p-cli COMMAND [OPTIONS]\n"
         "commands:\n" +
         convert + "convert a raw file to " + converted +
         "\n"
         "  info FILE                              show the header fields of a raw, QFX or ESP file\n"
         "  sample [--index N] OUT                 write a synthetic raw file\n"
         "  export --format segy|seg2 INPUT [OUT]  write a record as SEG-Y or SEG-2\n"
         "  picks FILE... [-o OUT.csv]             the analysis points t0..t5 as a table\n"
         "  picks --format sgt ... FILE...         a line's first breaks for tomography\n"
         "  interpret [--method M] ... FILE...     refraction layers, thickness, reflection, velocity\n"
         "  report ... -o OUT.pdf FILE...          the interpretation as a PDF report\n"
         "  plot INPUT -o OUT.png [--width W] ...  draw a record's section to a PNG\n"
         "  ports                                  list the serial ports\n"
         "  list --port PORT [--card] ...          read the instrument's directory\n"
         "  get --port PORT ... (--all | NAME...)  fetch and convert files\n"
         "  simulate [--dir DIR] [--pace]          run the instrument simulator\n"
         "Every command takes --help; gt7p-cli --version prints the version.\n";
}

}  // namespace

int main(int argc, char** argv) {
  using namespace gt7p::cli;
  const std::map<std::string, int (*)(const std::vector<std::string>&)> commands = {
      {"convert", RunConvert},
      {"info", RunInfo},
      {"sample", RunSample},
      {"ports", RunPorts},
      {"list", RunList},
      {"get", RunGet},
      {"simulate", RunSimulate},
      {"export", RunExport},
      {"picks", RunPicks},
      {"plot", RunPlot},
      {"interpret", RunInterpret},
      {"report", RunReport},
  };
  PrepareOutput();
  gt7p::LetWritesFailPastSizeLimit();
  const std::vector<std::string> words = CommandWords(argc, argv);
  if (words.empty()) return std::cerr << Usage(), kExitUsage;
  const std::string name = words[0];
  if (name == "--help" || name == "help") return std::cout << Usage(), kExitOk;
  if (name == "--version") return std::cout << gt7p::VersionText("gt7p-cli"), kExitOk;
  auto command = commands.find(name);
  if (command == commands.end()) {
    std::cerr << "gt7p-cli: unknown command " << name << "\n" << Usage();
    return kExitUsage;
  }
  int status = kExitFailed;
  try {
    status = command->second(std::vector<std::string>(words.begin() + 1, words.end()));
  } catch (const UsageError& e) {
    std::cerr << "gt7p-cli " << name << ": " << e.message << (!e.message.empty() && e.message.back() == '\n' ? "" : "\n");
    status = kExitUsage;
  } catch (const gt7p::Aborted& e) {
    // An interrupt: the status says it; a message only where the link has one.
    if (*e.message()) ReportFailure(e.message());
  } catch (const gt7p::Error& e) {
    status = ReportFailure(e);
  } catch (const std::exception& e) {
    std::cerr << "gt7p-cli " << name << ": " << e.what() << "\n";
  }
  // An interrupt ends with its own status, whatever the command made of it.
  return InterruptStatus() != 0 ? InterruptStatus() : status;
}
