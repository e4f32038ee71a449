#include "link/directory_reply.h"

#include <algorithm>
#include <string>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "link/exchange.h"
#include "records/records.h"

namespace gt7p {
namespace {

int32_t HexNumber(const std::string& digits) {
  int32_t value = 0;
  for (char c : digits) value = value * 16 + std::max(HexDigitValue(c), 0);
  return value;
}

}  // namespace

void FillList(InstrumentUi& ui, ReplyFile& cache, int32_t entries, const std::vector<bool>& shownLines) {
  static const std::string kStatusCaption = Utf8ToCp936("　状态　");
  const std::vector<FieldSpec>& fields = HeaderGroupZeroFields();
  ui.ClearList();
  for (int32_t e = 1; e <= entries; ++e) {
    const std::string record = cache.Read(kHeaderRecordChars);
    if (record.size() < static_cast<size_t>(kHeaderRecordChars)) break;
    int shown = 0;
    for (size_t k = 0; k < shownLines.size(); ++k) {
      if (!shownLines[k]) continue;
      if (k >= fields.size()) throw Error();  // lines pair with fields by position
      const FieldSpec& fieldSpec = fields[k];
      const std::string text = FieldText(record, fieldSpec);
      ++shown;
      if (e == 1) {
        if (shown == 2) ui.AddColumn(kStatusCaption);
        ui.AddColumn(fieldSpec.name);
      }
      if (shown == 1) {
        ui.AddRow(text, kFileImage);
      } else {
        if (shown == 2) ui.AppendSubItem(" ");
        ui.AppendSubItem(text);
      }
    }
    if (shown == 1) {
      if (e == 1) ui.AddColumn(kStatusCaption);
      ui.AppendSubItem(" ");
    }
  }
}

const std::string& NoDirectoryMessage() {
  static const std::string message = Utf8ToCp936("无法提取目录信息！");
  return message;
}

int32_t DirectoryEntryCount(ReplyFile& cache) {
  cache.Seek(0);
  const std::string prefix = cache.Read(kDirectoryPrefixChars);
  if (prefix.size() < kDirectoryPrefixChars || prefix[0] != '1') throw Error(NoDirectoryMessage());
  return HexNumber(prefix.substr(2, 4));
}

uint64_t DirectoryReplyLength(const std::string& head) {
  return kDirectoryPrefixChars + static_cast<uint64_t>(kHeaderRecordChars) * HexNumber(head.substr(2, 4));
}

}  // namespace gt7p
