// The viewer window on real widgets (offscreen): opening, gain, zoom and
// scroll, the readout and the measuring line, the display modes, display
// processing that leaves the record alone, picking, stepping through a
// folder, pictures and prints, files it must refuse or survive, and a
// window that fits its screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include <cmath>
#include <cstring>
#include <limits>

#include "base/cp936.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/comma_locale.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "tests/viewer/section_pixel.h"
#include "viewer/window/frm_view.h"
#include "viewer/record_files.h"
#include "viewer/section_painter.h"
#include "viewer/window/side_panels.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

// The window's place goes to a folder of the test's own (the registry of
// Wine's throwaway prefix on Windows).
void KeepSettingsIn(const fs::path& folder) {
  PointStoreAt(QString::fromStdString(Utf8FromPath(folder / "settings")));
  QSettings(QSettings::defaultFormat(), QSettings::UserScope, QStringLiteral("gt7p"), QStringLiteral("gt7p"))
      .remove(QStringLiteral("viewer"));
}

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SurveyFile file = sim::DemoSurveyFiles()[1];  // 24 channels, 16 pre-trigger samples, t0 set
    test::WriteFile(Path("ZS0002.T7P"), sim::MakeRawFile(file));
    view_.errorBoxHook = [this](const std::string& m) { errors_.push_back(Cp936ToUtf8(m)); };
    view_.resize(1200, 700);
    view_.show();
    QApplication::processEvents();
  }
  fs::path Path(const char* name) { return dir_.path() / name; }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QKeyEvent press(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(view_.pnlSection, &press);
  }
  void Wheel(int delta, Qt::KeyboardModifiers mods = Qt::NoModifier, QPointF at = QPointF(100, 100)) {
    QWheelEvent wheel(at, view_.pnlSection->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view_.pnlSection, &wheel);
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, at, view_.pnlSection->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(view_.pnlSection, &event);
  }
  // The pixel of trace i that holds the time `ms`: the time axis maps the
  // view's span linearly onto the area's pixels.
  QPoint At(int trace, double ms) {
    return test::SectionPixel(view_, trace, ms);
  }
  // The time at the centre of a pixel, and a pixel's span of time.
  double PixelMs(QPoint p) {
    const view::SectionGeometry& g = view_.sectionGeometry();
    const double along = g.timeDown ? p.y() + 0.5 - g.top : p.x() + 0.5 - g.left;
    return g.range.firstMs + along / (g.timeDown ? g.height : g.width) * (g.range.lastMs - g.range.firstMs);
  }
  double PixelSpanMs() {
    const view::SectionGeometry& g = view_.sectionGeometry();
    return (g.range.lastMs - g.range.firstMs) / (g.timeDown ? g.height : g.width);
  }
  // Whether sample index k is a sample nearest the time under the pixel:
  // within half an interval of it. Either of two samples equally near
  // passes, so the check holds whichever way a layout's rounding falls.
  ::testing::AssertionResult NearestUnder(int64_t k, QPoint p) {
    const SampleTimes times = RecordSampleTimes(view_.record().header);
    const double off = std::fabs(times.AtMs(k) - PixelMs(p)), half = times.intervalCentiUs / 2e5;
    if (off <= half + 1e-9) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sample index " << k << " at " << times.AtMs(k) << " ms lies " << off
                                         << " ms from the pixel's " << PixelMs(p) << " ms (half an interval "
                                         << half << ")";
  }
  QImage Grab() { return view_.pnlSection->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  test::TempDir dir_;
  // The store in the test's folder before the window reads it.
  struct StoreIn {
    explicit StoreIn(const fs::path& folder) { KeepSettingsIn(folder); }
  } store_{dir_.path()};
  TfrmView view_;
  std::vector<std::string> errors_;
};

// Pixels of the traces' area darker than `grey`.
int DarkPixels(const QImage& image, const view::SectionGeometry& g, int grey = 100) {
  int dark = 0;
  for (int x = g.left; x < g.left + g.width; x += 2)
    for (int y = g.top; y < g.top + g.height; y += 2) dark += qGray(image.pixel(x, y)) < grey;
  return dark;
}

TEST_F(ViewerTest, OpensARecordAndDrawsIt) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(view_.windowTitle().toStdString(), "查看波形 - ZS0002.T7P");
  const view::Section& section = view_.section();
  ASSERT_EQ(section.traces.size(), 24u);
  EXPECT_EQ(section.traces[4].channelNumber, 5);
  EXPECT_GT(section.traces[0].picks[0], 0);
  // Decimated to the section's width, which the canvas's size decides.
  EXPECT_EQ(section.traces[0].columns.size(), static_cast<size_t>(view_.sectionGeometry().width));
  EXPECT_LT(view_.sectionGeometry().left + view_.sectionGeometry().width, view_.pnlSection->width());
  EXPECT_DOUBLE_EQ(section.firstMs, -0.16);
  EXPECT_GT(DarkPixels(Grab(), view_.sectionGeometry()), 100);
  EXPECT_GT(view_.tblHeader->rowCount(), 50);  // the file header's fields beside it
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ViewerTest, GainByWheelKeysButtonsAndTheBox) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 0);
  Wheel(240);
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 6);
  Wheel(60);  // half a notch: nothing yet
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 6);
  Wheel(60);
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 9);
  for (int i = 0; i < 3; ++i) Key(Qt::Key_Minus);
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 0);
  view_.btnGainUp->click();
  EXPECT_DOUBLE_EQ(view_.spnGain->value(), 3);
  view_.spnGain->setValue(-12);
  EXPECT_DOUBLE_EQ(view_.display().gainDb, -12);
  EXPECT_EQ(view_.btnGainDown->text(), "-");  // a sign every font has

  // A value typed into a box and Return: applied, and the keys go back to
  // the section, where "+" raises the gain instead of going into the box.
  QApplication::setActiveWindow(&view_);
  for (QDoubleSpinBox* box : {view_.spnGain, view_.spnClip}) {
    box->setFocus();
    QApplication::processEvents();
    ASSERT_TRUE(box->hasFocus());
    box->selectAll();
    for (int key : {int(Qt::Key_6), int(Qt::Key_Return)}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, key == Qt::Key_6 ? QStringLiteral("6") : QString());
      QApplication::sendEvent(box, &press);
    }
    QApplication::processEvents();
    EXPECT_EQ(view_.focusWidget(), view_.pnlSection);
  }
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 6);
  EXPECT_DOUBLE_EQ(view_.display().clip, 6);
  QKeyEvent plus(QEvent::KeyPress, Qt::Key_Plus, Qt::NoModifier, QStringLiteral("+"));
  QApplication::sendEvent(view_.focusWidget(), &plus);
  EXPECT_DOUBLE_EQ(view_.display().gainDb, 9);
  view_.spnClip->setValue(1);
  view_.spnGain->setValue(-12);

  EXPECT_TRUE(view_.display().normalise);
  Key(Qt::Key_N);
  EXPECT_FALSE(view_.display().normalise);
  EXPECT_FALSE(view_.chkNormalise->isChecked());
  view_.chkNormalise->click();
  EXPECT_TRUE(view_.display().normalise);
}

TEST_F(ViewerTest, AClickMarksATraceShowsItsHeaderAndSpectrumInReadableFonts) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  const int fields = view_.tblHeader->rowCount();
  const int fontPixels = view_.tblHeader->font().pixelSize();
  const QString firstField = view_.tblHeader->item(0, 0)->text();
  EXPECT_GE(fontPixels, 12);
  view_.MarkTraceAt(At(6, 2).x(), At(6, 2).y());
  EXPECT_EQ(view_.markedTrace(), 6);
  // Its channel header at the top, in sight, then a blank and the file's fields.
  ASSERT_EQ(view_.tblHeader->rowCount(), fields + 2 + 16);
  EXPECT_EQ(view_.tblHeader->item(0, 0)->text().trimmed().toStdString(), "第7道");
  EXPECT_EQ(view_.tblHeader->item(3, 1)->text().toStdString(), "7（1-100）");  // 道号
  EXPECT_TRUE(view_.tblHeader->item(17, 0)->text().isEmpty());
  EXPECT_EQ(view_.tblHeader->item(18, 0)->text(), firstField);
  EXPECT_EQ(view_.tblHeader->verticalScrollBar()->value(), 0);
  EXPECT_EQ(view_.tblHeader->font().pixelSize(), fontPixels);  // no smaller for more lines
  EXPECT_FALSE(view_.pnlSpectrum->recorded().empty());
  view_.MarkTraceAt(At(6, 2).x(), At(6, 2).y());  // again: unmarked
  EXPECT_EQ(view_.markedTrace(), -1);
  EXPECT_EQ(view_.tblHeader->rowCount(), fields);
  EXPECT_TRUE(view_.pnlSpectrum->recorded().empty());
  view_.MarkTraceAt(2, At(3, 2).y());  // on the labels: nothing
  EXPECT_EQ(view_.markedTrace(), -1);
}

TEST_F(ViewerTest, ZoomByWheelBoxAndKeysAndScroll) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  const view::ViewRange all = view_.range();
  // Ctrl and the wheel: the time under the cursor stays under it.
  const QPoint at = At(5, 3.0);
  Wheel(120, Qt::ControlModifier, at);
  EXPECT_LT(view_.range().lastMs - view_.range().firstMs, 0.9 * (all.lastMs - all.firstMs));
  view_.section();
  EXPECT_NEAR(view_.sectionGeometry().TimeAt(at.x(), at.y()), 3.0, 0.02);
  EXPECT_EQ(view_.range().firstPos, all.firstPos);  // the traces stay
  // The columns cover only the visible span: the first sample of the view
  // sits at the left edge.
  EXPECT_EQ(view_.section().traces[0].columns.size(), static_cast<size_t>(view_.sectionGeometry().width));

  Key(Qt::Key_0, Qt::ControlModifier);
  EXPECT_EQ(view_.range().firstMs, all.firstMs);
  EXPECT_EQ(view_.range().lastMs, all.lastMs);

  // A dragged box: times 1 to 2 ms, traces 3 to 6, to a pixel.
  const QPoint a = At(3, 1.0), b = At(6, 2.0);
  const double pixelMs = (all.lastMs - all.firstMs) / view_.sectionGeometry().TimePixels();
  Mouse(QEvent::MouseButtonPress, a);
  QMouseEvent move(QEvent::MouseMove, b, view_.pnlSection->mapToGlobal(b), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(view_.pnlSection, &move);
  Mouse(QEvent::MouseButtonRelease, b);
  EXPECT_NEAR(view_.range().firstMs, 1.0, pixelMs);
  EXPECT_NEAR(view_.range().lastMs, 2.0, pixelMs);
  EXPECT_NEAR(view_.range().firstPos, 3, 0.1);
  EXPECT_NEAR(view_.range().lastPos, 6, 0.1);
  EXPECT_EQ(view_.markedTrace(), -1);  // a drag marks nothing
  // The scroll bars show the part: moving one moves the view.
  EXPECT_GT(view_.sbHorizontal->maximum(), 0);
  EXPECT_GT(view_.sbVertical->maximum(), 0);
  const double span = view_.range().lastMs - view_.range().firstMs;
  view_.sbHorizontal->setValue(view_.sbHorizontal->maximum());
  EXPECT_NEAR(view_.range().lastMs, all.lastMs, 1e-9);
  EXPECT_NEAR(view_.range().lastMs - view_.range().firstMs, span, 1e-9);
  Key(Qt::Key_Left);  // keys move too
  EXPECT_LT(view_.range().lastMs, all.lastMs);
  EXPECT_LT(view_.sbHorizontal->value(), view_.sbHorizontal->maximum());
  // Ctrl+- and Ctrl+= zoom time out and in; Ctrl+] the traces.
  const double before = view_.range().lastMs - view_.range().firstMs;
  view_.actZoomOut->trigger();
  EXPECT_NEAR(view_.range().lastMs - view_.range().firstMs, 2 * before, 1e-9);
  view_.actZoomIn->trigger();
  EXPECT_NEAR(view_.range().lastMs - view_.range().firstMs, before, 1e-9);
  view_.ResetZoom();
  view_.ZoomTraces(0.5);
  EXPECT_NEAR(view_.range().lastPos - view_.range().firstPos, 12, 1e-9);
  view_.ZoomTime(1e-6);  // no closer than 8 samples
  EXPECT_NEAR(view_.range().lastMs - view_.range().firstMs, 0.08, 1e-9);
}

// The readout names the sample nearest the time under the cursor, for any
// font (which moves the section's margins) and any window size.
TEST_F(ViewerTest, ReadoutAndMeasuringLine) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  const Record& record = view_.record();
  const SampleTimes times = RecordSampleTimes(record.header);  // 16 pre-trigger samples at 10 us
  for (const QSize& size : {QSize(1200, 700), QSize(1033, 651), QSize(1377, 777)})
    for (double zoom : {1.0, 0.05}) {
      view_.resize(size);
      QApplication::processEvents();
      view_.ResetZoom();
      view_.ZoomTime(zoom, 2.0);
      SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()) + " zoom " + std::to_string(zoom));
      // The pixel of 2.000 ms, and the sample the readout names there.
      const QPoint p = At(9, 2.0);
      const std::string text = view_.ReadoutAt(p.x(), p.y()).toStdString();
      const size_t at = text.find("采样点 ");
      ASSERT_NE(at, std::string::npos) << text;
      const int64_t k = std::stoll(text.substr(at + std::strlen("采样点 "))) - 1;
      EXPECT_TRUE(NearestUnder(k, p)) << text;
      EXPECT_LE(std::fabs(times.AtMs(k) - 2.0), std::max(PixelSpanMs(), 0.01)) << text;
      const float value = record.channels[9].samples[static_cast<size_t>(k)];
      EXPECT_NE(text.find("时间 " + view::FixedText(times.AtMs(k), 3) + " ms  采样点 " + std::to_string(k + 1)),
                std::string::npos) << text;
      EXPECT_NE(text.find("幅值 " + QString::number(double(value), 'g', 7).toStdString() + "  道号 10  距离 10.00 m"),
                std::string::npos) << text;
    }
  EXPECT_TRUE(view_.ReadoutAt(2, 2).isEmpty());  // outside the traces

  // The measuring tool: trace 2 near 1 ms to trace 12 near 3 ms, each on
  // its nearest sample (either of two equally near), 10 m apart.
  view_.ResetZoom();
  view_.actToolMeasure->trigger();
  const QPoint from = At(1, 1.0), to = At(11, 3.0);
  for (const QPoint& q : {from, to}) {
    Mouse(QEvent::MouseButtonPress, q);
    Mouse(QEvent::MouseButtonRelease, q);
  }
  const std::string measure = view_.lblMeasure->text().toStdString();
  std::vector<int64_t> nearFrom, nearTo;
  for (int64_t k = 0; k < record.header.sampleCount; ++k) {
    if (NearestUnder(k, from)) nearFrom.push_back(k);
    if (NearestUnder(k, to)) nearTo.push_back(k);
  }
  double dt = 0;
  int pairs = 0;
  for (int64_t a : nearFrom)
    for (int64_t b : nearTo)
      if (measure.find("Δt " + view::FixedText(times.AtMs(b) - times.AtMs(a), 3) + " ms") != std::string::npos)
        dt = times.AtMs(b) - times.AtMs(a), ++pairs;
  ASSERT_GE(pairs, 1) << measure;
  EXPECT_NEAR(dt, 2, PixelSpanMs() + 0.01);  // a pixel and an interval
  EXPECT_NE(measure.find("Δx 10.00 m"), std::string::npos) << measure;
  EXPECT_NE(measure.find("视速度 " + view::FixedText(10 / dt * 1000, 0) + " m/s"), std::string::npos) << measure;
  EXPECT_EQ(view_.markedTrace(), -1);

  // Zoomed and scrolled so that the line runs out of the view: it stops at
  // the traces' area, off the labels, the axis and the title.
  auto lineOutside = [this] {
    const QImage image = Grab();
    const view::SectionGeometry& g = view_.sectionGeometry();
    const QRect area(g.left, g.top, g.width + 1, g.height + 1);
    int outside = 0, inside = 0;
    for (int x = 0; x < image.width(); ++x)
      for (int y = 0; y < image.height(); ++y) {
        const QColor c = image.pixelColor(x, y);
        if (c.red() > 150 && c.green() < 80 && c.blue() > 70 && c.blue() < 170) ++(area.contains(x, y) ? inside : outside);
      }
    EXPECT_GT(inside, 20);
    return outside;
  };
  EXPECT_EQ(lineOutside(), 0);
  view_.ZoomTime(0.2, 2.0);
  view_.ZoomTraces(0.3, 6);
  EXPECT_EQ(lineOutside(), 0);
  view_.ScrollPixels(-300, 0);
  EXPECT_EQ(lineOutside(), 0);
}

TEST_F(ViewerTest, DisplayModesOrientationSpacingAndPolarity) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  auto colours = [this](bool& red, bool& blue, bool& grey) {
    const QImage image = Grab();
    const view::SectionGeometry& g = view_.sectionGeometry();
    red = blue = grey = false;
    for (int x = g.left + 1; x < g.left + g.width; x += 2)
      for (int y = g.top + 1; y < g.top + g.height; y += 2) {
        const QColor c = image.pixelColor(x, y);
        red |= c.red() > 200 && c.green() < 60 && c.blue() < 60;
        blue |= c.blue() > 200 && c.red() < 60 && c.green() < 60;
        grey |= c.red() == c.green() && c.green() == c.blue() && c.red() > 90 && c.red() < 160;
      }
  };
  std::vector<QImage> pictures;
  for (int mode = 0; mode < 5; ++mode) {
    view_.cboMode->setCurrentIndex(mode);
    EXPECT_EQ(static_cast<int>(view_.display().mode), mode);
    pictures.push_back(Grab());
  }
  for (size_t i = 0; i < pictures.size(); ++i)
    for (size_t j = i + 1; j < pictures.size(); ++j) EXPECT_NE(pictures[i], pictures[j]) << i << " " << j;
  bool red = false, blue = false, grey = false;
  colours(red, blue, grey);  // red-white-blue
  EXPECT_TRUE(red && blue);
  view_.cboMode->setCurrentIndex(3);
  colours(red, blue, grey);
  EXPECT_TRUE(grey && !blue);

  // Time downwards: the columns run down the height; reversed, channel 1 at the far end.
  view_.actTimeDown->trigger();
  view_.section();
  EXPECT_TRUE(view_.sectionGeometry().timeDown);
  EXPECT_EQ(view_.section().traces[0].columns.size(), static_cast<size_t>(view_.sectionGeometry().height));
  EXPECT_LT(view_.sectionGeometry().Baseline(0), view_.sectionGeometry().Baseline(23));
  view_.actReverse->trigger();
  view_.section();
  EXPECT_GT(view_.sectionGeometry().Baseline(0), view_.sectionGeometry().Baseline(23));
  // Spaced by distance (1 m apart here): the same order, the gap of one metre.
  view_.actByDistance->trigger();
  view_.section();
  EXPECT_DOUBLE_EQ(view_.sectionGeometry().positions[4], 5);
  EXPECT_DOUBLE_EQ(view_.sectionGeometry().gap, 1);
  const QImage before = Grab();
  view_.actFlip->trigger();
  EXPECT_TRUE(view_.display().flipPolarity);
  EXPECT_NE(Grab(), before);
}

TEST_F(ViewerTest, ProcessingIsForTheDisplayOnly) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  const std::vector<float> samples = view_.record().channels[3].samples;
  const QImage plain = Grab();
  view_.chkBandPass->setChecked(true);  // the record's own corners: 500 Hz to 12.5 kHz
  EXPECT_GT(view_.processing().lowCutHz, 0);
  const QImage filtered = Grab();
  view_.chkAgc->setChecked(true);
  view_.chkDc->setChecked(true);
  EXPECT_TRUE(view_.processing().removeDc);
  EXPECT_GT(view_.processing().agcMs, 0);
  EXPECT_NE(Grab(), filtered);
  EXPECT_NE(filtered, plain);
  EXPECT_EQ(view_.record().channels[3].samples, samples);  // never changed
  view_.SetProcessing(view::Processing());
  EXPECT_FALSE(view_.chkBandPass->isChecked() || view_.chkAgc->isChecked() || view_.chkDc->isChecked());
  EXPECT_EQ(Grab(), plain);
}

// Picks are set, moved and deleted on the sample nearest the cursor, and
// proposed by the picker; each edit (a drag as one) is undone by Ctrl+Z
// and redone by Ctrl+Y or Ctrl+Shift+Z.
TEST_F(ViewerTest, PicksAreSetMovedDeletedProposedAndUndone) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  const std::array<int32_t, 6> instrument = view_.section().traces[4].picks;
  view_.actToolPick->trigger();
  // A click on trace 5 at 1.5 ms: near sample index 166, number 167.
  const QPoint click = At(4, 1.5);
  Mouse(QEvent::MouseButtonPress, click);
  Mouse(QEvent::MouseButtonRelease, click);
  const int32_t set = view_.firstBreaks()[4];
  EXPECT_NEAR(set, 167, 2);
  EXPECT_TRUE(NearestUnder(set - 1, click));
  // Dragged along the trace: moved, even where the cursor strays off it.
  Mouse(QEvent::MouseButtonPress, click);
  const QPoint off = At(6, 2.0);
  for (const QPoint& to : {At(6, 1.8), off}) {
    QMouseEvent move(QEvent::MouseMove, to, view_.pnlSection->mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view_.pnlSection, &move);
  }
  Mouse(QEvent::MouseButtonRelease, off);
  const int32_t moved = view_.firstBreaks()[4];
  EXPECT_TRUE(NearestUnder(moved - 1, off));
  EXPECT_EQ(view_.firstBreaks()[6], 0);
  Mouse(QEvent::MouseButtonPress, At(4, 3.0), Qt::RightButton);
  EXPECT_EQ(view_.firstBreaks()[4], 0);
  EXPECT_EQ(view_.section().traces[4].picks, instrument);  // the instrument's own stay

  // The picker proposes a first break on every live trace near the
  // arrival the simulator made (t0 marks it to an interval or two).
  view_.AutoPick();
  const std::vector<int32_t> proposed = view_.firstBreaks();
  int near = 0;
  for (size_t i = 0; i < 16; ++i) near += std::abs(proposed[i] - view_.section().traces[i].picks[0]) <= 4;
  EXPECT_GE(near, 14);
  EXPECT_EQ(view_.section().traces[4].picks, instrument);
  view_.ClearPicks();
  EXPECT_EQ(view_.firstBreaks(), std::vector<int32_t>(24, 0));

  // Back through every step, and forth again.
  EXPECT_EQ(view_.actUndo->text().toStdString(), "撤销");
  EXPECT_EQ(view_.actRedo->text().toStdString(), "重做");
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(view_.firstBreaks(), proposed);
  Key(Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(view_.firstBreaks(), std::vector<int32_t>(24, 0));  // before the picker
  for (int32_t before : {moved, set, 0}) {
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(view_.firstBreaks()[4], before);
  }
  EXPECT_FALSE(view_.picksChanged());  // as read
  EXPECT_FALSE(view_.actUndo->isEnabled());
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(view_.firstBreaks()[4], set);
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(view_.firstBreaks()[4], moved);
  EXPECT_TRUE(view_.picksChanged());
  // The travel-time curve follows.
  EXPECT_FALSE(view_.pnlTravelTime->line().has_value());  // one point
  view_.actRedo->trigger();
  view_.actRedo->trigger();
  EXPECT_TRUE(view_.pnlTravelTime->line().has_value());
}

// The travel-time panel draws every point whole: those at the first and the
// last distance, on the box's edges, as much as one in the middle.
TEST(TravelTimePanel, PointsOnTheEdgesAreDrawnWhole) {
  TTravelTimePanel panel;
  panel.resize(300, 240);
  panel.SetPoints({{0, 5}, {10, 5}, {20, 5}}, {});
  const QImage image = panel.grab().toImage().convertToFormat(QImage::Format_RGB32);
  // The yellow of the points in the left, middle and right thirds.
  int yellow[3] = {};
  for (int x = 0; x < image.width(); ++x)
    for (int y = 0; y < image.height(); ++y) {
      const QColor c = image.pixelColor(x, y);
      if (c.red() > 200 && c.green() > 150 && c.green() < 230 && c.blue() < 80) ++yellow[x * 3 / image.width()];
    }
  EXPECT_GT(yellow[1], 10);
  EXPECT_GE(yellow[0], yellow[1] * 0.8) << yellow[0] << " against " << yellow[1];
  EXPECT_GE(yellow[2], yellow[1] * 0.8) << yellow[2] << " against " << yellow[1];
}

// The operator's picks go beside the record as the picks table, come back
// when it is opened again, and leave the record itself as it was.
TEST_F(ViewerTest, PicksRoundTripThroughTheTableBesideTheRecord) {
  const std::string bytes = test::ReadFile(Path("ZS0002.T7P"));
  // A table that already holds rows of another layer and another record.
  std::vector<PickRow> planted = {{"OTHER.T7P", 3, 3, 0, 50, 0.34}, {"ZS0002.T7P", 2, 2, 1, 400, 3.84}};
  WritePicksTable(Path("ZS0002.picks.csv"), planted);
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(view_.firstBreaks(), std::vector<int32_t>(24, 0));
  view_.actToolPick->trigger();
  for (int trace : {0, 5, 23}) {
    Mouse(QEvent::MouseButtonPress, At(trace, 0.5 + 0.1 * trace));
    Mouse(QEvent::MouseButtonRelease, At(trace, 0.5 + 0.1 * trace));
  }
  const std::vector<int32_t> picks = view_.firstBreaks();
  EXPECT_TRUE(view_.picksChanged());
  ASSERT_TRUE(view_.SavePicks());
  EXPECT_FALSE(view_.picksChanged());

  const std::vector<PickRow> rows = ReadPicksTable(Path("ZS0002.picks.csv"));
  ASSERT_EQ(rows.size(), 5u);
  EXPECT_EQ(rows[0].file, "ZS0002.T7P");
  EXPECT_EQ(rows[1].channel, 6);
  EXPECT_EQ(rows[1].layer, 0);
  EXPECT_EQ(rows[1].sample, picks[5]);
  EXPECT_DOUBLE_EQ(rows[1].distanceM, 6);
  EXPECT_DOUBLE_EQ(rows[1].timeMs, *view::PickTimeMs(view_.record().header, picks[5]));
  EXPECT_EQ(rows[2].channel, 24);
  EXPECT_EQ(rows[3], planted[0]);  // other rows kept as they were
  EXPECT_EQ(rows[4], planted[1]);
  EXPECT_EQ(test::ReadFile(Path("ZS0002.T7P")), bytes);  // the record itself untouched

  // The travel-time panel has them, and the line through them.
  ASSERT_TRUE(view_.pnlTravelTime->line().has_value());

  TfrmView again;
  again.errorBoxHook = view_.errorBoxHook;
  ASSERT_TRUE(again.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(again.firstBreaks(), picks);
  EXPECT_FALSE(again.picksChanged());
  EXPECT_EQ(again.section().traces[4].picks, view_.section().traces[4].picks);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ViewerTest, ChangedPicksAreOfferedForSavingBeforeLeaving) {
  fs::copy_file(Path("ZS0002.T7P"), Path("ZS0003.T7P"));
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  view_.actToolPick->trigger();
  Mouse(QEvent::MouseButtonPress, At(2, 1.0));
  Mouse(QEvent::MouseButtonRelease, At(2, 1.0));
  int asked = 0, answer = QMessageBox::Cancel;
  view_.savePicksQuestionHook = [&] { return ++asked, answer; };
  EXPECT_FALSE(view_.OpenNeighbour(1));  // cancelled: the record and its picks stay
  EXPECT_EQ(view_.fileName(), Path("ZS0002.T7P"));
  EXPECT_NE(view_.firstBreaks()[2], 0);
  answer = QMessageBox::Save;
  EXPECT_TRUE(view_.OpenNeighbour(1));
  EXPECT_EQ(asked, 2);
  EXPECT_TRUE(fs::exists(Path("ZS0002.picks.csv")));
  EXPECT_EQ(view_.firstBreaks()[2], 0);  // the next record has none yet
  view_.AutoPick();
  answer = QMessageBox::Discard;
  EXPECT_TRUE(view_.OpenNeighbour(-1));
  EXPECT_FALSE(fs::exists(Path("ZS0003.picks.csv")));
  EXPECT_NE(view_.firstBreaks()[2], 0);  // read back
  EXPECT_EQ(asked, 3);
  // A table that is not one says so; the record still opens.
  test::WriteFile(Path("ZS0003.picks.csv"), "file,channel\r\nx,y\r\n");
  EXPECT_TRUE(view_.OpenFile(Path("ZS0003.T7P")));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_NE(errors_[0].find("拾取表格式不对"), std::string::npos) << errors_[0];
}

// A picks table the viewer could not read is never written over: a save
// says so and asks for another file, and the table stays as it was.
TEST_F(ViewerTest, APicksTableThatCouldNotBeReadIsNeverWrittenOver) {
  const std::string table =
      "file,channel,distance_m,layer,sample,time_ms\r\nOTHER.T7P,3,3,t0,50,0.34\r\n"
      "ZS0002.T7P,2,2,t1,400,3.84\r\nZS0002.T7P,4,4,t0,300,2.84\r\nZS0002.T7P,x,4,t0,300,2.84\r\n";
  test::WriteFile(Path("ZS0002.picks.csv"), table);
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(errors_, std::vector<std::string>{"拾取表格式不对（第5行）！"});
  view_.actToolPick->trigger();
  Mouse(QEvent::MouseButtonPress, At(1, 1.0));
  Mouse(QEvent::MouseButtonRelease, At(1, 1.0));
  std::vector<fs::path> asked;
  fs::path answer;
  view_.saveDialogHook = [&](TfrmView::SaveKind kind, const fs::path& suggested) {
    EXPECT_EQ(kind, TfrmView::SaveKind::kFirstBreaks);
    asked.push_back(suggested);
    return answer;
  };
  view_.actSavePicks->trigger();  // cancelled: nothing written, the picks still changed
  EXPECT_EQ(errors_.back(), "拾取表 ZS0002.picks.csv 无法读取，不能覆盖它，请另选文件保存初至。");
  EXPECT_TRUE(view_.picksChanged());
  answer = Path("ZS0002.picks.csv");  // the same table chosen: refused
  EXPECT_FALSE(view_.SavePicks());
  EXPECT_EQ(errors_.back(), "不能覆盖无法读取的拾取表！");
  answer = Path("mine.csv");
  EXPECT_TRUE(view_.SavePicks());
  EXPECT_FALSE(view_.picksChanged());
  EXPECT_EQ(asked, std::vector<fs::path>(3, Path("ZS0002.picks-1.csv")));
  ASSERT_EQ(ReadPicksTable(Path("mine.csv")).size(), 1u);
  EXPECT_EQ(ReadPicksTable(Path("mine.csv"))[0].channel, 2);
  // Later saves of this record go to the file chosen, without asking.
  view_.DeleteFirstBreakAt(At(1, 1.0).x(), At(1, 1.0).y());
  EXPECT_TRUE(view_.SavePicks());
  EXPECT_EQ(asked.size(), 3u);
  EXPECT_TRUE(ReadPicksTable(Path("mine.csv")).empty());
  EXPECT_EQ(test::ReadFile(Path("ZS0002.picks.csv")), table);
}

// A t0 row of this record beyond its samples is not drawn as a pick, and a
// save keeps it as it was.
TEST_F(ViewerTest, APickBeyondTheRecordIsKeptWhenSaving) {
  const PickRow beyond{"ZS0002.T7P", 4, 4, 0, 99999, 999.99};
  WritePicksTable(Path("ZS0002.picks.csv"), {beyond});
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(view_.firstBreaks(), std::vector<int32_t>(24, 0));
  view_.actToolPick->trigger();
  Mouse(QEvent::MouseButtonPress, At(1, 1.0));
  Mouse(QEvent::MouseButtonRelease, At(1, 1.0));
  ASSERT_TRUE(view_.SavePicks());
  const std::vector<PickRow> rows = ReadPicksTable(Path("ZS0002.picks.csv"));
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].channel, 2);
  EXPECT_EQ(rows[1], beyond);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ViewerTest, PageKeysStepThroughTheFolder) {
  test::WriteFile(Path("B.QFX"), "");
  fs::copy_file(Path("ZS0002.T7P"), Path("A1.t7p"));
  fs::copy_file(Path("ZS0002.T7P"), Path("C1.esp.T7P"));
  test::WriteFile(Path("notes.txt"), "x");
  ASSERT_TRUE(view_.OpenFile(Path("A1.t7p")));
  view_.actNext->trigger();  // B.QFX can't be read: it says so and stays
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(view_.fileName(), Path("A1.t7p"));
  fs::remove(Path("B.QFX"));
  view_.ZoomTime(0.5);
  const view::ViewRange zoomed = view_.range();
  Mouse(QEvent::MouseMove, At(3, (zoomed.firstMs + zoomed.lastMs) / 2), Qt::NoButton);
  EXPECT_FALSE(view_.lblReadout->text().isEmpty());
  Key(Qt::Key_PageDown);  // the readout of the record before goes
  EXPECT_TRUE(view_.lblReadout->text().isEmpty());
  EXPECT_EQ(view_.fileName(), Path("C1.esp.T7P"));
  EXPECT_EQ(view_.range().firstMs, zoomed.firstMs);  // records alike keep the zoom
  EXPECT_TRUE(view_.OpenNeighbour(1));
  EXPECT_EQ(view_.fileName(), Path("ZS0002.T7P"));
  EXPECT_FALSE(view_.OpenNeighbour(1));  // the last one
  Key(Qt::Key_PageUp);
  EXPECT_EQ(view_.fileName(), Path("C1.esp.T7P"));
  EXPECT_EQ(view::NeighbourRecord(Path("B.QFX"), -1), Path("A1.t7p"));  // a name that went away
  EXPECT_EQ(view::NeighbourRecord(Path("B.QFX"), 1), Path("C1.esp.T7P"));
}

TEST_F(ViewerTest, PicturesAtAGivenSizeAndRangeAndPrints) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  ASSERT_TRUE(view_.SaveImage(Path("all.png"), QSize(900, 500)));
  QImage all(QString::fromStdString(Utf8FromPath(Path("all.png"))));
  EXPECT_EQ(all.size(), QSize(900, 500));
  // The view's range: the same picture as one drawn of that range.
  view_.ZoomTime(0.25, 1.0);
  ASSERT_TRUE(view_.SaveImage(Path("part.png"), QSize(900, 500)));
  QImage part(QString::fromStdString(Utf8FromPath(Path("part.png"))));
  EXPECT_EQ(part.size(), QSize(900, 500));
  EXPECT_NE(part.convertToFormat(QImage::Format_RGB32), all.convertToFormat(QImage::Format_RGB32));
  view::Section section = view_.section();
  const QImage expected = view::DrawSection(section, view_.display(), view_.range(), 900, 500,
                                            [this](int i) -> const std::vector<float>& {
                                              return view_.record().channels[static_cast<size_t>(i)].samples;
                                            });
  EXPECT_EQ(part.convertToFormat(QImage::Format_RGB32), expected);
  // Nothing but the pictures is left beside it, each with the "解析" tab's
  // (the record's own t0 points interpreted).
  EXPECT_EQ(dir_.Count(), 5u);
  EXPECT_TRUE(test::Exists(TfrmView::InterpretationPictureOf(Path("part.png"))));
  // A folder that isn't there: the message, no file.
  EXPECT_FALSE(view_.SaveImage(Path("none") / "x.png", QSize(300, 300)));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], test::Said(Failure::kCantCreateFile));

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(Utf8FromPath(Path("print.pdf"))));
  view_.PrintTo(printer);
  EXPECT_EQ(test::ReadFile(Path("print.pdf")).substr(0, 5), "%PDF-");
}

// A print is the screen's picture on paper: the PDF, rasterised at the
// width the section was laid out at, holds about as much ink in the traces'
// area as the same section drawn into an image, and every column a wiggle
// passes through is inked (strokes per column used to leave a flat stretch
// blank, so the wiggles printed as dots: half the ink). The whole record,
// and zoomed in to a few samples across the width.
TEST_F(ViewerTest, PrintsDrawTheWigglesAsTheScreenDoesAtAnyZoom) {
  const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
  if (pdftoppm.isEmpty()) GTEST_SKIP() << "pdftoppm (poppler-utils) is not installed";
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  view_.cboMode->setCurrentIndex(static_cast<int>(view::TraceMode::kWiggle));
  const int width = 1600;  // the width prints are laid out at
  for (const double zoom : {1.0, 0.02}) {
    SCOPED_TRACE(zoom);
    view_.ResetZoom();
    view_.ZoomTime(zoom, 1.0);
    const fs::path pdf = Path("print.pdf");
    {
      QPrinter printer(QPrinter::HighResolution);
      printer.setPageSize(QPageSize(QPageSize::A4));
      printer.setPageOrientation(QPageLayout::Landscape);
      printer.setFullPage(true);  // the page is the picture, no margins
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(QString::fromStdString(Utf8FromPath(pdf)));
      view_.PrintTo(printer);
    }
    QProcess raster;
    raster.start(pdftoppm, {QStringLiteral("-png"), QStringLiteral("-singlefile"), QStringLiteral("-scale-to-x"), QString::number(width), QStringLiteral("-scale-to-y"),
                            QStringLiteral("-1"), QString::fromStdString(Utf8FromPath(pdf)),
                            QString::fromStdString(Utf8FromPath(Path("print")))});
    ASSERT_TRUE(raster.waitForFinished(30000));
    ASSERT_EQ(raster.exitCode(), 0) << raster.readAllStandardError().toStdString();
    const QImage paper =
        QImage(QString::fromStdString(Utf8FromPath(Path("print.png")))).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(paper.width(), width);
    const int height = paper.height();

    view::Section section = view_.section();
    auto displayed = [this](int i) -> const std::vector<float>& { return view_.Displayed(static_cast<size_t>(i)); };
    const QImage screen = view::DrawSection(section, view_.display(), view_.range(), width, height, displayed);
    view::Frame frame;
    const view::SectionGeometry g =
        view::FitSection(section, view_.display(), view_.range(), width, height, true, frame);
    // Ink in whole pixels: a line the raster smooths over two pixels counts
    // as the one it is.
    auto ink = [](const QImage& image, int x, int y0, int y1) {
      double sum = 0;
      for (int y = y0; y < y1; ++y) sum += (255 - qGray(image.pixel(x, y))) / 255.0;
      return sum;
    };
    // Inside the traces' area (the frame's own lines left out).
    auto area = [&](const QImage& image) {
      double sum = 0;
      for (int x = g.left + 2; x < g.left + g.width - 2; ++x) sum += ink(image, x, g.top + 2, g.top + g.height - 2);
      return sum;
    };
    const double ratio = area(paper) / area(screen);
    EXPECT_GT(ratio, 0.85);
    EXPECT_LT(ratio, 1.2);
    // A trace in the middle: every column of its band that the screen inks,
    // the paper inks too (a pixel either way for the rounding of the page).
    const int b = static_cast<int>(std::lround(g.Baseline(12))), half = static_cast<int>(g.Spacing() / 2);
    auto inked = [&](const QImage& image, int x) {
      for (int dx = -1; dx <= 1; ++dx)
        if (ink(image, x + dx, b - half, b + half) >= 0.5) return true;
      return false;
    };
    int blank = 0, columns = 0;
    for (int x = g.left + 2; x < g.left + g.width - 2; ++x) {
      if (!inked(screen, x)) continue;
      ++columns;
      blank += !inked(paper, x);
    }
    EXPECT_GT(columns, g.width / 2);
    EXPECT_EQ(blank, 0) << "of " << columns;
  }
}

// A file that declares more than memory can hold is refused with a
// message; the window, and a program around it, goes on.
TEST_F(ViewerTest, ARecordTooLargeForMemoryIsRefused) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  sim::SurveyFile file = sim::DemoSurveyFiles()[0];
  file.channels = 65535;
  file.samples = 65535;
  const std::string raw = sim::MakeRawFile(sim::DemoSurveyFiles()[0]).substr(0, kRawLeadingChars) +
                          sim::MakeHeaderRecord(file);
  test::WriteFile(Path("HUGE.T7P"), raw);
  // As long as it declares (sparse: no disk space taken).
  fs::resize_file(Path("HUGE.T7P"), raw.size() + 65535ull * (kChannelHeaderChars + 4ull * 65535));
  EXPECT_FALSE(view_.OpenFile(Path("HUGE.T7P")));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "记录太大，无法显示！");
  EXPECT_EQ(view_.fileName(), Path("ZS0002.T7P"));
}

// Samples that are not numbers are gaps: no line runs off to either side.
TEST_F(ViewerTest, SamplesThatAreNotNumbersAreGaps) {
  sim::SurveyFile file = sim::DemoSurveyFiles()[1];
  file.name = "NAN.DAT";
  test::WriteFile(Path("NAN.T7P"), sim::MakeRawFile(file));
  ASSERT_TRUE(ConvertRawFileTo(Path("NAN.T7P"), Path("NAN.QFX"), QfxFormat()));
  std::string qfx = test::ReadFile(Path("NAN.QFX"));
  const OutputLayout& layout = *QfxFormat().layout;
  const size_t channelBytes = layout.channelHeaderSize + 4u * 1024;
  ASSERT_EQ(qfx.size(), layout.headerSize + 24 * channelBytes);
  auto put = [&](int channel, int sample, float value) {
    std::memcpy(&qfx[layout.headerSize + channel * channelBytes + layout.channelHeaderSize + 4u * sample], &value, 4);
  };
  for (int i = 100; i < 400; i += 3) put(5, i, std::numeric_limits<float>::quiet_NaN());
  for (int i = 101; i < 400; i += 7) put(5, i, std::numeric_limits<float>::infinity());
  for (int i = 102; i < 400; i += 7) put(5, i, -std::numeric_limits<float>::infinity());
  test::WriteFile(Path("NAN.QFX"), qfx);
  ASSERT_TRUE(view_.OpenFile(Path("NAN.QFX")));
  view_.cboMode->setCurrentIndex(0);  // wiggles only
  const QImage image = Grab();
  const view::SectionGeometry& g = view_.sectionGeometry();
  // No column of the traces' area is dark over more than a clipped wiggle's
  // height (two spacings) and then some.
  const int spacing = static_cast<int>(g.Spacing());
  for (int x = g.left + 1; x < g.left + g.width - 1; ++x) {
    int run = 0, longest = 0;
    for (int y = g.top + 1; y < g.top + g.height - 1; ++y) {
      run = qGray(image.pixel(x, y)) < 90 ? run + 1 : 0;  // the wiggles' black, not the timing lines' grey
      longest = std::max(longest, run);
    }
    ASSERT_LE(longest, 3 * spacing) << "column " << x;
  }
  EXPECT_GT(view_.section().traces[5].peak, 0);
  EXPECT_TRUE(std::isfinite(view_.section().traces[5].peak));
}

TEST_F(ViewerTest, DroppedFilesOpenAndBadOnesSaySo) {
  QMimeData mime;
  mime.setUrls({QUrl::fromLocalFile(QString::fromStdString(Utf8FromPath(Path("ZS0002.T7P"))))});
  QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&view_, &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&view_, &drop);
  EXPECT_EQ(view_.record().header.channelCount, 24);

  test::WriteFile(Path("bad.QFX"), "not a record");
  EXPECT_FALSE(view_.OpenFile(Path("bad.QFX")));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], test::Said(Failure::kUnknownFormat));
  EXPECT_EQ(view_.record().header.channelCount, 24);  // what was shown stays
  EXPECT_EQ(view_.windowTitle().toStdString(), "查看波形 - ZS0002.T7P");
}

// The export menu writes what gt7p-cli export and picks write, through the
// same records/ code; the picks of a QFX file and the viewed file itself
// are refused in the error box; a cancelled dialog writes nothing.
TEST_F(ViewerTest, ExportMenuWritesSegySeg2AndThePicksTable) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(view_.actExportSegy->text().toStdString(), "导出 SEG-Y…");
  EXPECT_EQ(view_.actExportSeg2->text().toStdString(), "导出 SEG-2…");
  EXPECT_EQ(view_.actExportPicks->text().toStdString(), "导出拾取表…");
  // The save dialogs are titled by their job (Qt's own dialogs, where the
  // test can close them, on every system).
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
  std::vector<std::string> titles;
  QTimer cancel;
  QObject::connect(&cancel, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      titles.push_back(dialog->windowTitle().toStdString());
      dialog->reject();
    }
  });
  cancel.start(10);
  for (QAction* a : {view_.actExportSegy, view_.actExportSeg2, view_.actExportPicks}) a->trigger();
  cancel.stop();
  QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false);
  EXPECT_EQ(titles, (std::vector<std::string>{"导出 SEG-Y", "导出 SEG-2", "导出拾取表"}));
  // Nothing written (the dialogs keep their own state in the store's folder).
  EXPECT_EQ(dir_.Count() - test::Exists(Path("settings")), 1u);

  std::vector<std::filesystem::path> suggested;
  std::filesystem::path answer;
  view_.saveDialogHook = [&](TfrmView::SaveKind, const std::filesystem::path& name) {
    suggested.push_back(name);
    return answer;
  };

  answer = Path("out.sgy");
  view_.actExportSegy->trigger();
  answer = Path("out.sg2");
  view_.actExportSeg2->trigger();
  answer = Path("out.csv");
  view_.actExportPicks->trigger();
  answer.clear();
  view_.actExportSegy->trigger();
  ASSERT_TRUE(errors_.empty()) << errors_[0];
  EXPECT_EQ(suggested, (std::vector<std::filesystem::path>{Path("ZS0002.sgy"), Path("ZS0002.sg2"), Path("ZS0002.csv"),
                                                           Path("ZS0002.sgy")}));
  {
    RecordReader reader(Path("ZS0002.T7P"));  // closed before the conversion below (Windows)
    WriteSegy(reader, Path("want.sgy"));
    WriteSeg2(reader, Path("want.sg2"));
    EXPECT_EQ(ReadPicksTable(Path("out.csv")), RecordPicks(reader, "ZS0002.T7P"));
  }
  EXPECT_EQ(test::ReadFile(Path("out.sgy")), test::ReadFile(Path("want.sgy")));
  EXPECT_EQ(test::ReadFile(Path("out.sg2")), test::ReadFile(Path("want.sg2")));
  EXPECT_EQ(dir_.Count() - test::Exists(Path("settings")), 6u);  // the record, three exports, two made here: no part file

  answer = Path("ZS0002.T7P");
  view_.actExportSeg2->trigger();
  ASSERT_TRUE(ConvertRawFile(Path("ZS0002.T7P"), QfxFormat()) && view_.OpenFile(Path("ZS0002.T7P")));
  answer = Path("qfx.csv");
  view_.actExportPicks->trigger();
  EXPECT_EQ(errors_, (std::vector<std::string>{"不能覆盖正在查看的文件！",
                                               "ZS0002.T7P：QFX 文件不含解析点 t0..t5，只有原始文件（.T7P）含有！"}));
  EXPECT_FALSE(test::Exists(Path("qfx.csv")));
}

// Time labels of a record a millisecond long (ticks of 0.1 ms) are the
// same under a locale whose decimal point is ",".
TEST_F(ViewerTest, TimeLabelsIgnoreTheLocale) {
  sim::SurveyFile file = sim::DemoSurveyFiles()[0];
  file.intervalUs = 1;
  test::WriteFile(Path("FINE.T7P"), sim::MakeRawFile(file));
  ASSERT_TRUE(view_.OpenFile(Path("FINE.T7P")));
  const QImage c = Grab();
  test::CommaLocale comma;
  ASSERT_FALSE(comma.name().empty()) << test::CommaLocale::Missing();
  view_.StepGain(0);  // painted anew
  EXPECT_EQ(Grab(), c);
}

// The window on its screen: within the available area whatever size it
// was closed at, and back at its size and place when opened again.
TEST(ViewerScreen, FitsTheScreenAndKeepsItsPlace) {
  test::TempDir dir;
  KeepSettingsIn(dir.path());
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  auto inside = [&](const TfrmView& view) {
    const QRect frame = view.frameGeometry();
    return available.contains(frame) ? std::string() : "frame " + std::to_string(frame.width()) + "x" +
                                                          std::to_string(frame.height()) + " beyond " +
                                                          std::to_string(available.width()) + "x" +
                                                          std::to_string(available.height());
  };
  QRect kept;
  {
    TfrmView view;
    view.show();
    QApplication::processEvents();
    EXPECT_EQ(inside(view), "");
    EXPECT_LE(view.width(), 1280);
    view.resize(available.width() / 2, available.height() / 2);
    view.move(available.topLeft() + QPoint(20, 30));
    QApplication::processEvents();
    kept = view.geometry();
    view.close();
  }
  {
    TfrmView view;
    view.show();
    QApplication::processEvents();
    EXPECT_EQ(view.geometry().size(), kept.size());
    EXPECT_EQ(inside(view), "");
    // Larger than the screen (as saved on a bigger one): made to fit.
    view.resize(available.width() + 400, available.height() + 300);
    view.move(available.topLeft() + QPoint(200, 200));
    view.close();
  }
  TfrmView view;
  view.show();
  QApplication::processEvents();
  EXPECT_EQ(inside(view), "");
  EXPECT_TRUE(view.minimumSizeHint().width() <= 1024 && view.minimumSizeHint().height() <= 700)
      << view.minimumSizeHint().width() << "x" << view.minimumSizeHint().height();
}

// A place remembered on other screens: from a larger screen, off every
// screen, or damaged in the store (cut short, inverted): the window opens
// whole on the screen, at its first place where the text can't be read.
TEST(ViewerScreen, ARememberedPlaceLandsOnTheScreen) {
  test::TempDir dir;
  KeepSettingsIn(dir.path());
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  auto open = [&](const QString& place) {
    StoreGroup(QStringLiteral("viewer")).SetValue(QStringLiteral("place"), place);
    TfrmView view;
    view.show();
    QApplication::processEvents();
    return std::make_pair(view.frameGeometry(), view.geometry());
  };
  const auto [firstFrame, first] = open(QString());
  EXPECT_TRUE(available.contains(firstFrame));
  const int w = available.width(), h = available.height();
  const QString places[] = {
      QStringLiteral("%1 %2 %3 %4 0").arg(w / 3).arg(h / 4).arg(w + 640).arg(h + 400),  // a larger screen
      QStringLiteral("%1 %2 700 500 0").arg(-3 * w).arg(-2 * h),                        // off to the top left
      QStringLiteral("%1 %2 700 500 0").arg(3 * w).arg(h / 2),                          // off to the right
  };
  for (const QString& place : places) {
    const auto [frame, inside] = open(place);
    EXPECT_TRUE(available.contains(frame)) << place.toStdString();
  }
  EXPECT_EQ(open(QStringLiteral("%1 %2 700 500 0").arg(3 * w).arg(h / 2)).second.size(), QSize(700, 500));
  for (const char* damaged : {"100 100 800", "100 100 -800 -600 0", "100 100 800 600 0 9", "@ByteArray(x)"}) {
    const auto [frame, inside] = open(QString::fromLatin1(damaged));
    EXPECT_EQ(inside, first) << damaged;
  }
  // Closed, it keeps its place in the same text.
  TfrmView view;
  view.show();
  view.setGeometry(QRect(available.topLeft() + QPoint(10, 40), QSize(700, 500)));
  QApplication::processEvents();
  view.close();
  const auto kept = ParseWindowPlace(StoreGroup(QStringLiteral("viewer")).Value(QStringLiteral("place")).toString().toStdString());
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->inside.width, 700);
  EXPECT_EQ(kept->inside.height, 500);
  EXPECT_FALSE(kept->maximised);
}

// The plot's PNG goes through a palette of the picture's own colours: every
// pixel keeps its colour, up to 256 of them; one more and the picture is
// written as it is.
TEST(PlotPicture, PaletteKeepsEveryColourUpTo256) {
  QImage image(256, 3, QImage::Format_RGB32);
  image.fill(Qt::white);
  for (int x = 0; x < 255; ++x) image.setPixel(x, 0, qRgb(x, 0, 0));  // with white: 256 colours
  for (int x = 0; x < 256; ++x) image.setPixel(x, 1, qRgb((x * 7) % 255, 0, 0));  // seen before, in another order
  for (int x = 0; x < 256; x += 2) image.setPixel(x, 2, qRgb(0, 0, 0));  // runs broken by white
  const QImage indexed = view::WithPalette(image);
  ASSERT_FALSE(indexed.isNull());
  EXPECT_EQ(indexed.colorCount(), 256);
  EXPECT_EQ(indexed.convertToFormat(QImage::Format_RGB32), image);

  image.setPixel(255, 2, qRgb(0, 255, 0));
  EXPECT_TRUE(view::WithPalette(image).isNull());
}

}  // namespace
}  // namespace gt7p
