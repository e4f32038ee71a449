// A line's first breaks in the unified data format that refraction
// tomography programs read:
//
//   5 # shot/geophone points
//   #x y
//   0 0
//   ...
//   8 # measurements
//   #s g t
//   1 2 0.0025
//
// Every position once (receivers and sources, by x; y the elevation: a
// receiver's "相对高程", a source the elevation of its nearest receiver),
// then one row per first break: source and receiver as indices into the
// positions counted from 1, the time in seconds. A first break whose
// source stands on its receiver is left out.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "interpret/shots.h"

namespace gt7p {
namespace interpret {

std::string TomographyText(const std::vector<Shot>& shots);
// Into a new file at `path` (the caller writes beside).
void WriteTomography(const std::filesystem::path& path, const std::vector<Shot>& shots);

}  // namespace interpret
}  // namespace gt7p
