#include "workflow/list_sort.h"

#include <cstdint>

#include "base/cp936.h"
#include "base/text.h"

namespace gt7p {

int CompareListText(const std::string& a, const std::string& b) {
  const size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    // Every byte is folded, trail bytes too.
    const int x = static_cast<unsigned char>(UpperAscii(a[i])), y = static_cast<unsigned char>(UpperAscii(b[i]));
    if (x != y) return x - y;
  }
  return static_cast<int>(a.size()) - static_cast<int>(b.size());
}

bool IsNumericCaption(const std::string& captionWithoutMark) {
  static const std::string numeric = Utf8ToCp936("字节数量*道数*采样点数*超前采样点数");
  return !captionWithoutMark.empty() && numeric.find(captionWithoutMark) != std::string::npos;
}

int CompareListRows(const ListRow& a, const ListRow& b, int sortColumn, int tag, bool numericColumn) {
  int result;
  if (sortColumn == 0) {
    result = CompareListText(a.caption, b.caption);
  } else {
    const size_t k = static_cast<size_t>(sortColumn - 1);
    int64_t r = static_cast<int64_t>(a.subItems.size()) - static_cast<int64_t>(b.subItems.size());
    if (k < a.subItems.size() && k < b.subItems.size()) {
      if (numericColumn)
        r = static_cast<int64_t>(StrToIntDef(a.subItems[k], 0)) - StrToIntDef(b.subItems[k], 0);
      else
        r = CompareListText(a.subItems[k], b.subItems[k]);
    }
    result = r > 0 ? 1 : (r < 0 ? -1 : 0);
  }
  return tag != 0 ? result * tag : result;
}

std::string CaptionWithoutMark(const std::string& caption) {
  static const std::string up = Utf8ToCp936("↑"), down = Utf8ToCp936("↓");
  if (caption.find(up) == std::string::npos && caption.find(down) == std::string::npos) return caption;
  // Drop the last character, which may be one byte or a double-byte pair.
  size_t last = 0;
  for (size_t i = 0; i < caption.size(); i += CharLength(caption, i)) last = i;
  return caption.substr(0, last);
}

}  // namespace gt7p
