#include "ui/window_place.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <cstdint>
#include <limits>

namespace gt7p {

namespace {

int64_t Overlap(const ScreenRect& a, const ScreenRect& b) {
  const int64_t w = std::min(a.right(), b.right()) - std::max(a.left, b.left);
  const int64_t h = std::min(a.bottom(), b.bottom()) - std::max(a.top, b.top);
  return w > 0 && h > 0 ? w * h : 0;
}

// Squared distance between the nearest points of two rectangles.
int64_t Gap(const ScreenRect& a, const ScreenRect& b) {
  const int64_t dx = std::max<int64_t>({0, int64_t(b.left) - a.right(), int64_t(a.left) - b.right()});
  const int64_t dy = std::max<int64_t>({0, int64_t(b.top) - a.bottom(), int64_t(a.top) - b.bottom()});
  return dx * dx + dy * dy;
}

// `at` moved by no more than it must so that [at, at + size) lies in
// [low, high); the low end wins when it can't.
int Within(int at, int size, int low, int high) { return std::max(low, std::min(at, high - size)); }

}  // namespace

std::string WindowPlaceText(const WindowPlace& place) {
  const ScreenRect& r = place.inside;
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.width) + " " +
         std::to_string(r.height) + " " + (place.maximised ? "1" : "0");
}

std::optional<WindowPlace> ParseWindowPlace(const std::string& text) {
  int numbers[5];
  const char* p = text.data();
  const char* const end = p + text.size();
  for (int k = 0; k < 5; ++k) {
    if (k > 0) {
      if (p == end || *p != ' ') return std::nullopt;
      ++p;
    }
    const auto [next, ec] = std::from_chars(p, end, numbers[k]);
    if (ec != std::errc() || next == p) return std::nullopt;
    p = next;
  }
  if (p != end) return std::nullopt;
  WindowPlace place;
  place.inside = {numbers[0], numbers[1], numbers[2], numbers[3]};
  if (place.inside.empty() || place.inside.width > kLargestSide || place.inside.height > kLargestSide ||
      std::abs(place.inside.left) > kLargestSide || std::abs(place.inside.top) > kLargestSide)
    return std::nullopt;
  if (numbers[4] != 0 && numbers[4] != 1) return std::nullopt;
  place.maximised = numbers[4] == 1;
  return place;
}

ScreenRect FitOnScreens(const ScreenRect& inside, const FrameMargins& frame, const std::vector<ScreenRect>& screens,
                        int smallestWidth, int smallestHeight) {
  if (screens.empty()) return inside;
  const ScreenRect outside{inside.left - frame.left, inside.top - frame.top, inside.width + frame.left + frame.right,
                           inside.height + frame.top + frame.bottom};
  // The screen it overlaps most; on none, the nearest (earlier ones win ties).
  size_t best = 0;
  int64_t bestOverlap = -1, bestGap = std::numeric_limits<int64_t>::max();
  for (size_t k = 0; k < screens.size(); ++k) {
    const int64_t overlap = Overlap(outside, screens[k]), gap = Gap(outside, screens[k]);
    if (overlap > bestOverlap || (overlap == 0 && bestOverlap == 0 && gap < bestGap)) {
      best = k;
      bestOverlap = overlap;
      bestGap = gap;
    }
  }
  const ScreenRect& screen = screens[static_cast<size_t>(best)];
  ScreenRect fitted = inside;
  fitted.width = std::max(std::min(inside.width, screen.width - frame.left - frame.right), smallestWidth);
  fitted.height = std::max(std::min(inside.height, screen.height - frame.top - frame.bottom), smallestHeight);
  const int outerWidth = fitted.width + frame.left + frame.right;
  const int outerHeight = fitted.height + frame.top + frame.bottom;
  fitted.left = Within(outside.left, outerWidth, screen.left, screen.right()) + frame.left;
  fitted.top = Within(outside.top, outerHeight, screen.top, screen.bottom()) + frame.top;
  return fitted;
}

ScreenRect FirstPlace(int wantedWidth, int wantedHeight, double share, const std::vector<ScreenRect>& screens) {
  if (screens.empty()) return {0, 0, wantedWidth, wantedHeight};
  const ScreenRect& screen = screens.front();
  ScreenRect place;
  place.width = std::min(wantedWidth, static_cast<int>(screen.width * share));
  place.height = std::min(wantedHeight, static_cast<int>(screen.height * share));
  place.left = screen.left + (screen.width - place.width) / 2;
  place.top = screen.top + (screen.height - place.height) / 2;
  return place;
}

}  // namespace gt7p
