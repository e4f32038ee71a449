// The viewer's state without a window: the edits of the first breaks and
// their undo, scroll bars and zoom, the readout and the measuring line on
// the nearest sample, and the picks table it must not write over.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "base/error.h"
#include "tests/support/files.h"
#include "tests/viewer/record_header.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace view {
namespace {

TEST(PickEdits, EachEditIsOneStepAndADragIsOne) {
  PickEdits edits(std::vector<int32_t>{0, 7, 0});
  EXPECT_FALSE(edits.changed());
  EXPECT_FALSE(edits.Set(1, 7));  // no change, no step
  EXPECT_FALSE(edits.canUndo());
  // A press on trace 0 and a drag: one step.
  EXPECT_TRUE(edits.Set(0, 10));
  EXPECT_TRUE(edits.Set(0, 12, true));
  EXPECT_TRUE(edits.Set(0, 15, true));
  EXPECT_TRUE(edits.Remove(1));
  EXPECT_TRUE(edits.Replace({1, 2, 3}));
  EXPECT_TRUE(edits.Clear());
  EXPECT_FALSE(edits.Clear());
  const std::vector<std::vector<int32_t>> back = {{1, 2, 3}, {15, 0, 0}, {15, 7, 0}, {0, 7, 0}};
  for (const auto& picks : back) {
    ASSERT_TRUE(edits.Undo());
    EXPECT_EQ(edits.picks(), picks);
  }
  EXPECT_FALSE(edits.Undo());
  EXPECT_FALSE(edits.changed());  // undone back to what was read
  EXPECT_TRUE(edits.Redo());
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{15, 7, 0}));
  // A drag after an undo, or on another trace, is a press of its own.
  EXPECT_TRUE(edits.Set(2, 4, true));
  EXPECT_FALSE(edits.canRedo());  // a new edit drops what was undone
  EXPECT_TRUE(edits.Undo());
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{15, 7, 0}));
  // Dragged back to where it was: no step.
  EXPECT_TRUE(edits.Set(1, 9));
  EXPECT_TRUE(edits.Set(1, 7, true));
  EXPECT_TRUE(edits.Undo());
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{0, 7, 0}));
  // Saved: unchanged until the next edit; beyond the traces nothing.
  edits.Redo();
  edits.Saved();
  EXPECT_FALSE(edits.changed());
  EXPECT_FALSE(edits.Set(3, 1));
  edits.Undo();
  EXPECT_TRUE(edits.changed());
}

TEST(PickEdits, ReflectionsAreEditsOfTheSameHistory) {
  constexpr PickKind kRefl = PickKind::kReflection;
  PickEdits edits(std::vector<int32_t>{0, 7, 0}, std::vector<int32_t>{0, 0, 30});
  EXPECT_EQ(edits.reflections(), (std::vector<int32_t>{0, 0, 30}));
  EXPECT_FALSE(edits.Set(2, 30, false, kRefl));  // no change, no step
  EXPECT_FALSE(edits.changed());
  // A reflection set and dragged on the trace of a first break: one step,
  // the first break left as it was.
  EXPECT_TRUE(edits.Set(1, 20, false, kRefl));
  EXPECT_TRUE(edits.Set(1, 24, true, kRefl));
  EXPECT_TRUE(edits.changed());
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{0, 7, 0}));
  // A first break then: a drag of the reflection on its trace after it is
  // a press of its own, not a move of the first break.
  EXPECT_TRUE(edits.Set(1, 9));
  EXPECT_TRUE(edits.Set(1, 26, true, kRefl));
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{0, 9, 0}));
  EXPECT_EQ(edits.reflections(), (std::vector<int32_t>{0, 26, 30}));
  EXPECT_TRUE(edits.Remove(2, kRefl));
  EXPECT_FALSE(edits.Remove(0, kRefl));
  EXPECT_TRUE(edits.Clear());  // the first breaks only
  EXPECT_EQ(edits.reflections(), (std::vector<int32_t>{0, 26, 0}));
  // Undo takes back the last edit of either kind, in order.
  const std::vector<std::pair<std::vector<int32_t>, std::vector<int32_t>>> back = {
      {{0, 9, 0}, {0, 26, 0}}, {{0, 9, 0}, {0, 26, 30}}, {{0, 9, 0}, {0, 24, 30}},
      {{0, 7, 0}, {0, 24, 30}}, {{0, 7, 0}, {0, 0, 30}}};
  for (const auto& [picks, reflections] : back) {
    ASSERT_TRUE(edits.Undo());
    EXPECT_EQ(edits.picks(), picks);
    EXPECT_EQ(edits.reflections(), reflections);
  }
  EXPECT_FALSE(edits.changed());
  // Saved covers both kinds; a change of the reflections alone is a change.
  EXPECT_TRUE(edits.Redo());
  EXPECT_TRUE(edits.changed());
  edits.Saved();
  EXPECT_FALSE(edits.changed());
  EXPECT_TRUE(edits.Replace({5, 5, 5}, kRefl));
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{0, 7, 0}));
  EXPECT_TRUE(edits.changed());
  EXPECT_TRUE(edits.Undo());
  EXPECT_FALSE(edits.changed());
  // Without reflections read, as many empty ones as first breaks.
  PickEdits plain(std::vector<int32_t>{3, 0});
  EXPECT_EQ(plain.reflections(), (std::vector<int32_t>{0, 0}));
  EXPECT_FALSE(plain.Set(2, 1, false, kRefl));
}

TEST(PickEdits, LayerChoicesAreStepsOfTheSameHistory) {
  using Layers = std::map<int32_t, int>;
  PickEdits edits(std::vector<int32_t>{0, 0});
  edits.ReadLayers({{5, 2}});
  EXPECT_FALSE(edits.layersChanged());
  EXPECT_FALSE(edits.canUndo());  // as read: no step
  EXPECT_FALSE(edits.SetLayers({{5, 2}}));
  // A pick, a point put on a layer, another pick: undone last first.
  EXPECT_TRUE(edits.Set(0, 10));
  EXPECT_TRUE(edits.SetLayers({{5, 2}, {3, 1}}));
  EXPECT_TRUE(edits.layersChanged());
  EXPECT_TRUE(edits.Set(1, 20));
  ASSERT_TRUE(edits.Undo());
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{10, 0}));
  EXPECT_EQ(edits.layers(), (Layers{{5, 2}, {3, 1}}));
  ASSERT_TRUE(edits.Undo());
  EXPECT_EQ(edits.layers(), (Layers{{5, 2}}));
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{10, 0}));
  EXPECT_FALSE(edits.layersChanged());
  ASSERT_TRUE(edits.Redo());
  EXPECT_EQ(edits.layers(), (Layers{{5, 2}, {3, 1}}));
  edits.LayersSaved();
  EXPECT_FALSE(edits.layersChanged());

  // A drag of a break point: one step however often it moves, a choice
  // given back (5) and ones made (7, 8) in it; undone to before the drag.
  EXPECT_TRUE(edits.SetLayers({{3, 1}, {7, 1}}));
  EXPECT_TRUE(edits.SetLayers({{3, 1}, {7, 1}, {8, 1}}, true));
  EXPECT_FALSE(edits.SetLayers({{3, 1}, {7, 1}, {8, 1}}, true));
  EXPECT_FALSE(edits.canRedo());
  ASSERT_TRUE(edits.Undo());
  EXPECT_EQ(edits.layers(), (Layers{{5, 2}, {3, 1}}));
  EXPECT_FALSE(edits.layersChanged());
  ASSERT_TRUE(edits.Redo());
  EXPECT_EQ(edits.layers(), (Layers{{3, 1}, {7, 1}, {8, 1}}));
  // After an undo or a pick a continuing change is a step of its own.
  EXPECT_TRUE(edits.Set(0, 11));
  EXPECT_TRUE(edits.SetLayers({{3, 1}}, true));
  ASSERT_TRUE(edits.Undo());
  EXPECT_EQ(edits.layers(), (Layers{{3, 1}, {7, 1}, {8, 1}}));
  EXPECT_EQ(edits.picks(), (std::vector<int32_t>{11, 0}));
  // Dragged back to where it began: no step left.
  ASSERT_TRUE(edits.Undo());  // the pick 11
  EXPECT_TRUE(edits.SetLayers({{3, 2}}));
  EXPECT_TRUE(edits.SetLayers({{3, 1}, {7, 1}, {8, 1}}, true));
  ASSERT_TRUE(edits.Undo());  // the first drag's, not the one that left nothing
  EXPECT_EQ(edits.layers(), (Layers{{5, 2}, {3, 1}}));
}

TEST(PickEdits, TheOldestStepsGo) {
  PickEdits edits(std::vector<int32_t>(1, 0));
  for (size_t i = 1; i <= PickEdits::kMaxSteps + 5; ++i) edits.Set(0, static_cast<int32_t>(i));
  size_t undone = 0;
  while (edits.Undo()) ++undone;
  EXPECT_EQ(undone, PickEdits::kMaxSteps);
  EXPECT_EQ(edits[0], 5);
  // Steps of many changes go by their count: 65,535 traces picked and
  // cleared over and over stay within a few megabytes.
  PickEdits wide(std::vector<int32_t>(65535, 0));
  for (int i = 1; i <= 20; ++i) wide.Replace(std::vector<int32_t>(65535, i));
  undone = 0;
  while (wide.Undo()) ++undone;
  EXPECT_EQ(undone, PickEdits::kMaxChanges / 65535);
}

RecordHeader Header(int samples, int pre, double intervalUs, double delayUs) {
  return test::TimedHeader(samples, pre, intervalUs, delayUs, 4);
}

Section FourTraces(const RecordHeader& header) {
  Section s = MakeSection(header, "A.T7P", [](int) { return std::string(kChannelHeaderChars, '0'); });
  const double distances[] = {2, 4, 6, 12};
  for (size_t i = 0; i < 4; ++i) {
    s.traces[i].channelNumber = static_cast<int32_t>(i + 1);
    s.traces[i].distanceM = distances[i];
  }
  return s;
}

SectionGeometry Laid(const SectionView& view, int width = 1000, int height = 400) {
  Frame frame;
  return LayoutSection(width, height, view.display(), view.range(), view.traceAxis(), frame);
}

TEST(SectionView, ZoomScrollAndTheScrollBars) {
  SectionView view;
  view.Show(FourTraces(Header(1001, 0, 10, 0)));  // 0 to 10 ms, 10 bar units a sample
  EXPECT_EQ(view.TimeBar().maximum, 0);
  view.ZoomTime(0.5, 0);
  EXPECT_DOUBLE_EQ(view.range().lastMs, 5);
  ScrollBar bar = view.TimeBar();
  EXPECT_EQ(bar.page, 5000);
  EXPECT_EQ(bar.maximum, 5000);
  EXPECT_EQ(bar.value, 0);
  view.ScrollBarsAt(bar.maximum, 0);  // at its end: the very end
  EXPECT_DOUBLE_EQ(view.range().lastMs, 10);
  // Reversed, the trace bar counts from the far end.
  DisplayOptions reversed;
  reversed.reverse = true;
  EXPECT_TRUE(view.SetDisplay(reversed));
  view.ZoomTraces(0.5, -0.5);  // the first half: at the bar's far end
  EXPECT_EQ(view.TraceBar().value, view.TraceBar().maximum);
  // The picture moved left by a quarter of its width: a quarter of the span later.
  view.ScrollBarsAt(0, 0);
  const SectionGeometry g = Laid(view);
  view.ScrollPixels(g, -g.width / 4, 0);
  EXPECT_NEAR(view.range().firstMs, 1.25, 0.01);
  // A box too small to be one, then a box from 2 to 3 ms over all traces.
  const SectionGeometry h = Laid(view);
  EXPECT_FALSE(view.ZoomToBox(h, 300, 100, 302, 200));
  const int x0 = static_cast<int>(h.TimeToPixel(2)), x1 = static_cast<int>(h.TimeToPixel(3));
  ASSERT_TRUE(view.ZoomToBox(h, x1, h.top + h.height + 50, x0, 0));  // cut to the area: the traces shown
  EXPECT_DOUBLE_EQ(view.range().firstMs, h.PixelToTime(x0));
  EXPECT_DOUBLE_EQ(view.range().lastMs, h.PixelToTime(x1));
  EXPECT_NEAR(view.range().lastPos - view.range().firstPos, 2, 0.02);

  // Records of the same layout keep the zoom; another shows all.
  const ViewRange zoomed = view.range();
  view.Show(FourTraces(Header(1001, 0, 10, 0)));
  EXPECT_EQ(view.range().firstMs, zoomed.firstMs);
  view.Show(FourTraces(Header(1001, 0, 20, 0)));
  EXPECT_EQ(view.range().lastMs, 20);
  // Spaced by distance: the trace axis anew, all of it shown.
  view.ZoomTraces(0.5);
  DisplayOptions byDistance;
  byDistance.byDistance = true;
  view.SetDisplay(byDistance);
  EXPECT_EQ(view.traceAxis().gap, 2);
  EXPECT_EQ(view.range().firstPos, 1);
  EXPECT_EQ(view.range().lastPos, 13);
}

TEST(SectionView, ReadoutAndMeasuringOnTheNearestSample) {
  const RecordHeader header = Header(1001, 16, 10, 0);
  SectionView view;
  view.Show(FourTraces(header));
  const SectionGeometry g = Laid(view);
  auto pixel = [&](int trace, double ms) {
    return std::make_pair(static_cast<int>(g.TimeToPixel(ms)), static_cast<int>(g.Baseline(trace)));
  };
  const auto [x, y] = pixel(1, 2.0);
  const std::optional<Probe> probe = view.ProbeAt(g, x, y);
  ASSERT_TRUE(probe.has_value());
  EXPECT_EQ(probe->trace, 1);
  EXPECT_EQ(probe->distanceM, 4);
  EXPECT_EQ(probe->sample, NearestSample(header, g.TimeUnder(x, y)));
  EXPECT_EQ(probe->ms, SampleTimeMs(header, probe->sample));
  EXPECT_LE(std::fabs(probe->ms - 2.0), g.PixelToTime(1) - g.PixelToTime(0));
  EXPECT_FALSE(view.ProbeAt(g, g.left - 1, y).has_value());

  const auto [x0, y0] = pixel(0, 1.0);
  const auto [x3, y3] = pixel(3, 3.0);
  view.MeasureAt(g, x0, y0);
  EXPECT_FALSE(view.Measured().has_value());
  view.MeasureAt(g, x3, y3);
  const std::optional<Measurement> m = view.Measured();
  ASSERT_TRUE(m.has_value());
  EXPECT_EQ(m->dtMs, SampleTimeMs(header, NearestSample(header, g.TimeUnder(x3, y3))) -
                         SampleTimeMs(header, NearestSample(header, g.TimeUnder(x0, y0))));
  EXPECT_EQ(m->dxM, 10);
  EXPECT_DOUBLE_EQ(*m->velocity, 10 / m->dtMs * 1000);
  view.MeasureAt(g, x0, y0);  // a third click: a new line
  EXPECT_EQ(view.measure().size(), 1u);
}

// A table that can't be read is never written over: saves need another
// file, and that one can't be the table itself.
TEST(SectionView, ThePicksTableAndItsOtherRows) {
  test::TempDir dir;
  const std::filesystem::path record = dir.path() / "A.T7P", table = dir.path() / "A.picks.csv";
  SectionView view;
  view.Show(FourTraces(Header(1001, 0, 10, 0)));
  view.ReadPicks(record);  // no table: none, saved beside the record
  EXPECT_EQ(view.picksTable(), table);

  test::WriteFile(table, "file,channel,distance_m,layer,sample,time_ms\r\nA.T7P,2,4,t0,5,0.04\r\nB.T7P,1,2,t0,9,0.08\r\n");
  view.ReadPicks(record);
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{0, 5, 0, 0}));
  EXPECT_EQ(view.section().firstBreaks, view.picks().picks());
  EXPECT_TRUE(view.SetPick(3, 0.1));
  const std::string channel(kChannelHeaderChars, '0');
  const std::vector<PickRow> rows = view.PickRows([&](int) -> const std::string& { return channel; }, "A.T7P");
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1].sample, 11);
  EXPECT_EQ(rows[2], (PickRow{"B.T7P", 1, 2, 0, 9, 0.08}));  // kept as it was

  test::WriteFile(table, "not a table");
  EXPECT_THROW(view.ReadPicks(record), Error);
  EXPECT_TRUE(view.picksTable().empty());
  EXPECT_EQ(view.unreadableTable(), table);
  EXPECT_FALSE(view.ChoosePicksTable(table));
  EXPECT_FALSE(view.ChoosePicksTable(dir.path() / "." / "A.picks.csv"));
  EXPECT_EQ(SparePicksFile(record), dir.path() / "A.picks-1.csv");
  test::WriteFile(dir.path() / "A.picks-1.csv", "");
  EXPECT_EQ(SparePicksFile(record), dir.path() / "A.picks-2.csv");
  EXPECT_TRUE(view.ChoosePicksTable(dir.path() / "A.picks-2.csv"));
  EXPECT_EQ(view.picksTable(), dir.path() / "A.picks-2.csv");
}

TEST(SectionView, ReflectionsFromAndIntoTheTableBesideFirstBreaks) {
  test::TempDir dir;
  const std::filesystem::path record = dir.path() / "A.T7P", table = dir.path() / "A.picks.csv";
  test::WriteFile(table,
                  "file,channel,distance_m,layer,sample,time_ms\r\nA.T7P,2,4,t0,5,0.04\r\nA.T7P,3,6,refl,40,0.39\r\n"
                  "A.T7P,1,2,t1,7,0.06\r\nB.T7P,1,2,refl,9,0.08\r\n");
  SectionView view;
  view.Show(FourTraces(Header(1001, 0, 10, 0)));
  view.ReadPicks(record);
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{0, 5, 0, 0}));
  EXPECT_EQ(view.picks().reflections(), (std::vector<int32_t>{0, 0, 40, 0}));
  EXPECT_EQ(view.section().reflections, view.picks().reflections());
  // Picking in the reflection mode leaves the first breaks alone.
  view.SetPickKind(PickKind::kReflection);
  EXPECT_TRUE(view.SetPick(1, 0.3));
  EXPECT_TRUE(view.RemovePick(2));
  EXPECT_FALSE(view.RemovePick(2));
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{0, 5, 0, 0}));
  EXPECT_EQ(view.picks().reflections(), (std::vector<int32_t>{0, 31, 0, 0}));
  EXPECT_EQ(view.section().reflections, view.picks().reflections());
  // The automatic picker's first breaks whatever the mode.
  EXPECT_TRUE(view.TakeAutomaticPicks({2, 2, 2, 2}, false));
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{2, 5, 2, 2}));
  EXPECT_EQ(view.picks().reflections(), (std::vector<int32_t>{0, 31, 0, 0}));
  EXPECT_TRUE(view.UndoPick());
  EXPECT_TRUE(view.ClearPicks());  // the mode's kind
  EXPECT_EQ(view.picks().picks(), (std::vector<int32_t>{0, 5, 0, 0}));
  EXPECT_TRUE(view.UndoPick());

  const std::string channel(kChannelHeaderChars, '0');
  const std::vector<PickRow> rows = view.PickRows([&](int) -> const std::string& { return channel; }, "A.T7P");
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].layer, 0);
  EXPECT_EQ(rows[0].sample, 5);
  EXPECT_EQ(rows[1].layer, kReflectionPick);
  EXPECT_EQ(rows[1].sample, 31);
  EXPECT_NEAR(rows[1].timeMs, 0.30, 1e-9);  // sample 31 at 10 us
  // Another layer and another file's reflection kept as they were.
  EXPECT_EQ(rows[2], (PickRow{"A.T7P", 1, 2, 1, 7, 0.06}));
  EXPECT_EQ(rows[3], (PickRow{"B.T7P", 1, 2, kReflectionPick, 9, 0.08}));
}

}  // namespace
}  // namespace view
}  // namespace gt7p
