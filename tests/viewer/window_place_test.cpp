// A window's remembered place against the screens of now: read back only
// when whole, and moved or shrunk onto a screen, frame and title bar
// included.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/window_place.h"

namespace gt7p {
namespace {

std::string Text(const ScreenRect& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " + std::to_string(r.width) + "x" +
         std::to_string(r.height);
}

// Whether the frame around `inside` lies wholly on `screen`.
bool On(const ScreenRect& inside, const FrameMargins& f, const ScreenRect& screen) {
  return inside.left - f.left >= screen.left && inside.top - f.top >= screen.top &&
         inside.right() + f.right <= screen.right() && inside.bottom() + f.bottom <= screen.bottom();
}

TEST(WindowPlace, TextRoundTripsAndDamagedTextIsRefused) {
  const WindowPlace place{{-1200, 40, 1000, 700}, true};
  EXPECT_EQ(WindowPlaceText(place), "-1200 40 1000 700 1");
  const auto back = ParseWindowPlace(WindowPlaceText(place));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->inside, place.inside);
  EXPECT_TRUE(back->maximised);
  EXPECT_FALSE(ParseWindowPlace("10 20 800 600 0")->maximised);
  for (const char* bad : {"", "10 20 800", "10 20 800 600", "10 20 800 600 0 7", "10 20 800 600 2",  // cut, more
                          "10 20 -800 600 0", "10 20 800 -600 0", "10 20 0 600 0",                     // inverted
                          "10 20 800 40000 0", "99999 20 800 600 0",                                   // beyond
                          "10  20 800 600 0", "10,20,800,600,0", " 10 20 800 600 0", "10 20 800 600 0 ",
                          "10 20 8x0 600 0", "@ByteArray(\x01\xd9\xd0\xcb\x00\x03)"})
    EXPECT_FALSE(ParseWindowPlace(bad)) << '"' << bad << '"';
}

// A laptop of 1024 x 768 (task bar at the bottom) where a larger monitor
// was; the window had a title bar of 30 and borders of 4.
TEST(WindowPlace, APlaceFromALargerScreenIsShrunkOntoTheSmallerOne) {
  const std::vector<ScreenRect> laptop = {{0, 0, 1024, 728}};
  const FrameMargins frame{4, 30, 4, 4};
  const ScreenRect kept{200, 150, 1700, 1000};  // from 1920 x 1200
  const ScreenRect fitted = FitOnScreens(kept, frame, laptop, 600, 400);
  EXPECT_TRUE(On(fitted, frame, laptop[0])) << Text(fitted);
  EXPECT_EQ(fitted.width, 1024 - 8);
  EXPECT_EQ(fitted.height, 728 - 34);
  EXPECT_EQ(fitted.left, 4);
  EXPECT_EQ(fitted.top, 30);  // the title bar at the top of the screen
  // A place that fits stays where it is.
  const ScreenRect small{100, 80, 700, 500};
  EXPECT_EQ(FitOnScreens(small, frame, laptop), small);
  // Beyond the right and bottom edges: moved back no further than it must.
  const ScreenRect fitted2 = FitOnScreens({600, 500, 700, 500}, frame, laptop);
  EXPECT_EQ(Text(fitted2), "320,224 700x500");
  EXPECT_TRUE(On(fitted2, frame, laptop[0]));
  // Never below the window's smallest size: then its top left, title bar
  // and all, is what stays on the screen.
  const ScreenRect tiny{0, 0, 400, 300};
  const ScreenRect big = FitOnScreens({50, 50, 900, 900}, frame, {tiny}, 600, 400);
  EXPECT_EQ(Text(big), "4,30 600x400");
}

TEST(WindowPlace, AWindowOffEveryScreenComesToTheNearest) {
  // Two monitors side by side, the primary on the right; the one that was
  // left of them both is gone.
  const std::vector<ScreenRect> screens = {{1920, 0, 1280, 1024}, {0, 0, 1920, 1040}};
  const FrameMargins frame{0, 24, 0, 0};
  const ScreenRect lost = FitOnScreens({-1500, 100, 800, 600}, frame, screens);
  EXPECT_TRUE(On(lost, frame, screens[1])) << Text(lost);
  EXPECT_EQ(Text(lost), "0,100 800x600");
  // Far below everything: the nearest screen, the primary on a tie.
  const ScreenRect below = FitOnScreens({1800, 5000, 400, 300}, frame, screens);
  EXPECT_TRUE(On(below, frame, screens[0]) || On(below, frame, screens[1])) << Text(below);
  const ScreenRect below2 = FitOnScreens({2400, 5000, 400, 300}, frame, screens);
  EXPECT_TRUE(On(below2, frame, screens[0])) << Text(below2);
  // Across both: onto the one it is most on, whole.
  const ScreenRect across = FitOnScreens({1700, 100, 1000, 600}, frame, screens);
  EXPECT_TRUE(On(across, frame, screens[0])) << Text(across);
  EXPECT_EQ(across.width, 1000);
  // Only its title bar above the top of a screen: pulled down to show it.
  const ScreenRect up = FitOnScreens({100, 10, 800, 600}, frame, screens);
  EXPECT_EQ(Text(up), "100,24 800x600");
  // No screen reported: as it was.
  EXPECT_EQ(FitOnScreens({-5000, 3, 10, 10}, frame, {}), (ScreenRect{-5000, 3, 10, 10}));
}

TEST(WindowPlace, TheFirstPlaceIsCentredOnThePrimaryScreen) {
  const std::vector<ScreenRect> screens = {{1920, 0, 1024, 728}, {0, 0, 1920, 1080}};
  const ScreenRect first = FirstPlace(1280, 800, 0.92, screens);
  EXPECT_EQ(first.width, 942);   // 92 % of 1024
  EXPECT_EQ(first.height, 669);  // 92 % of 728
  EXPECT_EQ(first.left, 1920 + (1024 - 942) / 2);
  EXPECT_EQ(first.top, (728 - 669) / 2);
  EXPECT_EQ(Text(FirstPlace(1280, 800, 0.92, {{0, 0, 1920, 1080}})), "320,140 1280x800");
}

}  // namespace
}  // namespace gt7p
