// The time window the section shows and the automatic picker searches, the
// display settings kept between viewer windows, and the automatic picks
// taken on the traces without one.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "interpret/interpret.h"
#include "tests/viewer/record_header.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace view {
namespace {

RecordHeader Header(int samples, int pre, double intervalUs, int channels = 4) {
  return test::TimedHeader(samples, pre, intervalUs, 0, channels);
}

void ExpectSpan(const TimeWindow& window, double narrowest, double first, double last, double wantFirst,
                double wantLast) {
  WindowedSpan(window, narrowest, first, last);
  EXPECT_NEAR(first, wantFirst, 1e-9) << window.fromMs << " " << window.toMs;
  EXPECT_NEAR(last, wantLast, 1e-9) << window.fromMs << " " << window.toMs;
}

TEST(TimeWindow, TheRecordsSpanCutToTheWindow) {
  // A 655 ms record and its first 30 ms.
  ExpectSpan({0, 30}, 0.08, 0, 655.35, 0, 30);
  ExpectSpan({-5, 30}, 0.08, 0, 655.35, 0, 30);          // cut at the record's start
  ExpectSpan({600, 900}, 0.08, 0, 655.35, 600, 655.35);  // and at its end
  // No window, an end before the start, a window beside the record: all of it.
  for (const TimeWindow w : {TimeWindow{0, 0}, TimeWindow{30, 10}, TimeWindow{700, 800}, TimeWindow{-20, -10}})
    ExpectSpan(w, 0.08, -1.6, 655.35, -1.6, 655.35);
  // Narrower than the view's narrowest: widened about its middle, within the record.
  ExpectSpan({100, 100.01}, 0.08, 0, 655.35, 100.005 - 0.04, 100.005 + 0.04);
  ExpectSpan({655.34, 655.35}, 0.08, 0, 655.35, 655.27, 655.35);
  ExpectSpan({0, 1}, 5, 0, 2, 0, 2);  // never wider than the record
}

TEST(TimeWindow, ThePickerSearchesTheSamplesAfterTheTriggerInTheWindow) {
  // 1000 samples 0.1 ms apart, 100 before the trigger: -10 ms to 89.9 ms.
  const RecordHeader h = Header(1000, 100, 100);
  size_t from = 0, to = 0;
  EXPECT_TRUE(WindowSamples(h, TimeWindow(), from, to));
  EXPECT_EQ(from, 100u);
  EXPECT_EQ(to, 1000u);
  EXPECT_TRUE(WindowSamples(h, {-5, 20}, from, to));  // starts before the trigger
  EXPECT_EQ(from, 100u);
  EXPECT_EQ(to, 301u);  // 20 ms is sample 300, inside
  EXPECT_TRUE(WindowSamples(h, {2.05, 20.05}, from, to));
  EXPECT_EQ(from, 121u);  // the first sample at or after 2.05 ms: 2.1 ms
  EXPECT_EQ(to, 301u);
  EXPECT_TRUE(WindowSamples(h, {50, 500}, from, to));
  EXPECT_EQ(from, 600u);
  EXPECT_EQ(to, 1000u);
  // Wholly before the trigger: nothing to search.
  EXPECT_FALSE(WindowSamples(h, {-8, -2}, from, to));
  EXPECT_EQ(from, to);
}

// A long record (65,535 samples, 10 us: 655 ms) of noise, its arrivals in
// the first 30 ms, and a far louder burst at 400 ms (a later event, a
// footstep): the picker finds the arrivals in a window of 0 to 30 ms.
TEST(TimeWindow, OnALongRecordThePickerFindsTheBreakInTheWindow) {
  const int kSamples = 65535, kTraces = 6;
  const double kIntervalUs = 10;
  const RecordHeader h = Header(kSamples, 0, kIntervalUs, kTraces);
  std::mt19937 random(7);
  std::normal_distribution<float> noise(0, 1);
  std::vector<std::vector<float>> traces(kTraces, std::vector<float>(kSamples));
  std::vector<int> onsets;
  const double pi = std::acos(-1.0);
  for (int i = 0; i < kTraces; ++i) {
    const int onset = 300 + 400 * i;  // 3 to 23 ms
    onsets.push_back(onset);
    std::vector<float>& t = traces[static_cast<size_t>(i)];
    for (int n = 0; n < kSamples; ++n) {
      t[static_cast<size_t>(n)] = noise(random);
      // 500 Hz, decaying over a few periods, 30 times the noise.
      if (n >= onset) {
        const double s = (n - onset) * kIntervalUs * 1e-6;
        t[static_cast<size_t>(n)] += static_cast<float>(30 * std::sin(2 * pi * 500 * s) * std::exp(-s / 0.004));
      }
      if (n >= 40000) {
        const double s = (n - 40000) * kIntervalUs * 1e-6;
        t[static_cast<size_t>(n)] += static_cast<float>(3000 * std::sin(2 * pi * 200 * s) * std::exp(-s / 0.02));
      }
    }
  }
  std::vector<const std::vector<float>*> pointers;
  for (const auto& t : traces) pointers.push_back(&t);
  size_t from = 0, to = 0;
  ASSERT_TRUE(WindowSamples(h, {0, 30}, from, to));
  EXPECT_EQ(to, 3001u);
  const std::vector<int32_t> picks = interpret::PickFirstBreaks(pointers, kIntervalUs, from, to);
  ASSERT_EQ(picks.size(), onsets.size());
  for (size_t i = 0; i < picks.size(); ++i) {
    // Sample numbers count from 1; within a tenth of the 2 ms period.
    EXPECT_NEAR(picks[i] - 1, onsets[i], 20) << "trace " << i;
  }
}

TEST(SectionView, TheWindowBoundsZoomAndScroll) {
  SectionView view;
  Section s = MakeSection(Header(65536, 0, 10, 2), "A.T7P", [](int) { return std::string(kChannelHeaderChars, '0'); });
  view.Show(s);
  EXPECT_NEAR(view.range().lastMs, 655.35, 1e-9);
  EXPECT_TRUE(view.SetTimeWindow({0, 30}));
  EXPECT_FALSE(view.SetTimeWindow({0, 30}));
  EXPECT_DOUBLE_EQ(view.range().firstMs, 0);
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);
  view.ZoomTime(0.5, 30);  // closer, at the window's end
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);
  EXPECT_DOUBLE_EQ(view.range().firstMs, 15);
  view.ZoomTime(10);  // out no further than the window
  EXPECT_DOUBLE_EQ(view.range().firstMs, 0);
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);
  view.ResetZoom();
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);
  // Another record keeps the window; none shows all again.
  view.Show(MakeSection(Header(1001, 0, 10, 2), "B.T7P", [](int) { return std::string(kChannelHeaderChars, '0'); }));
  EXPECT_DOUBLE_EQ(view.range().lastMs, 10);  // the window lies beyond it: all of it
  view.Show(s);
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);
  EXPECT_TRUE(view.SetTimeWindow(TimeWindow()));
  EXPECT_NEAR(view.range().lastMs, 655.35, 1e-9);
}

TEST(SectionView, AutomaticPicksFillTheEmptyTracesOrReplaceAllInOneStep) {
  SectionView view;
  view.Show(MakeSection(Header(1000, 0, 10, 4), "A.T7P", [](int) { return std::string(kChannelHeaderChars, '0'); }));
  EXPECT_FALSE(view.anyPick());
  ASSERT_TRUE(view.SetPick(1, 0.5));  // the operator's: sample index 50, number 51
  EXPECT_TRUE(view.anyPick());
  const std::vector<int32_t> found = {10, 20, 0, 40};
  ASSERT_TRUE(view.TakeAutomaticPicks(found, false));
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{10, 51, 0, 40}));
  EXPECT_EQ(view.section().firstBreaks, view.picks().picks());
  EXPECT_FALSE(view.TakeAutomaticPicks(found, false));  // nothing left to fill
  ASSERT_TRUE(view.TakeAutomaticPicks(found, true));
  EXPECT_EQ(view.picks().picks(), found);
  // Each run one step back, and forward again.
  ASSERT_TRUE(view.UndoPick());
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{10, 51, 0, 40}));
  ASSERT_TRUE(view.UndoPick());
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{0, 51, 0, 0}));
  ASSERT_TRUE(view.RedoPick());
  ASSERT_TRUE(view.RedoPick());
  EXPECT_EQ(view.picks().picks(), found);
  EXPECT_FALSE(view.RedoPick());
}

TEST(DisplaySettings, ADamagedTextLeavesTheDefaultsForWhatItLacks) {
  DisplayOptions d;
  Processing p;
  TimeWindow w{0, 30};
  d.mode = TraceMode::kWiggle;
  d.gainDb = -6.5;
  p.agcMs = 12;
  const std::string text = DisplaySettingsText(d, p, w);
  EXPECT_EQ(text, "mode=wiggle gain=-6.5 normalise=1 clip=1 dc=0 agc=12 low=0 high=0 from=0 to=30");
  DisplayOptions d2;
  Processing p2;
  TimeWindow w2;
  ReadDisplaySettings(text, d2, p2, w2);
  EXPECT_EQ(DisplaySettingsText(d2, p2, w2), text);
  // Cut short, numbers beyond their limits or not numbers, unknown words.
  const std::string defaults = DisplaySettingsText(DisplayOptions(), Processing(), TimeWindow());
  for (const char* damaged : {"mode=nonsense gain=600 clip=0 agc=-1 low=nan high=1e7 to=1e7",
                              "gain=3,5 clip=2x dc=2 normalise=yes from=0..3", "what=1 =2 gain= mode", ""}) {
    DisplayOptions d3;
    Processing p3;
    TimeWindow w3;
    ReadDisplaySettings(damaged, d3, p3, w3);
    EXPECT_EQ(DisplaySettingsText(d3, p3, w3), defaults) << damaged;
  }
  // An older text without the window: the other settings, no window.
  DisplayOptions d4;
  Processing p4;
  TimeWindow w4;
  ReadDisplaySettings("mode=wiggle gain=-6.5 norm", d4, p4, w4);
  EXPECT_EQ(d4.mode, TraceMode::kWiggle);
  EXPECT_DOUBLE_EQ(d4.gainDb, -6.5);
  EXPECT_FALSE(w4.set());
  // The defaults again: the layout stays.
  d.timeDown = true;
  ResetDisplaySettings(d, p, w);
  EXPECT_TRUE(d.timeDown);
  EXPECT_EQ(DisplaySettingsText(d, p, w), defaults);
}

}  // namespace
}  // namespace view
}  // namespace gt7p
