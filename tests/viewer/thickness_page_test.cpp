// The "解析" tab's thickness page and the "频谱" tab's axis and peak. The
// records ring like a plate (a damped sinusoid at a known frequency f): the
// thickness is e * V0 / f from the textbook, 0.5 * 3000 / 2500 = 0.6 m for
// the first. The spectrum panel's peak is a Gaussian built here, whose top
// lies between bins where the test puts it.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTabWidget>
#include <QWheelEvent>
#include <cmath>
#include <regex>

#include "base/cp936.h"
#include "tests/support/files.h"
#include "tests/support/method_records.h"
#include "ui/ui.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_tab.h"
#include "viewer/window/side_panels.h"
#include "viewer/window/thickness_page.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

constexpr double kDtUs = 10;

// The number after `label` in the page's result text; NaN where none.
double Shown(const QLabel* label, const std::string& before) {
  const std::string text = label->text().toStdString();
  std::smatch m;
  if (!std::regex_search(text, m, std::regex(before + " ([0-9.]+)"))) return NAN;
  return std::stod(m[1]);
}

class ThicknessPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.errorBoxHook = [this](const std::string& m) { errors_.push_back(Cp936ToUtf8(m)); };
    view_.resize(1200, 700);
    view_.show();
    QApplication::processEvents();
  }
  // Opens a thickness record of 4 channels with these header fields and
  // samples, and shows the "解析" tab.
  TThicknessPage* Open(const std::string& name, const std::map<std::string, double>& fields,
                       const std::function<double(int, int)>& sample) {
    const fs::path record = dir_.path() / name;
    test::WriteFile(record, test::MethodRecordBytes(name, 10, 4, 2048, kDtUs, 0.5, fields, sample));
    EXPECT_TRUE(view_.OpenFile(record));
    view_.tabSide->setCurrentWidget(view_.pnlInterpretation);
    QApplication::processEvents();
    return dynamic_cast<TThicknessPage*>(view_.pnlInterpretation->page());
  }
  test::TempDir dir_;
  TfrmView view_;
  std::vector<std::string> errors_;
};

TEST_F(ThicknessPageTest, ShowsTheThicknessOfTheResonanceAndDrawsIt) {
  TThicknessPage* page = Open("HD.T7P", {{"已知速度V0", 3.0}, {"深度波长比e", 0.5}, {"幅谱阀值Av", 3},
                                         {"最小厚度h1", 0.1}, {"最大厚度h2", 1}, {"FFT点数", 1024}},
                              test::Ringing(2500, kDtUs));
  ASSERT_NE(page, nullptr) << "a thickness record shows the thickness page";
  EXPECT_TRUE(page->isVisible());
  EXPECT_FALSE(view_.pnlInterpretation->pnlPlot->isVisible());
  ASSERT_TRUE(page->result()) << page->note().toStdString();
  EXPECT_NEAR(Shown(page->lblResult, "厚度"), 0.5 * 3000 / 2500, 0.02 * 0.6) << page->lblResult->text().toStdString();
  EXPECT_NEAR(Shown(page->lblResult, "峰值"), 2500, 0.005 * 2500);
  EXPECT_NEAR(Shown(page->lblResult, "速度V0"), 3000, 1e-9);
  EXPECT_EQ(page->lblResult->text().indexOf(Ui("超出")), -1);
  EXPECT_EQ(page->spnVelocity->value(), 3000) << "V0 from the header";
  EXPECT_NE(page->lblHeader->text().indexOf(Ui("仅供参考")), -1);
  EXPECT_NE(page->lblHeader->text().indexOf(Ui("FFT点数 1024")), -1);
  // The figure: the spectrum, the default band, the peak marked.
  const view::SpectrumFigure figure = page->Figure();
  ASSERT_TRUE(figure.peakHz);
  EXPECT_NEAR(*figure.peakHz, page->result()->peakHz, 1e-9);
  EXPECT_GT(figure.bandHiHz, figure.bandLoHz);
  // The tab's picture is the page: the band's shade and the peak's red in it.
  const QImage picture = view_.pnlInterpretation->Picture(QSize(800, 600));
  int shaded = 0, red = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const QColor c = picture.pixelColor(x, y);
      shaded += c == QColor(255, 236, 190);
      red += c.red() > 180 && c.green() < 60 && c.blue() < 60;
    }
  EXPECT_GT(shaded, 1000);
  EXPECT_GT(red, 10);

  // A velocity of the operator's: the thickness follows e * V0 / f.
  page->spnVelocity->setValue(1500);
  EXPECT_NEAR(Shown(page->lblResult, "厚度"), 0.5 * 1500 / 2500, 0.02 * 0.3);
  // A thickness beyond the header's h2 is flagged.
  page->spnVelocity->setValue(6000);
  EXPECT_NEAR(page->result()->thicknessM, 0.5 * 6000 / 2500, 0.02 * 1.2);
  EXPECT_NE(page->lblResult->text().indexOf(Ui("超出 h1..h2")), -1);
  EXPECT_TRUE(errors_.empty());
}

// Channels 1 and 2 ring loudly at 4 kHz (a neighbouring plate), 3 and 4 at
// 2.5 kHz: the band or the traces choose the plate.
TEST_F(ThicknessPageTest, TheBandAndTheTracesChooseThePeak) {
  const auto loud = test::Ringing(4000, kDtUs), plate = test::Ringing(2500, kDtUs);
  TThicknessPage* page = Open("TW.T7P", {{"已知速度V0", 3.0}, {"深度波长比e", 0.5}},
                              [&](int c, int i) { return c < 3 ? 4 * loud(c, i) : plate(c, i); });
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->result());
  EXPECT_NEAR(page->result()->peakHz, 4000, 0.005 * 4000);
  EXPECT_NEAR(Shown(page->lblResult, "厚度"), 0.5 * 3000 / 4000, 0.02 * 0.375);
  page->spnBandLo->setValue(1000);
  page->spnBandHi->setValue(3000);
  EXPECT_NEAR(Shown(page->lblResult, "厚度"), 0.5 * 3000 / 2500, 0.02 * 0.6) << page->lblResult->text().toStdString();
  EXPECT_NEAR(page->Figure().bandLoHz, 1000, 1e-9);
  EXPECT_NEAR(page->Figure().bandHiHz, 3000, 1e-9);
  // A band with no spectrum: the core's words as the note, no result.
  page->spnBandLo->setValue(60000);
  page->spnBandHi->setValue(70000);
  EXPECT_FALSE(page->result());
  EXPECT_EQ(page->note().toStdString(), "频段内没有频谱");
  EXPECT_FALSE(page->Figure().spectrum.empty()) << "the spectrum shows where a band would find something";
  EXPECT_FALSE(page->Figure().peakHz);
  // Back to the whole band; the quiet plate's traces alone.
  page->spnBandLo->setValue(0);
  page->spnBandHi->setValue(0);
  page->edtTraces->setText(Ui("3-4"));
  emit page->edtTraces->editingFinished();
  ASSERT_TRUE(page->result());
  EXPECT_NEAR(page->result()->peakHz, 2500, 0.005 * 2500);
  EXPECT_EQ(page->result()->traces, 2);
  page->edtTraces->setText(Ui("4-3"));
  emit page->edtTraces->editingFinished();
  EXPECT_FALSE(page->result());
  EXPECT_EQ(page->note().toStdString(), "道号写成 1,3,5-8");
  page->edtTraces->setText(Ui("9"));
  emit page->edtTraces->editingFinished();
  EXPECT_EQ(page->note().toStdString(), "没有可用的道");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ThicknessPageTest, WithoutAVelocityTheNoteSaysSoAndTheSpectrumStillShows) {
  TThicknessPage* page = Open("NOV.T7P", {{"已知速度V0", 0}}, test::Ringing(2500, kDtUs));
  ASSERT_NE(page, nullptr);
  EXPECT_FALSE(page->result());
  EXPECT_EQ(page->note().toStdString(), "没有已知速度V0");
  EXPECT_NE(page->lblResult->text().indexOf(Ui("没有已知速度V0")), -1);
  EXPECT_EQ(page->lblResult->text().indexOf(Ui("厚度")), -1);
  ASSERT_TRUE(page->Figure().peakHz);
  EXPECT_NEAR(*page->Figure().peakHz, 2500, 0.005 * 2500);
  EXPECT_FALSE(view_.pnlInterpretation->Picture(QSize(600, 400)).isNull());
  // The operator's velocity: e as the default 0.5.
  page->spnVelocity->setValue(2000);
  ASSERT_TRUE(page->result());
  EXPECT_NEAR(Shown(page->lblResult, "厚度"), 0.5 * 2000 / 2500, 0.02 * 0.4);
  // Another record resets the page's controls to its own.
  page = Open("HD.T7P", {{"已知速度V0", 3.0}}, test::Ringing(2500, kDtUs));
  EXPECT_EQ(page->spnVelocity->value(), 3000);
  EXPECT_EQ(page->spnBandLo->value(), 0);
  EXPECT_TRUE(page->edtTraces->text().isEmpty());
}

// The "频谱" tab: its axis under the mouse, its peak refined between bins.
TEST(SpectrumPanel, MarksTheStrongestPeakShownAndZoomsAboutTheCursor) {
  TSpectrumPanel panel;
  panel.resize(500, 300);
  panel.show();
  // Two Gaussian peaks, exp(-(k - c)^2 / (2 s^2)): the stronger at bin
  // 50.3 (503 Hz at 10 Hz a bin), the weaker at 300.7 (3007 Hz).
  std::vector<double> spectrum(513);
  for (size_t k = 0; k < spectrum.size(); ++k) {
    const double a = static_cast<double>(k) - 50.3, b = static_cast<double>(k) - 300.7;
    spectrum[k] = std::exp(-a * a / (2 * 2.0 * 2.0)) + 0.3 * std::exp(-b * b / (2 * 3.0 * 3.0)) + 1e-6;
  }
  panel.SetSpectra(Ui("t"), spectrum, {}, 10, 0, 0);
  ASSERT_TRUE(panel.peakHz());
  EXPECT_NEAR(*panel.peakHz(), 503, 0.05);  // the parabola through the logarithms is exact for a Gaussian
  // The wheel at 3007 Hz: the frequency under the cursor stays.
  const QRectF area = panel.Area();
  auto xOf = [&](double hz) { return area.left() + panel.axis().Fraction(hz) * area.width(); };
  const QPointF at(xOf(3007), area.center().y());
  QWheelEvent wheel(at, panel.mapToGlobal(at), QPoint(), QPoint(0, 4 * 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(&panel, &wheel);
  EXPECT_NEAR(panel.axis().hi() - panel.axis().lo(), (5120 - 10) / std::pow(1.25, 4), 1e-6);
  EXPECT_NEAR(xOf(3007), at.x(), 1e-6);
  // The stronger peak out of sight: the weaker is the peak shown.
  ASSERT_GT(panel.axis().lo(), 600);
  ASSERT_TRUE(panel.peakHz());
  EXPECT_NEAR(*panel.peakHz(), 3007, 0.05);
  // A drag moves the range with the mouse.
  const double lo = panel.axis().lo();
  QMouseEvent press(QEvent::MouseButtonPress, at, panel.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&panel, &press);
  const QPointF to = at + QPointF(50, 0);
  QMouseEvent move(QEvent::MouseMove, to, panel.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&panel, &move);
  QMouseEvent release(QEvent::MouseButtonRelease, to, panel.mapToGlobal(to), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(&panel, &release);
  EXPECT_NEAR(panel.axis().lo(), lo - 50 / area.width() * (panel.axis().hi() - panel.axis().lo()), 1e-6);
  // Logarithmic, then a double click shows everything again.
  panel.SetLogarithmic(true);
  EXPECT_TRUE(panel.axis().logarithmic());
  QMouseEvent twice(QEvent::MouseButtonDblClick, at, panel.mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(&panel, &twice);
  EXPECT_DOUBLE_EQ(panel.axis().lo(), 10);
  EXPECT_DOUBLE_EQ(panel.axis().hi(), 5120);
  EXPECT_NEAR(*panel.peakHz(), 503, 0.05);
  // Another trace keeps the range shown; a picture of it draws.
  panel.axis().Show(400, 700);
  panel.SetSpectra(Ui("u"), spectrum, {}, 10, 0, 0);
  EXPECT_DOUBLE_EQ(panel.axis().lo(), 400);
  EXPECT_FALSE(panel.grab().isNull());
}

}  // namespace
}  // namespace gt7p
