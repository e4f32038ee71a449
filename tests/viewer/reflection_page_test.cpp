// The viewer window's reflection picks and the "解析" tab's pages for the
// reflection and two-point records, on records written here: receivers
// every 1 m (reflection) or 1.5 m (two-point) from the source, 10 us
// samples, picks from the textbook formulas (the hyperbola
// t = sqrt(4 h^2 + x^2) / v of a flat reflector h down, a straight moveout
// t = x / v), on the nearest sample.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTableWidget>
#include <cmath>

#include "base/cp936.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "tests/viewer/section_pixel.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/reflection_page.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

constexpr double kIntervalUs = 10;
constexpr double kV = 2000, kDepth = 10;  // m/s, m: T0 = 10 ms

// Sample number (from 1) of a time after the shot.
int SampleOf(double ms) { return static_cast<int>(std::lround(ms * 1000 / kIntervalUs)) + 1; }

double ReflectionMs(double x) { return 1000 * std::sqrt(4 * kDepth * kDepth + x * x) / kV; }

class MethodPagesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    view_.errorBoxHook = [this](const std::string& m) { errors_.push_back(Cp936ToUtf8(m)); };
    view_.savePicksQuestionHook = [] { return int(QMessageBox::Discard); };
    view_.resize(1200, 700);
    view_.show();
    QApplication::processEvents();
  }
  // A record of 24 channels ("源检距" step * n), survey method `method`,
  // its header's V0 `v0` m/ms.
  fs::path WriteRecord(const std::string& name, int method, double step, double v0) {
    sim::SurveyFile file = sim::DemoSurveyFiles()[0];
    file.name = name + ".DAT";
    file.method = method;
    file.channels = 24;
    file.samples = 4096;
    file.preTrigger = 0;
    file.intervalUs = kIntervalUs;
    file.stepM = step;
    file.velocity = v0;
    const fs::path path = dir_.path() / (name + ".T7P");
    test::WriteFile(path, sim::MakeRawFile(file));
    return path;
  }
  void WritePicks(const fs::path& record, const std::string& rows) {
    test::WriteFile(PicksFileOf(record), "file,channel,distance_m,layer,sample,time_ms\r\n" + rows);
  }
  std::string Row(const fs::path& record, int channel, double x, const char* layer, int sample) {
    return Utf8FromPath(record.filename()) + "," + std::to_string(channel) + "," + std::to_string(x) + "," + layer +
           "," + std::to_string(sample) + "," + std::to_string((sample - 1) * kIntervalUs / 1000) + "\r\n";
  }
  void Open(const fs::path& record) {
    ASSERT_TRUE(view_.OpenFile(record));
    view_.tabSide->setCurrentWidget(view_.pnlInterpretation);
    QApplication::processEvents();
  }
  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    QMouseEvent event(type, at, view_.pnlSection->mapToGlobal(at), button,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
    QApplication::sendEvent(view_.pnlSection, &event);
  }
  void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
    Mouse(QEvent::MouseButtonPress, at, button);
    Mouse(QEvent::MouseButtonRelease, at, button);
  }
  // The pixel of trace i at the time `ms`.
  QPoint At(int trace, double ms) {
    return test::SectionPixel(view_, trace, ms);
  }
  template <typename Page>
  Page* PageShown() {
    return dynamic_cast<Page*>(view_.pnlInterpretation->page());
  }

  test::TempDir dir_;
  std::vector<std::string> errors_;
  TfrmView view_;
};

TEST_F(MethodPagesTest, ReflectionPageFitsTheHyperbolaLiveAndTakesV0) {
  const fs::path record = WriteRecord("FS0001", 41, 1, 2.0);
  std::string rows;
  for (int c = 1; c <= 24; c += 2) rows += Row(record, c, c, "refl", SampleOf(ReflectionMs(c)));
  WritePicks(record, rows);
  Open(record);
  auto* page = PageShown<TReflectionPage>();
  ASSERT_NE(page, nullptr);
  EXPECT_TRUE(page->isVisible());
  ASSERT_EQ(page->shot().reflections.size(), 12u);
  // The header's V0 (2 m/ms) to begin with.
  EXPECT_DOUBLE_EQ(page->spnVelocity->value(), 2000);
  ASSERT_TRUE(page->result()) << page->lblNotes->text().toStdString();
  const interpret::ReflectionResult& r = *page->result();
  EXPECT_NEAR(*r.velocityMS, kV, 0.03 * kV);
  EXPECT_NEAR(*r.depthM, kDepth, 0.03 * kDepth);
  EXPECT_NEAR(*r.zeroOffsetMs, 2000 * kDepth / kV, 0.03 * 10);
  EXPECT_NEAR(*r.meanDepthM, kDepth, 0.03 * kDepth);  // each trace's own with V0 = v
  EXPECT_EQ(page->tblTraces->rowCount(), 12);
  const QString results = page->lblResults->text();
  EXPECT_TRUE(results.contains(QString::number(*r.velocityMS, 'f', 0) + Ui(" m/s"))) << results.toStdString();
  EXPECT_TRUE(results.contains(Ui("深度 v·T0/2 ") + QString::number(*r.depthM, 'f', 2))) << results.toStdString();
  EXPECT_TRUE(page->lblNotes->text().contains(Ui("线性时差")));

  // A V0 too slow for the far traces flags them; 0 leaves V0 out.
  page->spnVelocity->setValue(1000);  // V0 t < x where sqrt(400 + x^2) / 2 < x: x > 11.5 m
  int early = 0;
  for (int row = 0; row < page->tblTraces->rowCount(); ++row)
    early += page->tblTraces->item(row, 5)->text() == Ui("V0·t < x");
  EXPECT_EQ(early, 6);  // channels 13 to 23
  EXPECT_TRUE(page->lblResults->text().contains(Ui("V0·t < x 的道：13、15、17、19、21、23")))
      << page->lblResults->text().toStdString();
  page->spnVelocity->setValue(0);
  ASSERT_TRUE(page->result());
  EXPECT_FALSE(page->result()->meanDepthM);
  EXPECT_EQ(page->lblResults->text().count(Ui("\n")), 0);

  // Too few picks: the core's message as the page's note.
  view_.actPickReflections->trigger();
  view_.ClearPicks();
  EXPECT_FALSE(page->result());
  EXPECT_TRUE(page->lblNotes->text().startsWith(Ui("反射波拾取太少"))) << page->lblNotes->text().toStdString();
  EXPECT_EQ(page->tblTraces->rowCount(), 0);
  view_.actUndo->trigger();
  EXPECT_TRUE(page->result());

  // The tab's picture is the page: the picks' marks and the hyperbola.
  const QImage picture = view_.pnlInterpretation->Picture(QSize(800, 600)).convertToFormat(QImage::Format_RGB32);
  int cyan = 0, red = 0;
  for (int y = 0; y < picture.height(); ++y)
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb p = picture.pixel(x, y);
      cyan += qRed(p) < 40 && qGreen(p) > 180 && qBlue(p) > 200;
      red += qRed(p) > 180 && qGreen(p) < 70 && qBlue(p) < 70;
    }
  EXPECT_GT(cyan, 12 * 10);
  EXPECT_GT(red, 200);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MethodPagesTest, PickingReflectionsInTheWindowSavesReflRowsBesideTheFirstBreaks) {
  const fs::path record = WriteRecord("FS0002", 40, 1, 2.0);
  WritePicks(record, Row(record, 3, 3, "t0", 150) + Row(record, 5, 5, "t0", 250) + "OTHER.T7P,1,1,refl,99,0.98\r\n");
  Open(record);
  EXPECT_TRUE(view_.actPickReflections->isChecked());  // a reflection record starts on them
  EXPECT_EQ(view_.actPickReflections->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_2));
  view_.actToolPick->trigger();
  // Reflections on three traces, one of them on a first break's trace.
  for (int trace : {2, 8, 14}) Click(At(trace, ReflectionMs(trace + 1)));
  EXPECT_NEAR(view_.reflectionPicks()[8], SampleOf(ReflectionMs(9)), 3);
  EXPECT_EQ(view_.firstBreaks()[2], 150);
  EXPECT_EQ(view_.firstBreaks()[4], 250);
  Click(At(14, 5), Qt::RightButton);  // removed again
  EXPECT_EQ(view_.reflectionPicks()[14], 0);
  EXPECT_TRUE(view_.picksChanged());
  auto* page = PageShown<TReflectionPage>();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->shot().reflections.size(), 2u);  // live

  // A first break in the other mode; Ctrl+Z takes back the last edit of
  // either kind.
  view_.actPickFirstBreaks->trigger();
  Click(At(10, 6));
  EXPECT_GT(view_.firstBreaks()[10], 0);
  EXPECT_EQ(view_.reflectionPicks()[10], 0);
  view_.actUndo->trigger();
  EXPECT_EQ(view_.firstBreaks()[10], 0);
  view_.actUndo->trigger();  // the removal of trace 14's reflection
  EXPECT_GT(view_.reflectionPicks()[14], 0);

  ASSERT_TRUE(view_.SavePicks());
  EXPECT_FALSE(view_.picksChanged());
  const std::vector<PickRow> rows = ReadPicksTable(PicksFileOf(record));
  std::map<std::pair<int, int>, int32_t> ours;  // (layer, channel): sample
  int others = 0;
  for (const PickRow& row : rows) {
    if (row.file == "FS0002.T7P")
      ours[{row.layer, row.channel}] = row.sample;
    else
      others += row.file == "OTHER.T7P" && row.layer == kReflectionPick && row.sample == 99;
  }
  EXPECT_EQ(others, 1);
  EXPECT_EQ(ours.size(), 5u);
  EXPECT_EQ((ours[{0, 3}]), 150);
  EXPECT_EQ((ours[{0, 5}]), 250);
  for (int trace : {2, 8, 14}) EXPECT_EQ((ours[{kReflectionPick, trace + 1}]), view_.reflectionPicks()[size_t(trace)]);

  // Read back on opening again.
  const std::vector<int32_t> saved = view_.reflectionPicks();
  Open(record);
  EXPECT_EQ(view_.reflectionPicks(), saved);
  EXPECT_EQ(view_.firstBreaks()[2], 150);
  EXPECT_FALSE(view_.actUndo->isEnabled());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(MethodPagesTest, TwoPointPageGivesTheStraightMoveoutsVelocity) {
  // 1500 m/s, receivers every 1.5 m: channel n's first break at n ms.
  const fs::path record = WriteRecord("SD0001", 20, 1.5, 1.5);
  std::string rows;
  for (int c = 1; c <= 6; ++c) rows += Row(record, c, 1.5 * c, "t0", SampleOf(1.5 * c / 1500 * 1000));
  WritePicks(record, rows);
  Open(record);
  EXPECT_TRUE(view_.actPickFirstBreaks->isChecked());
  auto* page = PageShown<TTwoPointPage>();
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->result()) << page->lblNotes->text().toStdString();
  EXPECT_NEAR(*page->result()->meanVelocityMS, 1500, 1e-6);
  EXPECT_EQ(page->tblPairs->rowCount(), 5);
  EXPECT_EQ(page->tblPairs->item(0, 0)->text(), Ui("1"));
  EXPECT_EQ(page->tblPairs->item(0, 1)->text(), Ui("2"));
  EXPECT_EQ(page->tblPairs->item(0, 2)->text(), Ui("1.50"));
  EXPECT_EQ(page->tblPairs->item(0, 3)->text(), Ui("1.000"));
  EXPECT_EQ(page->tblPairs->item(4, 4)->text(), Ui("1500"));
  EXPECT_TRUE(page->lblResults->text().contains(Ui("初至来源：操作员拾取")));
  EXPECT_TRUE(page->lblResults->text().contains(Ui("平均速度 1500 m/s")));
  EXPECT_TRUE(page->lblNotes->text().contains(Ui("已知速度V0")));
  // Without the operator's picks the instrument's, else the picker's, as
  // on the refraction's page; the velocity is theirs.
  view_.ClearPicks();
  EXPECT_FALSE(page->lblResults->text().contains(Ui("操作员拾取")));
  EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace gt7p
