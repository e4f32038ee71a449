#include "viewer/display_settings.h"

#include <charconv>
#include <cmath>
#include <sstream>

#include "viewer/display_limits.h"

namespace gt7p {
namespace view {

namespace {

std::optional<double> Number(const std::string& text) {
  double value = 0;
  const char* end = text.data() + text.size();
  const auto [next, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || next != end || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace

std::string DisplaySettingsText(const DisplayOptions& display, const Processing& processing, const TimeWindow& window) {
  auto number = [](double value) {
    char buffer[32];
    const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, end) : std::string("0");
  };
  return std::string("mode=") + TraceModeName(display.mode) + " gain=" + number(display.gainDb) +
         " normalise=" + (display.normalise ? "1" : "0") + " clip=" + number(display.clip) +
         " dc=" + (processing.removeDc ? "1" : "0") + " agc=" + number(processing.agcMs) +
         " low=" + number(processing.lowCutHz) + " high=" + number(processing.highCutHz) +
         " from=" + number(window.fromMs) + " to=" + number(window.toMs);
}

void ReadDisplaySettings(const std::string& text, DisplayOptions& display, Processing& processing, TimeWindow& window) {
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    const size_t eq = word.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = word.substr(0, eq), value = word.substr(eq + 1);
    if (key == "mode") {
      if (const auto mode = TraceModeNamed(value)) display.mode = *mode;
      continue;
    }
    if (key == "normalise" || key == "dc") {
      if (value != "0" && value != "1") continue;
      (key == "dc" ? processing.removeDc : display.normalise) = value == "1";
      continue;
    }
    const auto n = Number(value);
    if (!n) continue;
    if (key == "gain" && kGainDb.Holds(*n)) display.gainDb = *n;
    if (key == "clip" && kClip.Holds(*n)) display.clip = *n;
    if (key == "agc" && (*n == 0 || kAgcWindowMs.Holds(*n))) processing.agcMs = *n;
    if (key == "low" && kCornerHz.Holds(*n)) processing.lowCutHz = *n;
    if (key == "high" && kCornerHz.Holds(*n)) processing.highCutHz = *n;
    if (key == "from" && kWindowMs.Holds(*n)) window.fromMs = *n;
    if (key == "to" && kWindowMs.Holds(*n)) window.toMs = *n;
  }
}

void ResetDisplaySettings(DisplayOptions& display, Processing& processing, TimeWindow& window) {
  const DisplayOptions defaults;
  display.mode = defaults.mode;
  display.gainDb = defaults.gainDb;
  display.normalise = defaults.normalise;
  display.clip = defaults.clip;
  processing = Processing();
  window = TimeWindow();
}

}  // namespace view
}  // namespace gt7p
