// Auto-detection of the instrument's port: the settings dialog's entry
// "自动检测" and gt7p-cli's --port auto.
//
// The ports named on the command line come first, then those that port
// discovery lists, each once. Each is looked at with ProbeInstrument
// (link/exchange.h): opened, sent the first handshake command "02" with a
// short silence, closed again. The first port that answers "1020" is taken;
// a port that can't be opened is passed over, and one that answers anything
// else is sent nothing more. Blocks for each probe (about half a second for
// a port that stays silent, a quarter for the instrument); runs on the
// caller's thread. Texts are code page 936.
#pragma once

#include <string>
#include <vector>

#include "link/link.h"

namespace gt7p {

// The port name that stands for auto-detection in the settings ("自动检测"),
// and the dialog's entry for it ("自动检测  (逐个试探串口)").
const std::string& AutoDetectPortName();
const std::string& AutoDetectEntry();

// The dialog's port entries with the auto-detection entry after them; none
// when there is no port to try.
std::vector<std::string> WithAutoDetectEntry(std::vector<std::string> entries);

// The ports to try: `named` first, then the port of each of `machineEntries`
// (port discovery's lines), each once.
std::vector<std::string> DetectionCandidates(const std::vector<std::string>& named,
                                             const std::vector<std::string>& machineEntries);

struct PortTrial {
  std::string port;
  ProbeOutcome outcome = ProbeOutcome::kNotOpened;
};
struct PortDetection {
  std::string port;  // the instrument's, or empty
  std::vector<PortTrial> tried;
};

// Tries `ports` in order up to the first that answers as the instrument.
PortDetection DetectInstrumentPort(InstrumentLink& link, InstrumentUi& ui, const std::vector<std::string>& ports);

// "COM3 无法打开，COM4 应答错误，COM5 无应答，COM6 找到仪器"; "没有可试的串口"
// when nothing was tried.
std::string DetectionReport(const PortDetection& detection);

// The settings of a directory exchange with the port found when the
// operator asked for auto-detection (autoDetectPort set; what was tried in
// `detection`); others as they are. Throws Error "未找到仪器！已试：" and the
// report when no port answers.
CommSettings ResolveAutoDetect(CommSettings chosen, InstrumentLink& link, InstrumentUi& ui,
                               const std::vector<std::string>& candidates, PortDetection* detection = nullptr);

}  // namespace gt7p
