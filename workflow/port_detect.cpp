#include "workflow/port_detect.h"

#include <algorithm>

#include "base/cp936.h"
#include "base/error.h"
#include "workflow/comm_settings.h"

namespace gt7p {

const std::string& AutoDetectPortName() {
  static const std::string name = Utf8ToCp936("自动检测");
  return name;
}

const std::string& AutoDetectEntry() {
  static const std::string entry = AutoDetectPortName() + Utf8ToCp936("  (逐个试探串口)");
  return entry;
}

std::vector<std::string> WithAutoDetectEntry(std::vector<std::string> entries) {
  if (!entries.empty()) entries.push_back(AutoDetectEntry());
  return entries;
}

std::vector<std::string> DetectionCandidates(const std::vector<std::string>& named,
                                             const std::vector<std::string>& machineEntries) {
  std::vector<std::string> ports;
  auto add = [&ports](const std::string& port) {
    if (!port.empty() && port != AutoDetectPortName() && std::find(ports.begin(), ports.end(), port) == ports.end())
      ports.push_back(port);
  };
  for (const std::string& port : named) add(port);
  for (const std::string& entry : machineEntries) add(PortOfEntry(entry));
  return ports;
}

PortDetection DetectInstrumentPort(InstrumentLink& link, InstrumentUi& ui, const std::vector<std::string>& ports) {
  PortDetection detection;
  for (const std::string& port : ports) {
    const ProbeOutcome outcome = ProbeInstrument(link, ui, port);
    detection.tried.push_back(PortTrial{port, outcome});
    if (outcome == ProbeOutcome::kInstrument) {
      detection.port = port;
      break;
    }
  }
  ui.SetStatusText(std::string());
  return detection;
}

std::string DetectionReport(const PortDetection& detection) {
  static const std::string kOutcomes[] = {Utf8ToCp936("无法打开"), Utf8ToCp936("无应答"), Utf8ToCp936("应答错误"),
                                          Utf8ToCp936("找到仪器")};
  if (detection.tried.empty()) return Utf8ToCp936("没有可试的串口");
  std::string report;
  for (const PortTrial& trial : detection.tried) {
    if (!report.empty()) report += Utf8ToCp936("，");
    report += trial.port + " " + kOutcomes[static_cast<int>(trial.outcome)];
  }
  return report;
}

CommSettings ResolveAutoDetect(CommSettings chosen, InstrumentLink& link, InstrumentUi& ui,
                               const std::vector<std::string>& candidates, PortDetection* detection) {
  chosen.autoDetectPort = chosen.portName == AutoDetectPortName();
  if (!chosen.autoDetectPort) return chosen;
  const PortDetection found = DetectInstrumentPort(link, ui, candidates);
  if (detection) *detection = found;
  if (found.port.empty()) throw Error(Utf8ToCp936("未找到仪器！已试：") + DetectionReport(found));
  chosen.portName = found.port;
  return chosen;
}

}  // namespace gt7p
