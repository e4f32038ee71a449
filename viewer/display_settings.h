// The display settings the viewer windows share from one to the next: the
// trace mode, the gain, normalisation and clipping, and the display's
// processing (DC removal, AGC, band-pass) and the time window, kept as one
// line of text, "mode=va gain=3 normalise=1 clip=1 dc=0 agc=0 low=0 high=0
// from=0 to=30", numbers with "." whatever the locale.
#pragma once

#include <string>

#include "viewer/processing.h"
#include "viewer/section.h"

namespace gt7p {
namespace view {

std::string DisplaySettingsText(const DisplayOptions& display, const Processing& processing, const TimeWindow& window);

// The settings a text holds replace those of `display` and `processing`;
// a field that is missing, unknown, not a number or beyond its limits
// (display_limits.h) leaves that setting as it was, so that a damaged or
// older text gives the defaults for what it lacks.
void ReadDisplaySettings(const std::string& text, DisplayOptions& display, Processing& processing, TimeWindow& window);

// The defaults of what the text keeps (no time window), the rest of `display` (orientation,
// spacing, order, polarity) as it is.
void ResetDisplaySettings(DisplayOptions& display, Processing& processing, TimeWindow& window);

}  // namespace view
}  // namespace gt7p
