// The operator's first breaks beside a record, and travel-time lines.
//
// The operator's first breaks are kept beside the record as NAME.picks.csv
// (for NAME.T7P, NAME.QFX or NAME.ESP), in the picks table of gt7p-cli
// picks (records/picks_table.h): one row per picked trace, layer t0, its
// sample number counted from 1 as the instrument counts its own points;
// the operator's reflection picks the same way as refl rows. Rows of other
// layers or of other files in that table are kept as they are when the
// picks are saved again. NAME.picks.csv and the t0 rows of a
// record are found by PicksFileOf and FirstBreaksOf (records/picks_table.h).
//
// The automatic picker is the interpretation's (interpret/picker.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "records/records.h"
#include "viewer/section.h"

namespace gt7p {
namespace view {

// The first breaks of the section's traces from the picks table beside
// the record file `record` (PicksFileOf): every one 0 when there is no
// table; the other rows go to `others` (FirstBreaksOf). Throws the Error of
// ReadPicksTable for a table that can't be read.
std::vector<int32_t> FirstBreaksBeside(const Section& section, const std::filesystem::path& record,
                                       std::vector<PickRow>* others);

// The least-squares line t = intercept + slope * x through (distance m,
// time ms) points; none for fewer than two distinct distances.
struct TravelTimeLine {
  double interceptMs = 0, slopeMsPerM = 0;
};
std::optional<TravelTimeLine> FitTravelTime(const std::vector<std::pair<double, double>>& points);

// Apparent velocity in m/s of an arrival that moves `dxM` metres in `dtMs`
// milliseconds; none when no time passes.
std::optional<double> ApparentVelocity(double dxM, double dtMs);

}  // namespace view
}  // namespace gt7p
