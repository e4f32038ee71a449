#include "workflow/stored_settings.h"

#include <algorithm>

#include "base/text.h"
#include "records/records.h"
#include "workflow/comm_settings.h"

namespace gt7p {
namespace {

bool PortNameFits(const std::string& port) {
  return !port.empty() && port.size() <= 255 &&
         std::none_of(port.begin(), port.end(), [](char c) {
           return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == 0x7F;
         });
}

bool Flag(const std::string& value) { return value == "1"; }

// A column choice the dialog could have written for this table: one line
// per group-0 field with its caption, numbered by position, flagged 0 or 1.
bool ColumnChoiceFits(const std::string& columns) {
  const std::vector<ColumnLine> lines = ReadColumnChoice(columns);
  const std::vector<FieldSpec>& fields = HeaderGroupZeroFields();
  if (lines.size() != fields.size()) return false;
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].caption != fields[i].name) return false;
  return ColumnChoiceText(lines) == columns;
}

}  // namespace

const std::vector<StoredRow>& StoredRows() {
  static const std::vector<StoredRow> rows = {
      {"port", &StoredSettings::port},       {"target", &StoredSettings::target},
      {"delay", &StoredSettings::delay},     {"columns", &StoredSettings::columns},
      {"fullSilence", &StoredSettings::fullSilence}, {"autoDetect", &StoredSettings::autoDetect}};
  return rows;
}

StoredSettings StoreLinkSettings(const LinkSettings& settings) {
  StoredSettings stored;
  stored.port = settings.portName;
  stored.target = std::to_string(settings.commTarget);
  stored.delay = std::to_string(settings.receiveDelay);
  stored.columns = settings.columnChoice;
  stored.fullSilence = settings.fullSilence ? "1" : "0";
  stored.autoDetect = settings.autoDetectPort ? "1" : "0";
  return stored;
}

LinkSettings RestoreLinkSettings(const StoredSettings& stored) {
  LinkSettings settings;
  if (PortNameFits(stored.port)) settings.portName = stored.port;
  if (stored.target == "0" || stored.target == "1") settings.commTarget = StrToIntDef(stored.target, 0);
  const std::vector<std::string>& delays = DelayEntries();
  if (std::find(delays.begin(), delays.end(), stored.delay) != delays.end())
    settings.receiveDelay = StrToIntDef(stored.delay, 3);
  if (ColumnChoiceFits(stored.columns)) settings.columnChoice = stored.columns;
  settings.fullSilence = Flag(stored.fullSilence);
  settings.autoDetectPort = Flag(stored.autoDetect) && !settings.portName.empty();
  return settings;
}

}  // namespace gt7p
