// Where a window goes among the screens there are, without a toolkit: a
// place remembered on another set of screens (a larger monitor since
// unplugged, a screen to the left that is gone) is moved, and shrunk where
// it must be, onto one of the screens of now, title bar included; a
// remembered place that can't be read gives the window's first place.
//
// Rectangles are in the desktop's pixels: the screens' available areas
// (without task bars), and the window's inside with the frame around it
// given apart, since the frame's size is known only once a window manager
// has framed it.
//
// Nothing here blocks or throws (but std::bad_alloc).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace gt7p {

struct ScreenRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }    // one past
  int bottom() const { return top + height; }   // one past
  bool empty() const { return width <= 0 || height <= 0; }
  bool operator==(const ScreenRect& o) const {
    return left == o.left && top == o.top && width == o.width && height == o.height;
  }
};

// The frame around a window's inside: title bar and borders.
struct FrameMargins {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// A window's remembered place: its inside, and whether it was maximised.
// Kept as the text "LEFT TOP WIDTH HEIGHT MAXIMISED" (MAXIMISED 0 or 1).
struct WindowPlace {
  ScreenRect inside;
  bool maximised = false;
};
std::string WindowPlaceText(const WindowPlace& place);
// None for a text that is not exactly that: cut short, with more, a size
// of no pixels or a negative one (inverted), or beyond any screen
// (kLargestSide).
std::optional<WindowPlace> ParseWindowPlace(const std::string& text);
constexpr int kLargestSide = 1 << 15;

// The inside of a window whose frame lies wholly on one of `screens`
// (available areas; the primary first): the screen it overlaps most, or,
// when it is on none, the one nearest to it (the primary on a tie). It
// keeps its place and size where they fit, is shrunk to the screen where
// it is larger, though never below `smallest` (then its top left, title
// bar and all, is still on the screen), and moved no further than it must.
// With no screens (none reported) it is as it was.
ScreenRect FitOnScreens(const ScreenRect& inside, const FrameMargins& frame, const std::vector<ScreenRect>& screens,
                        int smallestWidth = 0, int smallestHeight = 0);

// A window's first place: `wanted` in size, shrunk to `share` of the
// primary screen (the first) where that is smaller, centred on it.
ScreenRect FirstPlace(int wantedWidth, int wantedHeight, double share, const std::vector<ScreenRect>& screens);

}  // namespace gt7p
