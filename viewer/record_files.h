// The records of a folder, for stepping through them in the viewer: files
// named .T7P, .QFX or .ESP (any case), in the order of their names with
// ASCII letters folded, the same on every system.
#pragma once

#include <filesystem>
#include <vector>

namespace gt7p {
namespace view {

std::vector<std::filesystem::path> RecordFilesIn(const std::filesystem::path& folder);

// The record `step` places after `current` in its folder (before it for a
// negative step), or an empty path at either end. `current` itself need
// not be there any more.
std::filesystem::path NeighbourRecord(const std::filesystem::path& current, int step);

}  // namespace view
}  // namespace gt7p
