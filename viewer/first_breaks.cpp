#include "viewer/first_breaks.h"

#include <algorithm>
#include <cmath>

#include "base/cp936.h"

namespace gt7p {
namespace view {

std::vector<int32_t> FirstBreaksBeside(const Section& section, const std::filesystem::path& record,
                                       std::vector<PickRow>* others) {
  std::vector<int32_t> channels;
  for (const SectionTrace& trace : section.traces) channels.push_back(trace.channelNumber);
  const std::filesystem::path table = PicksFileOf(record);
  std::error_code missing;
  if (!std::filesystem::exists(table, missing)) return std::vector<int32_t>(channels.size(), 0);
  return FirstBreaksOf(channels, section.header.sampleCount, Utf8FromPath(record.filename()), ReadPicksTable(table),
                       others);
}

std::optional<TravelTimeLine> FitTravelTime(const std::vector<std::pair<double, double>>& points) {
  const double n = static_cast<double>(points.size());
  double sx = 0, st = 0;
  for (const auto& [x, t] : points) sx += x, st += t;
  if (points.size() < 2) return std::nullopt;
  const double mx = sx / n, mt = st / n;
  double sxx = 0, sxt = 0;
  for (const auto& [x, t] : points) {
    sxx += (x - mx) * (x - mx);
    sxt += (x - mx) * (t - mt);
  }
  if (!(sxx > 1e-12 * (1 + mx * mx))) return std::nullopt;
  TravelTimeLine line;
  line.slopeMsPerM = sxt / sxx;
  line.interceptMs = mt - line.slopeMsPerM * mx;
  return line;
}

std::optional<double> ApparentVelocity(double dxM, double dtMs) {
  if (!(std::fabs(dtMs) > 0) || !std::isfinite(dxM / dtMs)) return std::nullopt;
  return std::fabs(dxM / dtMs) * 1000;
}

}  // namespace view
}  // namespace gt7p
