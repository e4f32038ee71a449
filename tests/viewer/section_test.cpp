// The section's computations, checked against values worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <clocale>
#include <cmath>
#include <filesystem>
#include <limits>

#include "tests/support/comma_locale.h"
#include "tests/viewer/record_header.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace view {
namespace {

RecordHeader Header(int samples, int pre, double intervalUs, double delayUs) {
  return test::TimedHeader(samples, pre, intervalUs, delayUs, 1);
}

TEST(Decimate, EachColumnHoldsItsSamplesAndSharedEdges) {
  // 9 samples over 4 columns: each column spans two intervals, edges at
  // positions 0, 2, 4, 6, 8 are shared by the neighbours.
  const float s[] = {0, 5, -3, 1, 1, 8, -7, 2, 4};
  const auto c = DecimateTrace(s, 9, 4);
  ASSERT_EQ(c.size(), 4u);
  EXPECT_EQ(c[0].min, -3);  // 0, 5, -3
  EXPECT_EQ(c[0].max, 5);
  EXPECT_EQ(c[1].min, -3);  // -3, 1, 1
  EXPECT_EQ(c[1].max, 1);
  EXPECT_EQ(c[2].min, -7);  // 1, 8, -7
  EXPECT_EQ(c[2].max, 8);
  EXPECT_EQ(c[3].min, -7);  // -7, 2, 4
  EXPECT_EQ(c[3].max, 4);
}

TEST(Decimate, FewerSamplesThanColumnsFollowTheLines) {
  // Two samples, 0 and 10, over 4 columns: a straight line.
  const float s[] = {0, 10};
  const auto c = DecimateTrace(s, 2, 4);
  const float edges[] = {0, 2.5f, 5, 7.5f, 10};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(c[static_cast<size_t>(i)].min, edges[i]) << i;
    EXPECT_FLOAT_EQ(c[static_cast<size_t>(i)].max, edges[i + 1]) << i;
  }
  const float one[] = {3};
  const auto flat = DecimateTrace(one, 1, 3);
  EXPECT_EQ(flat[2].min, 3);
  EXPECT_EQ(flat[2].max, 3);
  EXPECT_TRUE(DecimateTrace(s, 0, 3)[0].gap());
}

TEST(Decimate, AZoomedSpanAndWhatLiesBeyondTheSamples) {
  // Positions 2 to 4 of 0, 10, 20, 30, 40, 50 in 4 columns of half a
  // sample each; then a span reaching beyond both ends.
  const float s[] = {0, 10, 20, 30, 40, 50};
  const auto c = DecimateSpan(s, 6, 2, 4, 4);
  EXPECT_FLOAT_EQ(c[0].min, 20);
  EXPECT_FLOAT_EQ(c[0].max, 25);
  EXPECT_FLOAT_EQ(c[3].min, 35);
  EXPECT_FLOAT_EQ(c[3].max, 40);
  const auto wide = DecimateSpan(s, 6, -4, 11, 3);  // columns of 5 positions
  EXPECT_FLOAT_EQ(wide[0].min, 0);  // before the first sample: nothing
  EXPECT_FLOAT_EQ(wide[0].max, 10);
  EXPECT_FLOAT_EQ(wide[1].max, 50);
  EXPECT_TRUE(wide[2].gap());  // beyond the last sample
  EXPECT_TRUE(DecimateSpan(s, 6, -3, -1, 2)[1].gap());
}

TEST(Decimate, SamplesThatAreNotFiniteAreGaps) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const float s[] = {1, 2, nan, 4, 5, inf, 7, 8, -inf, 3};
  // One column per interval: a line to a bad sample is no line; only the
  // good end's point is left of it.
  const auto c = DecimateTrace(s, 10, 9);
  const float expected[9][2] = {{1, 2}, {2, 2}, {4, 4}, {4, 5}, {5, 5}, {7, 7}, {7, 8}, {8, 8}, {3, 3}};
  for (size_t i = 0; i < 9; ++i) {
    EXPECT_FLOAT_EQ(c[i].min, expected[i][0]) << i;
    EXPECT_FLOAT_EQ(c[i].max, expected[i][1]) << i;
  }
  // Closer in, the columns between a good and a bad sample are gaps.
  const auto close = DecimateSpan(s, 10, 1, 3, 4);
  EXPECT_FLOAT_EQ(close[0].max, 2);
  EXPECT_TRUE(close[1].gap() && close[2].gap());
  EXPECT_FLOAT_EQ(close[3].min, 4);
  // Many samples per column: the finite ones count, the others drop out.
  const auto wide = DecimateTrace(s, 10, 2);
  EXPECT_FLOAT_EQ(wide[0].min, 1);
  EXPECT_FLOAT_EQ(wide[0].max, 5);
  EXPECT_FLOAT_EQ(wide[1].min, 3);
  EXPECT_FLOAT_EQ(wide[1].max, 8);
  EXPECT_FLOAT_EQ(PeakOf(s, 10), 8);
  const float bad[] = {nan, inf};
  EXPECT_TRUE(DecimateTrace(bad, 2, 1)[0].gap());
}

// A line between a huge sample and a small one never passes either end:
// 1e34 and 3e29 differ by less than a float can hold, and a position a
// hair short of the small sample must still give no more than it.
TEST(Decimate, AHugeSampleBesideASmallOneStaysBetweenThem) {
  const float small = 2.9765e29f, huge = -1.0059e34f;
  for (const auto& pair : {std::array<float, 2>{huge, small}, std::array<float, 2>{small, huge},
                           std::array<float, 2>{-huge, -small}, std::array<float, 2>{-small, -huge}}) {
    const float lo = std::min(pair[0], pair[1]), hi = std::max(pair[0], pair[1]);
    for (double last : {1.0, 1 - 1e-12, 1 - 1e-9, 0.999999})
      for (int columns : {1, 2, 3, 7, 1000}) {
        for (const MinMax& m : DecimateSpan(pair.data(), 2, 0, last, columns)) {
          EXPECT_GE(m.min, lo) << pair[0] << " " << last << " " << columns;
          EXPECT_LE(m.max, hi) << pair[0] << " " << last << " " << columns;
        }
        for (const MinMax& m : DecimateSpan(pair.data(), 2, 1 - last, 1, columns)) {
          EXPECT_GE(m.min, lo) << pair[0] << " " << last << " " << columns;
          EXPECT_LE(m.max, hi) << pair[0] << " " << last << " " << columns;
        }
      }
  }
}

TEST(Decimate, ASpikeIsNeverLost) {
  // A one-sample spike anywhere in 65535 samples shows in some column.
  std::vector<float> s(65535, 0.0f);
  for (size_t at : {size_t(0), size_t(1), size_t(31000), size_t(65533), size_t(65534)}) {
    s[at] = 1000;
    float top = 0;
    for (const MinMax& m : DecimateTrace(s.data(), s.size(), 1300)) top = std::max(top, m.max);
    EXPECT_EQ(top, 1000) << at;
    s[at] = 0;
  }
}

TEST(TimeAndPicks, PreTriggerSamplesLieBeforeZero) {
  const RecordHeader h = Header(1024, 16, 10, 0);
  double first = 0, last = 0;
  TimeSpan(h, first, last);
  EXPECT_DOUBLE_EQ(first, -0.16);
  EXPECT_DOUBLE_EQ(last, -0.16 + 1023 * 0.01);
  EXPECT_DOUBLE_EQ(SampleTimeMs(h, 16), 0.0);
  // Sample numbers count from 1 at the first recorded sample.
  EXPECT_DOUBLE_EQ(*PickTimeMs(h, 17), 0.0);
  EXPECT_DOUBLE_EQ(*PickTimeMs(h, 1), -0.16);
  EXPECT_DOUBLE_EQ(*PickTimeMs(h, 1024), last);
  EXPECT_FALSE(PickTimeMs(h, 0));
  EXPECT_FALSE(PickTimeMs(h, 1025));
  EXPECT_FALSE(PickTimeMs(h, -5));
  // The sample delay moves everything later.
  EXPECT_DOUBLE_EQ(*PickTimeMs(Header(100, 0, 20, 500), 1), 0.5);
}

// The axis, the readout and the picks take their times from the record's
// whole numbers, as the picks table and the exports do: a sample's time is
// the one its pick is saved with, and the readout finds it again.
TEST(TimeAxis, OneAxisForTheSectionThePicksAndTheTable) {
  const RecordHeader h = Header(4000, 37, 33.33, 7);
  const SampleTimes times = RecordSampleTimes(h);
  for (int32_t i = 0; i < h.sampleCount; ++i) {
    ASSERT_EQ(SampleTimeMs(h, i), times.AtMs(i)) << i;
    ASSERT_EQ(*PickTimeMs(h, PickValue(i)), times.AtMs(i)) << i;
    ASSERT_EQ(NearestSample(h, times.AtMs(i)), i) << i;
    ASSERT_EQ(NearestSample(h, times.AtMs(i) + 0.0166), i) << i;  // within half an interval
  }
  EXPECT_EQ(NearestSample(h, times.AtMs(0) - 0.017), -1);
  EXPECT_EQ(NearestSample(h, times.AtMs(3999) + 0.017), -1);
  // The first sample at or after the trigger: 37 pre-trigger samples,
  // the delay of 7 us less than one interval.
  EXPECT_EQ(TriggerSample(h), 37);
  EXPECT_EQ(TriggerSample(Header(100, 16, 10, 0)), 16);  // exactly at 0
  EXPECT_EQ(TriggerSample(Header(100, 0, 10, 500)), 0);  // all after it
  EXPECT_EQ(TriggerSample(Header(100, 200, 10, 0)), 100);  // none after it
  // A header no record has: no axis, and nothing overflows.
  const RecordHeader absurd = Header(65535, 65535, 3e38, -1e30);
  EXPECT_EQ(SampleTimeMs(absurd, 65534), 0.0);
  EXPECT_EQ(*PickTimeMs(absurd, 65535), 0.0);
  EXPECT_EQ(TriggerSample(absurd), 0);
}

TEST(TimeAxis, StepsOfOneTwoFiveAndZeroOnATick) {
  TimeAxis a = MakeTimeAxis(-0.16, 10.07, 1000, 60);  // 60 px is 0.61 ms
  EXPECT_DOUBLE_EQ(a.stepMs, 1.0);
  ASSERT_EQ(a.ticksMs.size(), 11u);
  EXPECT_EQ(a.ticksMs.front(), 0.0);
  EXPECT_DOUBLE_EQ(a.ticksMs.back(), 10.0);
  EXPECT_DOUBLE_EQ(MakeTimeAxis(0, 10, 1000, 150).stepMs, 2.0);
  EXPECT_DOUBLE_EQ(MakeTimeAxis(0, 10, 1000, 250).stepMs, 5.0);
  EXPECT_DOUBLE_EQ(MakeTimeAxis(0, 10, 1000, 600).stepMs, 10.0);
  TimeAxis fine = MakeTimeAxis(-1.5, 1.5, 3000, 50);
  EXPECT_DOUBLE_EQ(fine.stepMs, 0.05);
  EXPECT_EQ(fine.ticksMs[30], 0.0);  // -1.5 + 30 steps, exact
  EXPECT_TRUE(MakeTimeAxis(1, 1, 100, 10).ticksMs.empty());
  EXPECT_EQ(TickLabel(-0.5, 0.5), "-0.5");
  EXPECT_EQ(TickLabel(10, 2), "10");
  EXPECT_EQ(TickLabel(0.04, 0.02), "0.04");
  EXPECT_EQ(TickLabel(-0.0, 0.1), "0");
  EXPECT_EQ(TickLabel(0, 0.02), "0");
  EXPECT_EQ(FixedText(-0.001, 2), "0.00");
  EXPECT_EQ(FixedText(12.345, 1), "12.3");
}

// Labels are the same under a locale whose decimal point is ",".
TEST(TimeAxis, LabelsIgnoreTheLocale) {
  test::CommaLocale comma;
  ASSERT_FALSE(comma.name().empty()) << test::CommaLocale::Missing();
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");
  EXPECT_EQ(TickLabel(-0.5, 0.5), "-0.5");
  EXPECT_EQ(TickLabel(0.04, 0.02), "0.04");
  EXPECT_EQ(FixedText(4.2, 2), "4.20");
}


Section TwelveTraces() {
  RecordHeader h = Header(1000, 0, 10, 0);
  h.channelCount = 4;
  Section s = MakeSection(h, "A.T7P", [](int) { return std::string(kChannelHeaderChars, '0'); });
  const double distances[] = {2, 4, 6, 12};
  for (size_t i = 0; i < 4; ++i) {
    s.traces[i].channelNumber = static_cast<int32_t>(i + 1);
    s.traces[i].distanceM = distances[i];
  }
  return s;
}

// The one way the window and the plot build a section: a trace per
// channel from its own header, asked for in order; the file's name alone
// for the title; no first breaks yet.
TEST(MakeSection, TracesFromTheirChannelHeaders) {
  RecordHeader h = Header(100, 0, 10, 0);
  h.channelCount = 3;
  auto channelHeader = [](int number, const std::string& distance, const std::string& t0) {
    std::string c(kChannelHeaderChars, '0');
    auto put = [&c](int id, const std::string& digits) {
      c.replace(static_cast<size_t>(TableField(id).offset), digits.size(), digits);
    };
    put(kFieldChannelNumber, "000" + std::to_string(number));
    put(kFieldDistance, distance);
    put(AnalysisPointField(0), t0);
    return c;
  };
  std::vector<int> asked;
  const Section s = MakeSection(h, std::filesystem::path("dir") / "ZS0001.T7P", [&](int i) {
    asked.push_back(i);
    return channelHeader(9 - i, i == 1 ? "000A80" : "000100", i == 2 ? "0064" : "0000");
  });
  EXPECT_EQ(asked, (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(s.fileName, "ZS0001.T7P");
  ASSERT_EQ(s.traces.size(), 3u);
  EXPECT_EQ(s.traces[0].channelNumber, 9);
  EXPECT_EQ(s.traces[2].channelNumber, 7);
  EXPECT_EQ(s.traces[1].distanceM, 10.5);
  EXPECT_EQ(s.traces[2].picks[0], 100);
  EXPECT_EQ(s.firstBreaks, (std::vector<int32_t>{0, 0, 0}));
  EXPECT_EQ(s.headerLines.size(), 54u);
  EXPECT_DOUBLE_EQ(s.lastMs, 0.99);
}

TEST(Geometry, TimeAcrossTracesDownAndThePanel) {
  Frame frame;
  frame.titleHeight = 30;
  frame.traceLabels = 40;
  frame.timeLabels = 40;
  frame.panelWidth = 300;
  const Section s = TwelveTraces();
  const TraceAxis axis = MakeTraceAxis(s, false);
  EXPECT_EQ(axis.gap, 1);  // evenly spaced, whatever the distances
  const ViewRange all = FullRange(s, axis);
  EXPECT_DOUBLE_EQ(all.firstPos, -0.5);
  EXPECT_DOUBLE_EQ(all.lastPos, 3.5);
  EXPECT_DOUBLE_EQ(all.lastMs, 9.99);
  SectionGeometry g = LayoutSection(1600, 1000, DisplayOptions(), all, axis, frame);
  EXPECT_EQ(g.left, 48);
  EXPECT_EQ(g.top, 38);
  EXPECT_EQ(g.width, 1600 - 48 - 8 - 308);
  EXPECT_EQ(g.height, 1000 - 38 - 48);
  EXPECT_EQ(g.TimePixels(), g.width);
  EXPECT_DOUBLE_EQ(g.TimeToPixel(0), 48);
  EXPECT_DOUBLE_EQ(g.TimeToPixel(9.99), 48 + g.width);
  EXPECT_NEAR(g.PixelToTime(g.TimeToPixel(3.3)), 3.3, 1e-12);
  EXPECT_DOUBLE_EQ(g.Spacing(), g.height / 4.0);
  EXPECT_DOUBLE_EQ(g.Baseline(0), 38 + g.Spacing() / 2);
  EXPECT_EQ(g.TraceAt(100, g.Baseline(3) + 3), 3);
  EXPECT_EQ(g.TraceAt(100, 37), -1);
  EXPECT_EQ(g.TraceAt(47, g.Baseline(1)), -1);  // on the labels
  // Too narrow for the panel: it goes, the traces take the width.
  Frame narrow = frame;
  SectionGeometry n = LayoutSection(600, 400, DisplayOptions(), all, axis, narrow);
  EXPECT_EQ(narrow.panelWidth, 0);
  EXPECT_EQ(n.width, 600 - 48 - 8);
}

TEST(Geometry, TimeDownReversedAndSpacedByDistance) {
  Frame frame;
  frame.titleHeight = 30;
  frame.traceLabels = 20;  // above the traces
  frame.timeLabels = 60;   // left of them
  DisplayOptions o;
  o.timeDown = true;
  o.reverse = true;
  o.byDistance = true;
  const Section s = TwelveTraces();
  const TraceAxis axis = MakeTraceAxis(s, true);
  EXPECT_DOUBLE_EQ(axis.gap, 2);  // gaps 2, 2, 6
  const ViewRange all = FullRange(s, axis);
  EXPECT_DOUBLE_EQ(all.firstPos, 1);
  EXPECT_DOUBLE_EQ(all.lastPos, 13);
  SectionGeometry g = LayoutSection(800, 600, o, all, axis, frame);
  EXPECT_EQ(g.left, 68);
  EXPECT_EQ(g.top, 58);
  EXPECT_EQ(g.TimePixels(), g.height);
  EXPECT_DOUBLE_EQ(g.TimeToPixel(0), 58);  // time runs down
  // Reversed: the farthest trace on the left, 1 m in; gaps by distance.
  EXPECT_DOUBLE_EQ(g.Baseline(3), 68 + g.width / 12.0);
  EXPECT_DOUBLE_EQ(g.Baseline(0), 68 + g.width * 11 / 12.0);
  EXPECT_DOUBLE_EQ(g.Spacing(), g.width / 6.0);
  EXPECT_NEAR(g.PixelToPosition(g.Baseline(2)), 6, 1e-9);
  EXPECT_EQ(g.TraceAt(g.Baseline(2) - 5, 300), 2);
  EXPECT_EQ(g.TraceAt((g.Baseline(2) + g.Baseline(3)) / 2, 300), -1);  // the wide gap: no trace
  EXPECT_NEAR(g.TimeAt(300, g.top + g.height), 9.99, 1e-9);
}

TEST(Geometry, ColumnsOfAZoomedView) {
  RecordHeader h = Header(101, 0, 100, 0);  // 0 to 10 ms
  std::vector<float> samples(101);
  for (size_t i = 0; i < samples.size(); ++i) samples[i] = static_cast<float>(i);
  Frame frame;
  ViewRange range{2, 4, -0.5, 0.5};
  const SectionGeometry g = LayoutSection(1000, 500, DisplayOptions(), range, TraceAxis{{0.0}, 1}, frame);
  SectionTrace trace;
  SetColumns(trace, h, samples, g);
  ASSERT_EQ(trace.columns.size(), static_cast<size_t>(g.width));
  EXPECT_FLOAT_EQ(trace.columns.front().min, 20);  // 2 ms is sample 20
  EXPECT_FLOAT_EQ(trace.columns.back().max, 40);
}

TEST(Zoom, SpansZoomAroundTheAnchorAndStayInside) {
  double a = 0, b = 100;
  ZoomSpan(a, b, 0.5, 20, 0, 100, 1);  // 20 stays where it was on the screen
  EXPECT_DOUBLE_EQ(a, 10);
  EXPECT_DOUBLE_EQ(b, 60);
  ZoomSpan(a, b, 0.001, 30, 0, 100, 1);  // no narrower than 1
  EXPECT_DOUBLE_EQ(b - a, 1);
  ZoomSpan(a, b, 1000, 30, 0, 100, 1);  // no wider than all
  EXPECT_DOUBLE_EQ(a, 0);
  EXPECT_DOUBLE_EQ(b, 100);
  a = 80, b = 90;
  ScrollSpan(a, b, 50, 0, 100);  // stops at the end
  EXPECT_DOUBLE_EQ(a, 90);
  EXPECT_DOUBLE_EQ(b, 100);
  ScrollSpan(a, b, -200, 0, 100);
  EXPECT_DOUBLE_EQ(a, 0);
  a = 95, b = 99;
  ZoomSpan(a, b, 2, 97, 0, 100, 1);  // growing past the edge: moved back inside
  EXPECT_DOUBLE_EQ(b, 100);
  EXPECT_DOUBLE_EQ(a, 92);
  EXPECT_DOUBLE_EQ(NarrowestTimeMs(Header(10, 0, 25, 0)), 0.2);
}

TEST(Scaling, GainNormalisationClipAndPolarity) {
  DisplayOptions o;
  EXPECT_DOUBLE_EQ(TraceScale(o, 100, 1000, 20), 0.1);     // its own peak: 10 px
  o.normalise = false;
  EXPECT_DOUBLE_EQ(TraceScale(o, 100, 1000, 20), 0.01);    // the record's
  o.gainDb = 20;
  EXPECT_DOUBLE_EQ(TraceScale(o, 100, 1000, 20), 0.1);
  EXPECT_EQ(TraceScale(o, 0, 0, 20), 0);                   // a dead record
  EXPECT_DOUBLE_EQ(ClippedOffset(1000, 0.1, 20, o), 20);   // one spacing at most
  EXPECT_DOUBLE_EQ(ClippedOffset(-1000, 0.1, 20, o), -20);
  EXPECT_DOUBLE_EQ(ClippedOffset(50, 0.1, 20, o), 5);
  o.clip = 2.5;
  EXPECT_DOUBLE_EQ(ClippedOffset(1000, 0.1, 20, o), 50);
  o.flipPolarity = true;
  EXPECT_DOUBLE_EQ(ClippedOffset(50, 0.1, 20, o), -5);
  EXPECT_DOUBLE_EQ(StepGainDb(0, 2), 6);
  EXPECT_DOUBLE_EQ(StepGainDb(59, 5), 60);
  EXPECT_DOUBLE_EQ(StepGainDb(-35, -3), -36);
  EXPECT_NEAR(GainFactor(6), 1.9953, 1e-4);
}

TEST(Scaling, DensityColoursAtZeroAndAtTheClip) {
  DisplayOptions o;
  o.mode = TraceMode::kDensityGrey;
  EXPECT_EQ(DensityColour(0, 1, 10, o), 0x808080u);
  EXPECT_EQ(DensityColour(5, 1, 10, o), 0x000000u);       // a 0 dB peak: black
  EXPECT_EQ(DensityColour(-99, 1, 10, o), 0xFFFFFFu);     // beyond it: white
  o.mode = TraceMode::kDensityRedWhiteBlue;
  EXPECT_EQ(DensityColour(0, 1, 10, o), 0xFFFFFFu);
  EXPECT_EQ(DensityColour(5, 1, 10, o), 0xFF0000u);
  EXPECT_EQ(DensityColour(-10, 1, 10, o), 0x0000FFu);
  EXPECT_EQ(DensityColour(2.5, 1, 10, o), 0xFF8080u);
  o.clip = 2;
  EXPECT_EQ(DensityColour(5, 1, 10, o), 0xFF8080u);     // a higher clip: paler
  o.flipPolarity = true;
  EXPECT_EQ(DensityColour(10, 1, 10, o), 0x0000FFu);
  for (const char* name : {"wiggle", "va", "va-neg", "grey", "rwb"})
    EXPECT_STREQ(TraceModeName(*TraceModeNamed(name)), name);
  EXPECT_FALSE(TraceModeNamed("VA"));
}

TEST(Labels, StrideKeepsLabelsApart) {
  EXPECT_EQ(LabelStride(20, 14), 1);
  EXPECT_EQ(LabelStride(10, 14), 2);
  EXPECT_EQ(LabelStride(6, 14), 5);   // 150 channels in 900 px
  EXPECT_EQ(LabelStride(1, 14), 20);
  EXPECT_EQ(LabelStride(0, 14), 1);
}

}  // namespace
}  // namespace view
}  // namespace gt7p
