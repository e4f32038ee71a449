// Reading a directory reply out of the cache file: the parsing half of the
// directory exchange (exchange.cpp), on its own for the tests and the fuzz
// target. Private to link/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "link/reply_file.h"

namespace gt7p {

// Characters before the first header: "1", one more, the count, two more.
constexpr size_t kDirectoryPrefixChars = 8;

// The length a directory reply declares, from its prefix (`head`, 8
// characters): the prefix and one header per entry of its count.
uint64_t DirectoryReplyLength(const std::string& head);

// The entry count of the reply in `cache`, read from its start: the prefix
// is 8 characters, the first "1", the count the 4 hex digits at 2 to 5.
// Throws Error "无法提取目录信息！" for a reply that is no directory. Leaves
// `cache` at the first header.
int32_t DirectoryEntryCount(ReplyFile& cache);

// The headers that follow, in order: each whole 316-character one, up to
// `entries`; a short one ends them (the file is exhausted there).
std::vector<std::string> DirectoryHeaders(ReplyFile& cache, int32_t entries);

}  // namespace gt7p
