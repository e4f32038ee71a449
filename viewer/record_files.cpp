#include "viewer/record_files.h"

#include <algorithm>
#include <string>
#include <system_error>

#include "base/cp936.h"
#include "base/text.h"
#include "records/records.h"

namespace gt7p {
namespace view {

namespace fs = std::filesystem;

namespace {

// The name as UTF-8 with ASCII letters folded: the sort key.
std::string Key(const fs::path& path) {
  std::string name = Utf8FromPath(path.filename());
  for (char& c : name) c = LowerAscii(c);
  return name;
}

// One of the output formats' extensions, in either case.
bool IsRecordName(const fs::path& path) {
  const std::string ext = Key(path.extension());
  for (const OutputFormat& format : OutputFormats()) {
    std::string own = format.extension;
    for (char& c : own) c = LowerAscii(c);
    if (ext == own) return true;
  }
  return false;
}

// The folder's order: by the folded name, then by the name as it is.
bool Before(const fs::path& a, const fs::path& b) {
  const std::string ka = Key(a), kb = Key(b);
  return ka != kb ? ka < kb : a.filename() < b.filename();
}

}  // namespace

std::vector<fs::path> RecordFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder.empty() ? fs::path(".") : folder, ec), end; !ec && it != end; it.increment(ec)) {
    std::error_code typeError;
    if (IsRecordName(it->path()) && it->is_regular_file(typeError)) files.push_back(it->path());
  }
  std::sort(files.begin(), files.end(), Before);
  return files;
}

fs::path NeighbourRecord(const fs::path& current, int step) {
  const std::vector<fs::path> files = RecordFilesIn(current.parent_path());
  // Where `current` stands, or would stand: the first name not before it.
  auto at = std::lower_bound(files.begin(), files.end(), current, Before);
  const bool present = at != files.end() && at->filename() == current.filename();
  const long index = static_cast<long>(at - files.begin()) + (step > 0 && !present ? step - 1 : step);
  if (index < 0 || index >= static_cast<long>(files.size())) return {};
  return files[static_cast<size_t>(index)];
}

}  // namespace view
}  // namespace gt7p
