// The viewer window's settings that outlive it and the picks it takes from
// the automatic picker: the display settings and the time window kept in
// the store, "恢复默认", a long record shown and picked in its first
// 30 ms, the question before picks are replaced, and the distance axis.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFontMetrics>
#include <QImage>
#include <QSettings>
#include <cmath>

#include "base/cp936.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/viewer.h"
#include "viewer/window/frm_view.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

class ViewerSettingsTest : public ::testing::Test {
 protected:
  ViewerSettingsTest() {
    PointStoreAt(QString::fromStdString(Utf8FromPath(dir_.path() / "settings")));
    QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("gt7p"), QStringLiteral("gt7p"))
        .remove(QStringLiteral("viewer"));
    // 12 channels of 65,535 samples 10 us apart (655 ms), 16 before the
    // trigger; the arrivals at 2 m/ms over 1 to 12 m, in the first 6 ms.
    sim::SurveyFile file = sim::DemoSurveyFiles()[1];
    file.channels = 12;
    file.samples = 65535;
    file.preTrigger = 16;
    file.intervalUs = 10;
    file.stepM = 1;
    file.velocity = 2;
    test::WriteFile(Path("LONG.T7P"), sim::MakeRawFile(file));
    test::WriteFile(Path("ZS0002.T7P"), sim::MakeRawFile(sim::DemoSurveyFiles()[1]));
  }
  fs::path Path(const char* name) { return dir_.path() / name; }

  test::TempDir dir_;
};

TEST_F(ViewerSettingsTest, DisplaySettingsAndTheWindowGoToTheNextWindowAndBackToTheDefaults) {
  {
    TfrmView view;
    view.show();
    ASSERT_TRUE(view.OpenFile(Path("ZS0002.T7P")));
    view.cboMode->setCurrentIndex(static_cast<int>(view::TraceMode::kDensityGrey));
    view.StepGain(3);
    view.chkNormaliseClick(false);
    view.spnClip->setValue(2.5);
    view::Processing p;
    p.removeDc = true;
    p.agcMs = 0.25;
    p.lowCutHz = 1000;
    p.highCutHz = 8000;
    view.SetProcessing(p);
    view.SetTimeWindow({0, 3});
    view.actTimeDown->trigger();
    view.close();
  }
  TfrmView next;
  EXPECT_EQ(next.display().mode, view::TraceMode::kDensityGrey);
  EXPECT_EQ(next.cboMode->currentIndex(), static_cast<int>(view::TraceMode::kDensityGrey));
  EXPECT_DOUBLE_EQ(next.display().gainDb, 9);
  EXPECT_DOUBLE_EQ(next.spnGain->value(), 9);
  EXPECT_FALSE(next.display().normalise);
  EXPECT_DOUBLE_EQ(next.display().clip, 2.5);
  EXPECT_FALSE(next.display().timeDown);  // the layout is not among them
  EXPECT_TRUE(next.processing().removeDc);
  EXPECT_DOUBLE_EQ(next.processing().agcMs, 0.25);
  EXPECT_TRUE(next.chkAgc->isChecked());
  EXPECT_DOUBLE_EQ(next.processing().lowCutHz, 1000);
  EXPECT_TRUE(next.chkBandPass->isChecked());
  EXPECT_TRUE(next.chkWindow->isChecked());
  EXPECT_DOUBLE_EQ(next.spnWindowTo->value(), 3);
  ASSERT_TRUE(next.OpenFile(Path("ZS0002.T7P")));
  EXPECT_TRUE(next.processed());
  EXPECT_DOUBLE_EQ(next.range().lastMs, 3);
  next.actRestoreDefaults->trigger();
  const view::DisplayOptions defaults;
  EXPECT_EQ(next.display().mode, defaults.mode);
  EXPECT_DOUBLE_EQ(next.display().gainDb, defaults.gainDb);
  EXPECT_EQ(next.display().normalise, defaults.normalise);
  EXPECT_DOUBLE_EQ(next.display().clip, defaults.clip);
  EXPECT_FALSE(next.processing().Active());
  EXPECT_FALSE(next.processed());
  EXPECT_FALSE(next.chkAgc->isChecked() || next.chkBandPass->isChecked() || next.chkDc->isChecked());
  EXPECT_FALSE(next.chkWindow->isChecked());
  EXPECT_DOUBLE_EQ(next.range().lastMs, next.section().lastMs);  // all of the record again
}

TEST_F(ViewerSettingsTest, ALongRecordShownAndPickedInItsWindowAndEachRunUndone) {
  TfrmView view;
  view.resize(1200, 700);
  view.show();
  ASSERT_TRUE(view.OpenFile(Path("LONG.T7P")));
  EXPECT_GT(view.range().lastMs, 650);
  EXPECT_FALSE(view.chkWindow->isChecked());
  // The boxes offer the record's span; the window set in them.
  EXPECT_GT(view.spnWindowTo->value(), 650);
  view.spnWindowFrom->setValue(0);
  view.spnWindowTo->setValue(30);
  view.chkWindow->setChecked(true);
  EXPECT_DOUBLE_EQ(view.range().firstMs, 0);
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);
  view.ZoomTime(4);  // no further out than the window
  EXPECT_DOUBLE_EQ(view.range().lastMs, 30);

  // The picker in that window: near the instrument's t0 on the live traces.
  int asked = 0;
  view.autoPickQuestionHook = [&] { return ++asked, TfrmView::AutoPickChoice::kCancel; };
  view.AutoPick();
  EXPECT_EQ(asked, 0);  // no picks yet: nothing to ask
  const std::vector<int32_t> proposed = view.firstBreaks();
  int near = 0;
  for (size_t i = 0; i < proposed.size(); ++i) {
    EXPECT_LE(proposed[i], 16 + 3001) << i;  // never beyond the window
    near += std::abs(proposed[i] - view.section().traces[i].picks[0]) <= 4;
  }
  EXPECT_GE(near, 10);

  // With picks there: asked first. Cancelled, nothing changes; only the
  // empty traces filled, the operator's own pick stays; all replaced, it
  // goes. Each run is one step back (撤销, Ctrl+Z) and forth (重做, Ctrl+Y).
  view.ClearPicks();
  view.section();
  const view::SectionGeometry& g = view.sectionGeometry();
  view.SetFirstBreakAt(static_cast<int>(g.TimeToPixel(20)), static_cast<int>(std::lround(g.Baseline(3))));
  const int32_t mine = view.firstBreaks()[3];
  ASSERT_NE(mine, 0);
  ASSERT_GT(std::abs(mine - proposed[3]), 100);
  view.AutoPick();
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(view.firstBreaks()[0], 0);
  view.autoPickQuestionHook = [&] { return ++asked, TfrmView::AutoPickChoice::kFillEmpty; };
  view.AutoPick();
  std::vector<int32_t> filled = proposed;
  filled[3] = mine;
  EXPECT_EQ(view.firstBreaks(), filled);
  view.autoPickQuestionHook = [&] { return ++asked, TfrmView::AutoPickChoice::kReplaceAll; };
  view.AutoPick();
  EXPECT_EQ(asked, 3);
  EXPECT_EQ(view.firstBreaks(), proposed);
  view.actUndo->trigger();
  EXPECT_EQ(view.firstBreaks(), filled);
  view.actUndo->trigger();
  EXPECT_EQ(view.firstBreaks()[3], mine);
  EXPECT_EQ(view.firstBreaks()[0], 0);
  view.actRedo->trigger();
  EXPECT_EQ(view.firstBreaks(), filled);
  view.actRedo->trigger();
  EXPECT_EQ(view.firstBreaks(), proposed);
}

// Traces spaced by distance get an axis in metres beside them, the same
// in the window and in pictures; evenly spaced ones none.
TEST_F(ViewerSettingsTest, TracesSpacedByDistanceGetADistanceAxis) {
  TfrmView view;
  view.resize(1000, 600);
  view.show();
  ASSERT_TRUE(view.OpenFile(Path("ZS0002.T7P")));
  view.section();
  const view::SectionGeometry even = view.sectionGeometry();
  view.actByDistance->trigger();
  ASSERT_TRUE(view.display().byDistance);
  view.section();
  const view::SectionGeometry spaced = view.sectionGeometry();
  EXPECT_LT(spaced.width, even.width);  // room on the right for the axis
  const QImage image = view.pnlSection->grab().toImage().convertToFormat(QImage::Format_RGB32);
  // Dark text and ticks in the band right of the traces' area.
  const int band = even.left + even.width - (spaced.left + spaced.width);
  int dark = 0;
  for (int x = spaced.left + spaced.width + 2; x < spaced.left + spaced.width + band && x < image.width(); ++x)
    for (int y = spaced.top; y < spaced.top + spaced.height && y < image.height(); ++y)
      dark += qGray(image.pixel(x, y)) < 100;
  EXPECT_GT(dark, 40);
  // Time downwards: below the area.
  view.actTimeDown->trigger();
  view.section();
  const view::SectionGeometry down = view.sectionGeometry();
  EXPECT_LT(down.top + down.height, view.pnlSection->height() - 2 * QFontMetrics(view::SectionFont(view::kFontPixels)).lineSpacing());
}

}  // namespace
}  // namespace gt7p
