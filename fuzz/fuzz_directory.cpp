// The directory reply as the exchange reads it out of the cache file, the
// list made of its headers, and what the save loop makes of each listed
// name: the file-name command and the output path. Input: one character
// choosing the shown columns ("0" the defaults, "1" all, else only the
// name), then the reply. A reply is either no directory (Error
// "无法提取目录信息！") or a list of whole rows; a name always gives a
// command of hex digit pairs, a shown text that gives it back, and a path
// that stays in the destination folder.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/messages.h"
#include "base/text.h"
#include "fuzz/fuzz_support.h"
#include "link/directory_reply.h"
#include "link/exchange.h"
#include "link/reply_file.h"
#include "records/field_table.h"
#include "records/formats.h"
#include "workflow/directory_list.h"
#include "workflow/save_file.h"

namespace {

// No byte that can't stand in a name under `rules` (no control character
// under either), a double-byte character under the Windows rules counting
// whole; never "." or ".."; under the Windows rules no final dot or blank.
void CheckSafe(const std::string& name, gt7p::FileNameRules rules) {
  FUZZ_CHECK(name != "." && name != "..");
  if (rules == gt7p::FileNameRules::kWindows && !name.empty())
    FUZZ_CHECK(name.back() != '.' && name.back() != ' ');
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (rules == gt7p::FileNameRules::kPosix) {
      FUZZ_CHECK(c != '/' && c >= 0x20 && c != 0x7F);
      continue;
    }
    if (gt7p::CharLength(name, i) == 2) {
      const unsigned char trail = static_cast<unsigned char>(name[i + 1]);
      if (trail >= 0x40 && trail != 0x7F && trail <= 0xFE) {
        ++i;
        continue;
      }
    }
    FUZZ_CHECK(c >= 0x20 && std::string("\\/:*?\"<>|").find(static_cast<char>(c)) == std::string::npos);
  }
}

void CheckName(const std::string& caption) {
  const std::string command = gt7p::FileNameCommand(caption);
  FUZZ_CHECK(command.size() >= 22 && command.size() % 2 == 0);
  // The name as shown gives the caption back, in text the code page carries.
  const std::string shown = gt7p::ShownText(caption);
  FUZZ_CHECK(gt7p::TextFromShown(shown) == caption);
  FUZZ_CHECK(gt7p::Utf8ToCp936(gt7p::Cp936ToUtf8(shown)) == shown);
  for (char c : command) FUZZ_CHECK(gt7p::HexDigitValue(c) >= 0 && gt7p::UpperAscii(c) == c);
  const std::string name = gt7p::FileNameFromCaption(caption);
  for (gt7p::FileNameRules rules : {gt7p::FileNameRules::kPosix, gt7p::FileNameRules::kWindows})
    CheckSafe(gt7p::SafeFileName(name, rules), rules);
  const std::string dest = gt7p::fuzz::WorkFolder() + "/dest/";
  const std::string path = gt7p::OutputPath(dest, caption, gt7p::QfxFormat()).string();
  FUZZ_CHECK(path.compare(0, dest.size(), dest) == 0);
  const std::string file = path.substr(dest.size());
  FUZZ_CHECK(file.find('/') == std::string::npos && file.find('\0') == std::string::npos);
  FUZZ_CHECK(file.size() >= 4 && file.compare(file.size() - 4, 4, ".QFX") == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  static const size_t fields = gt7p::HeaderGroupZeroEntries().size();
  std::vector<bool> shown(fields, data[0] == '1');
  if (data[0] == '0') {
    for (size_t k = 0; k < fields; ++k)
      shown[k] = gt7p::ParseFieldSpec(gt7p::HeaderGroupZeroEntries()[k]).shown == "1";
  }
  shown[0] = true;  // the name is the caption

  static const std::string path = gt7p::fuzz::WorkFolder() + "/GT7PCache.tmp";
  gt7p::ReplyFile cache;
  FUZZ_CHECK(cache.Create(path));
  cache.Write(reinterpret_cast<const char*>(data) + 1, size - 1);
  int32_t entries = 0;
  try {
    entries = gt7p::DirectoryEntryCount(cache);
  } catch (const gt7p::Error& e) {
    FUZZ_CHECK(std::string(e.message()) == gt7p::FailureText(gt7p::Failure::kNoDirectory));
    return 0;
  }
  FUZZ_CHECK(entries >= 0 && entries <= 0xFFFF);
  const std::vector<std::string> headers = gt7p::DirectoryHeaders(cache, entries);
  const gt7p::DirectoryList list = gt7p::MakeDirectoryList(headers, shown);
  const size_t whole = (size - 1 - 8) / gt7p::kHeaderRecordChars;
  FUZZ_CHECK(list.complete);
  FUZZ_CHECK(list.rows.size() == std::min<size_t>(whole, static_cast<size_t>(entries)));
  size_t count = 0;
  for (bool s : shown) count += s ? 1 : 0;
  FUZZ_CHECK(list.captions.size() == count);
  FUZZ_CHECK(gt7p::ListColumns(list).size() == (list.rows.empty() ? 0 : count + 1));
  for (size_t r = 0; r < list.rows.size(); ++r) {
    const std::vector<std::string> cells = gt7p::ListCells(list, r);
    FUZZ_CHECK(cells.size() == count + 1);  // the status cell besides
    FUZZ_CHECK(cells[1] == " ");
    CheckName(cells[0]);
  }
  return 0;
}
