#include "interpret/tomography.h"

#include <cmath>
#include <map>

#include "base/output_file.h"
#include "base/text.h"

namespace gt7p {
namespace interpret {

namespace {

long long Key(double x) { return std::llround(x * 1000); }  // positions a millimetre apart are one

}  // namespace

std::string TomographyText(const std::vector<Shot>& shots) {
  std::map<long long, double> elevation;  // receivers' by position
  for (const Shot& shot : shots)
    for (const FirstBreak& at : shot.breaks) elevation.emplace(Key(at.receiverX), at.elevationM);
  std::map<long long, std::pair<double, double>> positions;  // x, y
  for (const Shot& shot : shots)
    for (const FirstBreak& at : shot.breaks) positions.emplace(Key(at.receiverX), std::make_pair(at.receiverX, at.elevationM));
  for (const Shot& shot : shots) {
    if (positions.count(Key(shot.sourceX))) continue;
    double y = 0, nearest = HUGE_VAL;
    for (const auto& [key, position] : positions)
      if (std::fabs(position.first - shot.sourceX) < nearest) nearest = std::fabs(position.first - shot.sourceX), y = position.second;
    positions.emplace(Key(shot.sourceX), std::make_pair(shot.sourceX, y));
  }
  std::map<long long, size_t> index;
  std::string text = std::to_string(positions.size()) + " # shot/geophone points\n#x y\n";
  for (const auto& [key, position] : positions) {
    index[key] = index.size() + 1;
    text += FormatNumber15(position.first) + " " + FormatNumber15(position.second) + "\n";
  }
  std::string rows;
  size_t count = 0;
  for (const Shot& shot : shots)
    for (const FirstBreak& at : shot.breaks) {
      if (Key(at.receiverX) == Key(shot.sourceX)) continue;
      rows += std::to_string(index[Key(shot.sourceX)]) + " " + std::to_string(index[Key(at.receiverX)]) + " " +
              FormatNumber15(at.timeMs / 1000) + "\n";
      ++count;
    }
  return text + std::to_string(count) + " # measurements\n#s g t\n" + rows;
}

void WriteTomography(const std::filesystem::path& path, const std::vector<Shot>& shots) {
  OutputWriter out(path);
  out.Write(TomographyText(shots));
  out.Close();
}

}  // namespace interpret
}  // namespace gt7p
