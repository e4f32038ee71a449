// The section's computations, checked against values worked out by hand.
#include <gtest/gtest.h>

#include <cmath>

#include "viewer/viewer.h"

namespace gt7p {
namespace view {
namespace {

RecordHeader Header(int samples, int pre, double intervalUs, double delayUs) {
  RecordHeader h;
  h.channelCount = 1;
  h.sampleCount = samples;
  h.preTriggerCount = pre;
  h.intervalUs = intervalUs;
  h.sampleDelayUs = delayUs;
  return h;
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
  EXPECT_TRUE(DecimateTrace(s, 0, 3)[0].max == 0);
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
}

TEST(Geometry, TracesTimesAndThePanel) {
  Frame frame;
  frame.labelWidth = 40;
  frame.titleHeight = 30;
  frame.axisHeight = 40;
  frame.panelWidth = 300;
  frame.margin = 8;
  SectionGeometry g = LayoutSection(1600, 1000, 10, -1, 9, frame);
  EXPECT_EQ(g.left, 48);
  EXPECT_EQ(g.top, 38);
  EXPECT_EQ(g.width, 1600 - 48 - 8 - 308);
  EXPECT_EQ(g.height, 1000 - 38 - 48);
  EXPECT_DOUBLE_EQ(g.TimeToX(-1), 48);
  EXPECT_DOUBLE_EQ(g.TimeToX(9), 48 + g.width);
  EXPECT_DOUBLE_EQ(g.Baseline(0), 38 + g.Spacing() / 2);
  EXPECT_EQ(g.TraceAt(g.Baseline(7)), 7);
  EXPECT_EQ(g.TraceAt(37), -1);
  EXPECT_EQ(g.TraceAt(38 + g.height), -1);
  // Too narrow for the panel: it goes, the traces take the width.
  Frame narrow = frame;
  SectionGeometry n = LayoutSection(600, 400, 10, 0, 1, narrow);
  EXPECT_EQ(narrow.panelWidth, 0);
  EXPECT_EQ(n.width, 600 - 48 - 8);
}

TEST(Scaling, NormalisationGainAndClip) {
  Scaling s;
  EXPECT_DOUBLE_EQ(TraceScale(s, 100, 1000, 20), 0.1);     // its own peak: 10 px
  s.normalise = false;
  EXPECT_DOUBLE_EQ(TraceScale(s, 100, 1000, 20), 0.01);    // the record's
  s.gain = 4;
  EXPECT_DOUBLE_EQ(TraceScale(s, 100, 1000, 20), 0.04);
  EXPECT_EQ(TraceScale(s, 0, 0, 20), 0);                   // a dead record
  EXPECT_DOUBLE_EQ(ClippedOffset(1000, 0.1, 20), 20);      // one spacing at most
  EXPECT_DOUBLE_EQ(ClippedOffset(-1000, 0.1, 20), -20);
  EXPECT_DOUBLE_EQ(ClippedOffset(50, 0.1, 20), 5);
  EXPECT_DOUBLE_EQ(StepGain(1, 2), 2);
  EXPECT_NEAR(StepGain(1, -1), 1 / std::sqrt(2.0), 1e-12);
  EXPECT_DOUBLE_EQ(StepGain(1000, 5), 1024);
  EXPECT_DOUBLE_EQ(StepGain(1.0 / 60, -3), 1.0 / 64);
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
