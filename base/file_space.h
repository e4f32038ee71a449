// Room for a file that is about to be written in full (file_space_posix.cpp,
// file_space_win32.cpp).
#pragma once

#include <cstdint>
#include <filesystem>

namespace gt7p {

// Reserves room for the file at `path` (open elsewhere for writing) to grow
// to `bytes`, without changing its size. Only an optimisation: the file
// system then allocates the blocks at once instead of when the data is
// flushed, which on Linux is what a rename over an existing file waits
// for. False when the system offers no such thing; nothing throws.
bool ReserveFileSpace(const std::filesystem::path& path, uint64_t bytes);

}  // namespace gt7p
