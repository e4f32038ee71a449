#include "link/directory_reply.h"

#include <algorithm>
#include <string>

#include "base/error.h"
#include "base/messages.h"
#include "base/text.h"
#include "records/records.h"

namespace gt7p {
namespace {

int32_t HexNumber(const std::string& digits) {
  int32_t value = 0;
  for (char c : digits) value = value * 16 + std::max(HexDigitValue(c), 0);
  return value;
}

}  // namespace

std::vector<std::string> DirectoryHeaders(ReplyFile& cache, int32_t entries) {
  std::vector<std::string> headers;
  for (int32_t e = 1; e <= entries; ++e) {
    std::string record = cache.Read(kHeaderRecordChars);
    if (record.size() < static_cast<size_t>(kHeaderRecordChars)) break;
    headers.push_back(std::move(record));
  }
  return headers;
}

int32_t DirectoryEntryCount(ReplyFile& cache) {
  cache.Seek(0);
  const std::string prefix = cache.Read(kDirectoryPrefixChars);
  if (prefix.size() < kDirectoryPrefixChars || prefix[0] != '1') throw FailureError(Failure::kNoDirectory);
  return HexNumber(prefix.substr(2, 4));
}

uint64_t DirectoryReplyLength(const std::string& head) {
  return kDirectoryPrefixChars + static_cast<uint64_t>(kHeaderRecordChars) * HexNumber(head.substr(2, 4));
}

}  // namespace gt7p
