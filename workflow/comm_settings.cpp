#include "workflow/comm_settings.h"

#include <algorithm>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "base/text.h"
#include "records/records.h"
#include "settings/settings.h"
#include "workflow/port_detect.h"

namespace gt7p {
namespace {

// A line break inside the column lines while the text is split at ",".
const char kLineBreakMark[] = "\x01\x02";

std::string ColumnLineText(const std::string& n, bool shown, const std::string& caption) {
  return n + (shown ? "=1" : "=0") + caption;
}

}  // namespace

std::string DefaultColumns() {
  std::string text;
  for (const FieldSpec& fieldSpec : HeaderGroupZeroFields()) {
    if (!text.empty()) text += "\r\n";
    text += ColumnLineText(fieldSpec.index, fieldSpec.shown == "1", fieldSpec.name);
  }
  return text;
}

std::string ColumnChoiceText(const std::vector<ColumnLine>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += ColumnLineText(std::to_string(i + 1), lines[i].shown, lines[i].caption);
  }
  return text;
}

std::vector<ColumnLine> ReadColumnChoice(const std::string& columnChoice) {
  static const std::string kEnumMark = Utf8ToCp936("◇");
  std::vector<ColumnLine> lines;
  for (const std::string& line : SplitLines(RemoveCharCp936(columnChoice, kEnumMark))) {
    const size_t eq = line.find('=');
    const std::string part = eq == std::string::npos ? line : line.substr(eq + 1);
    lines.push_back(ColumnLine{!part.empty() && part[0] == '1', part.size() > 1 ? part.substr(1) : std::string()});
  }
  return lines;
}

bool ColumnLineShown(const std::string& line) { return line.find("=1") != std::string::npos; }

std::string CommSettingsText(const CommSettings& settings) {
  return settings.portName + "," + std::to_string(settings.commTarget) + "," +
         std::to_string(settings.receiveDelay) + "," + settings.columnChoice;
}

CommSettings ParseCommSettings(const std::string& text) {
  std::vector<std::string> items = SplitText(ReplaceAll(text, "\r\n", kLineBreakMark), ',');
  items.resize(std::max<size_t>(items.size(), 4));
  CommSettings settings;
  settings.portName = items[0];
  settings.commTarget = StrToIntDef(items[1], -1);
  settings.receiveDelay = StrToIntDef(items[2], -1);
  if (settings.commTarget == -1 || settings.receiveDelay == -1) throw Error();
  settings.columnChoice = ReplaceAll(items[3], kLineBreakMark, "\r\n");
  for (const std::string& line : SplitLines(settings.columnChoice)) settings.shown.push_back(ColumnLineShown(line));
  return settings;
}

CommSettings CommSettingsFor(const std::string& portName, int32_t commTarget, int32_t receiveDelay,
                             const std::vector<bool>& shownFields) {
  CommSettings settings;
  settings.portName = portName;
  settings.commTarget = commTarget;
  settings.receiveDelay = receiveDelay;
  std::vector<ColumnLine> lines;
  const std::vector<FieldSpec>& fields = HeaderGroupZeroFields();
  for (size_t i = 0; i < fields.size(); ++i) {
    const bool shown = i < shownFields.size() && shownFields[i];
    lines.push_back(ColumnLine{shown, fields[i].name});
    settings.shown.push_back(shown);
  }
  settings.columnChoice = ColumnChoiceText(lines);
  return settings;
}

CommSettings ChooseCommSettings(LinkSettings& settings, const SettingsDialog& editCommSettings) {
  if (settings.defaultColumns.empty()) settings.defaultColumns = DefaultColumns();
  if (settings.columnChoice.empty()) settings.columnChoice = settings.defaultColumns;
  LineSettings shown = settings;
  if (settings.autoDetectPort) shown.portName = AutoDetectPortName();
  const std::string text = editCommSettings(shown, settings.defaultColumns);
  if (text.empty()) throw FailureError(Failure::kUserCancelled);
  CommSettings chosen = ParseCommSettings(text);
  chosen.fullSilence = shown.fullSilence;  // the dialog's check box, where there is one
  return chosen;
}

const std::vector<std::string>& TargetEntries() {
  static const std::vector<std::string> entries = {Utf8ToCp936("仪器"), Utf8ToCp936("存储卡")};
  return entries;
}

const std::vector<std::string>& DelayEntries() {
  static const std::vector<std::string> entries = [] {
    std::vector<std::string> seconds;
    for (int32_t s = kShortestReceiveDelay; s <= kLongestReceiveDelay; ++s) seconds.push_back(std::to_string(s));
    return seconds;
  }();
  return entries;
}

int TargetIndex(const std::string& targetText) {
  // C++'s remainder takes the dividend's sign, as the rule wants.
  return StrToIntDef(targetText, 0) % static_cast<int>(TargetEntries().size());
}

int DelayIndex(const std::string& delayText) {
  const std::vector<std::string>& entries = DelayEntries();
  const auto it = std::find(entries.begin(), entries.end(), delayText);
  return it == entries.end() ? 0 : static_cast<int>(it - entries.begin());
}

PortEntryChoice ChoosePortEntry(const std::vector<std::string>& entries, const std::string& portName) {
  PortEntryChoice choice;
  const std::string wanted = UpperCaseCp936(portName) + ' ';
  size_t widest = 10;
  for (size_t i = 0; i < entries.size(); ++i) {
    widest = std::max(widest, entries[i].size());
    if (UpperCaseCp936(entries[i]).compare(0, wanted.size(), wanted) == 0) choice.selected = static_cast<int>(i);
  }
  if (choice.selected < 0 && !entries.empty()) choice.selected = 0;
  choice.dropDownWidth = static_cast<int>(6 * (widest + 2));
  return choice;
}

std::string PortOfEntry(const std::string& entry) { return entry.substr(0, entry.find(' ')); }

std::string NamedPortEntry(const std::string& port) {
  static const std::string kNamed = Utf8ToCp936("命令行指定");
  return PortEntryLine(port, kNamed, false);
}

std::vector<std::string> OfferedPorts(const std::vector<std::string>& first, const std::vector<std::string>& machine) {
  std::vector<std::string> ports = first;
  for (const std::string& entry : machine) {
    const std::string port = PortOfEntry(entry);
    if (std::none_of(first.begin(), first.end(), [&](const std::string& e) { return PortOfEntry(e) == port; }))
      ports.push_back(entry);
  }
  return ports;
}

}  // namespace gt7p
