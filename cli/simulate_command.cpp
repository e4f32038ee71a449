// gt7p-cli simulate: the instrument simulator on a pseudo-terminal, until
// SIGINT or SIGTERM.
#include <signal.h>

#include <filesystem>
#include <iostream>

#include "base/cp936.h"
#include "base/messages.h"
#include "base/text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "sim/instrument_simulator.h"

namespace gt7p {
namespace cli {
namespace {

const char kSimulateUsage[] =
    "usage: gt7p-cli simulate [--dir DIR] [--pace] [--verbose] [faults]\n"
    "Serves an instrument on a pseudo-terminal; the first line printed is its port.\n"
    "Without --dir the demo set; with it the .T7P files of DIR (instrument memory)\n"
    "and of DIR/card (memory card). Runs until interrupted.\n"
    "  --pace                    send at 1920 bytes/s, as a 19200-baud line\n"
    "  --verbose                 one line per command on stderr\n"
    "faults:\n"
    "  --version-reply DIGITS    reply to \"02\" (default 1020)\n"
    "  --memory-reply DIGITS     reply to \"00\"/\"01\" (default 10)\n"
    "  --leave-out N             leave N headers out of the directory\n"
    "  --cut-file N              stop every file reply after N characters\n"
    "  --hang-up N               close the line after N characters of a file reply\n"
    "                            (as a USB adapter pulled); serves no more\n"
    "  --noise                   random high nibbles on every byte sent\n"
    "  --pause-file N --pause-ms MS   pause every file reply for MS after N characters\n"
    "  --trailing DIGITS --trailing-after MS   send DIGITS MS after every file reply\n"
    "  --endless                 directory and file replies never end\n"
    "  --keep-sending            finish a reply and its trailing digits before\n"
    "                            answering the next command (a new handshake too)\n";

int64_t CountOption(const Args& args, const std::string& option) {
  int32_t n = StrToIntDef(args.Value(option), -1);
  if (n < 0) throw UsageError{option + " takes a number 0 or more"};
  return n;
}

}  // namespace

int RunSimulate(const std::vector<std::string>& words) {
  Args args(words,
            {"--dir", "--version-reply", "--memory-reply", "--leave-out", "--cut-file", "--hang-up", "--pause-file",
             "--pause-ms", "--trailing", "--trailing-after"},
            {"--pace", "--verbose", "--noise", "--endless", "--keep-sending"});
  if (args.help()) return std::cout << kSimulateUsage, kExitOk;
  if (!args.positional().empty()) throw UsageError{kSimulateUsage};

  sim::SimulatorOptions options;
  options.pace = args.Has("--pace");
  options.faults.versionReply = args.Value("--version-reply", options.faults.versionReply);
  options.faults.memoryReply = args.Value("--memory-reply", options.faults.memoryReply);
  if (args.HasValue("--leave-out")) options.faults.directoryLeftOut = static_cast<int>(CountOption(args, "--leave-out"));
  if (args.HasValue("--cut-file")) options.faults.cutFileAfter = CountOption(args, "--cut-file");
  if (args.HasValue("--hang-up")) options.faults.hangUpAfter = CountOption(args, "--hang-up");
  options.faults.lineNoise = args.Has("--noise");
  if (args.HasValue("--pause-file")) options.faults.pauseFileAt = CountOption(args, "--pause-file");
  if (args.HasValue("--pause-ms")) options.faults.pauseMs = static_cast<int32_t>(CountOption(args, "--pause-ms"));
  options.faults.trailingDigits = args.Value("--trailing");
  if (args.HasValue("--trailing-after"))
    options.faults.trailingAfterMs = static_cast<int32_t>(CountOption(args, "--trailing-after"));
  options.faults.endlessReplies = args.Has("--endless");
  options.faults.keepSending = args.Has("--keep-sending");
  if (args.Has("--verbose")) options.log = [](const std::string& line) { std::cerr << line << std::endl; };

  sim::InstrumentStores stores;
  if (args.HasValue("--dir")) {
    const std::filesystem::path dir = PathArg(args.Value("--dir"));
    std::error_code ec;
    if (!std::filesystem::is_directory(dir, ec)) return ReportFailure(FailureText(Failure::kFileNotFound) + TextFromPath(dir));
    stores = sim::StoresFromFolder(dir);
  } else {
    stores = sim::DemoStores();
  }

  // Blocked before the simulator's thread starts, so that only sigwait sees them.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  sim::InstrumentSimulator simulator(std::move(stores), options);
  std::cout << simulator.PortPath() << std::endl;
  int signal = 0;
  sigwait(&stop, &signal);
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
