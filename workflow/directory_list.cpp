#include "workflow/directory_list.h"

#include <optional>

#include "base/cp936.h"
#include "base/error.h"
#include "records/records.h"

namespace gt7p {
namespace {

// Where the status column stands among `fields` of a list: second, or after
// the only field once the row is whole; none otherwise.
template <typename Cells>
Cells WithStatus(Cells fields, const typename Cells::value_type& status, bool complete) {
  if (fields.size() >= 2)
    fields.insert(fields.begin() + 1, status);
  else if (fields.size() == 1 && complete)
    fields.push_back(status);
  return fields;
}

void StoreSettingsUsed(const CommSettings& used, LinkSettings& settings) {
  static_cast<LineSettings&>(settings) = used;
}

}  // namespace

DirectoryList MakeDirectoryList(const std::vector<std::string>& headers, const std::vector<bool>& shownLines) {
  const std::vector<FieldSpec>& fields = HeaderGroupZeroFields();
  std::vector<const FieldSpec*> shown;
  bool beyond = false;
  for (size_t k = 0; k < shownLines.size() && !beyond; ++k) {
    if (!shownLines[k]) continue;
    beyond = k >= fields.size();
    if (!beyond) shown.push_back(&fields[k]);
  }
  DirectoryList list;
  for (const FieldSpec* field : shown) list.captions.push_back(field->name);
  for (const std::string& header : headers) {
    std::vector<std::string> row;
    for (const FieldSpec* field : shown) row.push_back(FieldText(header, *field));
    if (!row.empty()) list.rows.push_back(std::move(row));
    if (beyond) {
      list.complete = false;
      break;
    }
  }
  return list;
}

const std::string& StatusColumnCaption() {
  static const std::string caption = Utf8ToCp936("　状态　");
  return caption;
}

std::vector<std::string> ListColumns(const DirectoryList& list) {
  if (list.rows.empty()) return {};
  return WithStatus(list.captions, StatusColumnCaption(), list.complete);
}

std::vector<std::string> ListCells(const DirectoryList& list, size_t row) {
  return WithStatus(list.rows.at(row), std::string(" "), list.complete);
}

bool ListDirectory(InstrumentLink& link, ListingUi& ui, LinkSettings& settings) {
  const std::optional<InstrumentDirectory> directory =
      ReadInstrumentDirectory(link, ui, settings);
  if (!directory) return false;
  const CommSettings& used = directory->settings;

  auto endOfFill = [&ui] {
    ui.SetStatusText("");
    ui.FitColumns();
  };
  try {
    const DirectoryList list = MakeDirectoryList(directory->headers, used.shown);
    ui.ShowList(list);
    if (!list.complete) throw Error();  // a line beyond the table
    ui.ShowTargetIndicator(used.commTarget == 0);
    StoreSettingsUsed(used, settings);
  } catch (...) {
    try {
      endOfFill();
    } catch (...) {
      // The first failure is the one to report.
    }
    throw;
  }
  endOfFill();
  return true;
}

}  // namespace gt7p
