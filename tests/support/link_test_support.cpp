#include "tests/support/link_test_support.h"

#include <algorithm>

#include "base/error.h"
#include "records/field_table.h"
#include "workflow/comm_settings.h"

namespace gt7p {
namespace test {

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

CommSettings RecordingUi::ChooseCommSettings(LinkSettings& settings) {
  return gt7p::ChooseCommSettings(settings, [this](LineSettings& shown, const std::string& defaultColumns) {
    dialogArgs = {shown.portName, std::to_string(shown.commTarget), std::to_string(shown.receiveDelay),
                  shown.columnChoice, defaultColumns};
    return commSettings;
  });
}

void RecordingUi::SetStatusText(const std::string& text) {
  statuses.push_back(text);
  if (onStatus) onStatus(text);
}

void RecordingUi::ShowList(const DirectoryList& list) {
  ++clears;
  columns = ListColumns(list);
  rows.clear();
  images.clear();
  for (size_t r = 0; r < list.rows.size(); ++r) {
    rows.push_back(ListCells(list, r));
    images.push_back(kFileImage);
  }
}

std::string Answer(const std::string& port, int target, int delay, const std::string& columns) {
  CommSettings settings;
  settings.portName = port;
  settings.commTarget = target;
  settings.receiveDelay = delay;
  settings.columnChoice = columns;
  return CommSettingsText(settings);
}

std::string Columns(std::initializer_list<size_t> shown) {
  std::vector<bool> flags(HeaderGroupZeroEntries().size());
  for (size_t position : shown) flags.at(position - 1) = true;
  return CommSettingsFor("", 0, 0, flags).columnChoice;
}

}  // namespace test
}  // namespace gt7p
