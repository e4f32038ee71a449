// The operator's first breaks and the automatic picker.
//
// The operator's first breaks are kept beside the record as NAME.picks.csv
// (for NAME.T7P, NAME.QFX or NAME.ESP), in the picks table of gt7p-cli
// picks (records/picks_table.h): one row per picked trace, layer t0, its
// sample number counted from 1 as the instrument counts its own points.
// Rows of other layers or of other files in that table are kept as they
// are when the picks are saved again.
//
// The automatic first-break picker: on each trace the energy ratio of a
// window after each sample to the window before it finds the arrival, and
// Akaike's information criterion around it sets the onset, the sample where
// the trace stops looking like the noise before it. The window is one
// period of the gather's dominant frequency.
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

// The first break of one trace: its sample index (0-based) at or after
// `from`, or -1 where nothing stands out of the noise (no window holds ten
// times the energy of the one before it: noise alone, a dead trace).
// `window` in samples (at least 4).
int PickFirstBreak(const std::vector<float>& samples, size_t from, size_t window);

// The picker's window for a gather: one period of the dominant frequency
// of its summed amplitude spectra (a few traces suffice), within 4 samples
// and an eighth of a trace.
size_t PickerWindow(const std::vector<const std::vector<float>*>& traces, double intervalUs);

// Every trace's first break as a sample number (counted from 1), 0 where
// none; picks only at or after sample index `from` (the trigger).
std::vector<int32_t> PickFirstBreaks(const std::vector<const std::vector<float>*>& traces, double intervalUs,
                                     size_t from);

// NAME.picks.csv beside the record NAME.EXT.
std::filesystem::path PicksFileOf(const std::filesystem::path& record);

// The first breaks of the section's traces from the picks table beside
// the record file `record` (PicksFileOf): every one 0 when there is no
// table; the other rows go to `others` (FirstBreaksOf). Throws the Error of
// ReadPicksTable for a table that can't be read.
std::vector<int32_t> FirstBreaksBeside(const Section& section, const std::filesystem::path& record,
                                       std::vector<PickRow>* others);

// The first breaks (sample numbers from 1, 0 for none) of the traces
// whose channels (by "道号") have a t0 row of the file `fileName` (matched
// by its name, whatever folder a row gives) in `rows` on one of its
// `sampleCount` samples; the other rows, a sample beyond the record
// included, go to `others`, so that a save keeps them.
std::vector<int32_t> FirstBreaksOf(const std::vector<int32_t>& channelNumbers, int32_t sampleCount,
                                   const std::string& fileNameUtf8, const std::vector<PickRow>& rows,
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
