// The viewer's "解析" tab on a loosened-zone record of two flat layers made
// by the simulator: the zone (500 m/s, 3 m from the wall) over the rock
// (2000 m/s). Expected values from the textbook: direct wave x / v1, head
// wave x / v2 + 2 h cos(theta) / v1 with sin(theta) = v1 / v2, crossover
// 2 h sqrt((v2 + v1) / (v2 - v1)) = 7.75 m.
#include <gtest/gtest.h>

#include <QApplication>
#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPrinter>
#include <QTableWidget>
#include <cmath>

#include "base/cp936.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "viewer/window/frm_view.h"
#include "viewer/window/interpretation_tab.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

constexpr double kV1 = 500, kV2 = 2000, kH = 3;

class InterpretationTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SurveyFile file = sim::DemoSurveyFiles()[1];
    file.name = "SK0001.DAT";
    file.method = 32;
    file.channels = 24;
    file.samples = 4096;  // 41 ms: the farthest head wave at 23.6 ms
    file.preTrigger = 0;
    file.intervalUs = 10;
    file.ground.velocities = {kV1, kV2};
    file.ground.depths = {kH};
    file.ground.firstReceiverX = 1;
    file.ground.spacing = 1;
    file.ground.noise = 100;
    record_ = dir_.path() / "SK0001.T7P";
    test::WriteFile(record_, sim::MakeRawFile(file));
    // The instrument's t0 as the operator's picks.
    {
      RecordReader reader(record_);
      WritePicksTable(PicksFileOf(record_), RecordPicks(reader, "SK0001.T7P"));
    }
    view_.errorBoxHook = [this](const std::string& m) { errors_.push_back(Cp936ToUtf8(m)); };
    view_.resize(1200, 700);
    view_.show();
    QApplication::processEvents();
    ASSERT_TRUE(view_.OpenFile(record_));
    tab_ = view_.pnlInterpretation;
    view_.tabSide->setCurrentWidget(tab_);
    QApplication::processEvents();
  }
  int LayerOf(int32_t channel) {
    for (const interpret::PointFit& p : tab_->survey()->points)
      if (p.channel == channel) return p.layer;
    return 0;
  }
  void KeyOnPlot(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(tab_->pnlPlot, &press);
  }
  void Mouse(QEvent::Type type, QPoint at) {
    QMouseEvent event(type, at, tab_->pnlPlot->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(tab_->pnlPlot, &event);
  }
  QPoint PointOf(int32_t channel) {
    for (const interpret::FirstBreak& b : tab_->shot().breaks)
      if (b.channel == channel) return tab_->pnlPlot->PixelOf(b.receiverX, b.timeMs).toPoint();
    return {};
  }

  test::TempDir dir_;
  fs::path record_;
  std::vector<std::string> errors_;
  TfrmView view_;
  TInterpretationTab* tab_ = nullptr;
};

TEST_F(InterpretationTabTest, TheZoneAndTheRockBesideTheInstrumentsLayers) {
  EXPECT_EQ(view_.tabSide->tabText(view_.tabSide->indexOf(tab_)), Ui("解析"));
  EXPECT_EQ(view_.tabSide->tabText(view_.tabSide->indexOf(tab_) - 1), Ui("时距曲线"));
  ASSERT_TRUE(tab_->survey()) << tab_->lblNotes->text().toStdString();
  const interpret::Survey& s = *tab_->survey();
  ASSERT_EQ(s.layerCount, 2);
  EXPECT_NEAR(*s.layers[0].velocityMS, kV1, kV1 * 0.02);
  EXPECT_NEAR(*s.layers[1].velocityMS, kV2, kV2 * 0.02);
  for (int32_t c = 1; c <= 24; ++c) EXPECT_EQ(LayerOf(c), c < 7.75 ? 1 : 2) << c;
  // Labels of the zone, its thickness into the rock and the ratio.
  EXPECT_EQ(tab_->tblLayers->item(0, 0)->text(), Ui("松动圈"));
  EXPECT_EQ(tab_->tblLayers->item(1, 0)->text(), Ui("围岩"));
  EXPECT_NEAR(tab_->tblLayers->item(0, 2)->text().toDouble(), kH, kH * 0.05);
  const QString notes = tab_->lblNotes->text();
  EXPECT_TRUE(notes.contains(Ui("松动圈厚度（自洞壁向岩体内）"))) << notes.toStdString();
  EXPECT_TRUE(notes.contains(Ui("速度比 0.25"))) << notes.toStdString();
  // The instrument's own layers beside ours: its velocities and thickness.
  EXPECT_DOUBLE_EQ(tab_->tblLayers->item(0, 5)->text().toDouble(), kH);
  EXPECT_DOUBLE_EQ(tab_->tblLayers->item(0, 6)->text().toDouble(), kV1);
  EXPECT_DOUBLE_EQ(tab_->tblLayers->item(1, 6)->text().toDouble(), kV2);

  // A layer count chosen: three layers asked of two leave a warning or a
  // third segment, never a NaN in the table.
  tab_->cboLayers->setCurrentIndex(2);
  ASSERT_TRUE(tab_->survey());
  EXPECT_EQ(tab_->survey()->layerCount, 3);
  for (int r = 0; r < tab_->tblLayers->rowCount(); ++r)
    for (int c = 0; c < tab_->tblLayers->columnCount(); ++c)
      EXPECT_FALSE(tab_->tblLayers->item(r, c)->text().contains(Ui("nan"), Qt::CaseInsensitive));
  tab_->cboLayers->setCurrentIndex(0);
  EXPECT_EQ(tab_->survey()->layerCount, 2);
}

TEST_F(InterpretationTabTest, APointPutOnALayerIsKeptBesideTheRecordAndReadBack) {
  const fs::path layers = LayersFileOf(record_);
  EXPECT_FALSE(test::Exists(layers));
  Mouse(QEvent::MouseButtonPress, PointOf(8));
  Mouse(QEvent::MouseButtonRelease, PointOf(8));
  EXPECT_EQ(tab_->selected(), 8);
  KeyOnPlot(Qt::Key_1);
  EXPECT_EQ(LayerOf(8), 1);
  EXPECT_EQ(test::ReadFile(layers), "channel,layer\r\n8,1\r\n");

  // Read back on open.
  ASSERT_TRUE(view_.OpenFile(record_));
  EXPECT_EQ(tab_->assignment().chosen(), (std::map<int32_t, int>{{8, 1}}));
  EXPECT_EQ(LayerOf(8), 1);
  EXPECT_EQ(LayerOf(9), 2);

  // Given back to the fit: the file goes.
  tab_->SelectChannel(8);
  KeyOnPlot(Qt::Key_0);
  EXPECT_EQ(LayerOf(8), 2);
  EXPECT_FALSE(test::Exists(layers));
}

TEST_F(InterpretationTabTest, ABreakPointDraggedMovesThePointsBetweenTheSegments) {
  // The handle under the break point between the direct and the head wave.
  const interpret::Branch& b = tab_->survey()->branches.at(0);
  ASSERT_EQ(b.crossoverM.size(), 1u);
  EXPECT_NEAR(b.crossoverM[0], 2 * kH * std::sqrt((kV2 + kV1) / (kV2 - kV1)), 0.3);
  const int hx = tab_->pnlPlot->PixelOf(b.crossoverM[0], 0).toPoint().x();
  QPoint handle;
  for (int y = tab_->pnlPlot->height() - 1; y >= 0 && handle.isNull(); --y)
    if (tab_->pnlPlot->HandleAt(QPoint(hx, y))) handle = QPoint(hx, y);
  ASSERT_FALSE(handle.isNull());
  const int to = tab_->pnlPlot->PixelOf(4.5, 0).toPoint().x();
  Mouse(QEvent::MouseButtonPress, handle);
  Mouse(QEvent::MouseMove, QPoint(to, handle.y()));
  for (int32_t c = 1; c <= 24; ++c) EXPECT_EQ(LayerOf(c), c < 4.5 ? 1 : 2) << c;
  EXPECT_FALSE(test::Exists(LayersFileOf(record_))) << "written when the drag ends";
  Mouse(QEvent::MouseButtonRelease, QPoint(to, handle.y()));
  const std::map<int32_t, int> chosen = ReadLayers(record_);
  EXPECT_EQ(chosen.size(), 24u);
  EXPECT_EQ(chosen.at(4), 1);
  EXPECT_EQ(chosen.at(5), 2);
  // Direct-wave points on the head wave's segment make it slower than the
  // rock: the fit follows the operator.
  EXPECT_LT(*tab_->survey()->layers[1].velocityMS, kV2 * 0.95);
}

TEST_F(InterpretationTabTest, WithoutTheOperatorsPicksTheRecordsOwnPointsAreInterpreted) {
  EXPECT_EQ(tab_->lblSource->text(), Ui("初至来源：操作员拾取"));
  std::filesystem::remove(PicksFileOf(record_));
  ASSERT_TRUE(view_.OpenFile(record_));
  EXPECT_EQ(tab_->lblSource->text(), Ui("初至来源：仪器解析点"));
  ASSERT_TRUE(tab_->survey()) << tab_->lblNotes->text().toStdString();
  EXPECT_EQ(tab_->shot().breaks.size(), 24u);
  EXPECT_NEAR(*tab_->survey()->layers[0].velocityMS, kV1, kV1 * 0.02);
  EXPECT_NEAR(*tab_->survey()->layers[1].velocityMS, kV2, kV2 * 0.02);
  // They stay the record's: no picks of the operator's made of them.
  for (int32_t p : view_.firstBreaks()) EXPECT_EQ(p, 0);
  EXPECT_FALSE(view_.picksChanged());
  EXPECT_TRUE(errors_.empty());
}

TEST_F(InterpretationTabTest, UndoTakesBackTheLastLayerChoiceOrEditOfThePicks) {
  const fs::path layers = LayersFileOf(record_);
  EXPECT_EQ(view_.actUndo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
  tab_->SelectChannel(8);
  KeyOnPlot(Qt::Key_1);
  EXPECT_EQ(LayerOf(8), 1);
  ASSERT_TRUE(view_.actUndo->isEnabled());
  // The picks cleared after it: the record's own points stand in.
  view_.ClearPicks();
  EXPECT_EQ(tab_->lblSource->text(), Ui("初至来源：仪器解析点"));
  EXPECT_EQ(LayerOf(8), 1);

  view_.actUndo->trigger();  // the clearing
  EXPECT_EQ(tab_->lblSource->text(), Ui("初至来源：操作员拾取"));
  EXPECT_EQ(LayerOf(8), 1);
  EXPECT_EQ(test::ReadFile(layers), "channel,layer\r\n8,1\r\n");
  view_.actUndo->trigger();  // the choice: given back to the fit, the file gone
  EXPECT_EQ(LayerOf(8), 2);
  EXPECT_TRUE(tab_->assignment().chosen().empty());
  EXPECT_FALSE(test::Exists(layers));
  EXPECT_FALSE(view_.actUndo->isEnabled());
  view_.actRedo->trigger();
  EXPECT_EQ(LayerOf(8), 1);
  EXPECT_EQ(test::ReadFile(layers), "channel,layer\r\n8,1\r\n");
  EXPECT_TRUE(errors_.empty());
}

// The pages of the other methods, hidden under a refraction record, leave
// the tab as narrow as the refraction's page: their controls, wider in
// another system's fonts, must not widen the window.
TEST_F(InterpretationTabTest, HiddenMethodPagesDoNotWidenTheWindow) {
  QApplication::processEvents();
  ASSERT_EQ(tab_->page(), nullptr);
  QWidget* refraction = tab_->pnlPlot->parentWidget();
  ASSERT_NE(refraction, tab_);
  EXPECT_LE(tab_->minimumSizeHint().width(), refraction->minimumSizeHint().width() + 8);
}

TEST_F(InterpretationTabTest, ThePictureAndThePrintTakeTheTab) {
  const fs::path png = dir_.path() / "out.png";
  ASSERT_TRUE(view_.SaveImage(png, QSize(800, 600)));
  const QImage tab(QString::fromStdString(Utf8FromPath(TfrmView::InterpretationPictureOf(png))));
  EXPECT_EQ(tab.size(), QSize(800, 600));
  EXPECT_EQ(TfrmView::InterpretationPictureOf(png).filename(), "out.interpretation.png");
  // Not all white: points and lines drawn.
  int ink = 0;
  const QImage rgb = tab.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < rgb.height(); ++y)
    for (int x = 0; x < rgb.width(); ++x) ink += qBlue(rgb.pixel(x, y)) > 150 && qRed(rgb.pixel(x, y)) < 80;
  EXPECT_GT(ink, 50) << "the head wave's blue";

  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  const fs::path pdf = dir_.path() / "print.pdf";
  printer.setOutputFileName(QString::fromStdString(Utf8FromPath(pdf)));
  view_.PrintTo(printer);
  const std::string text = test::ReadFile(pdf);
  size_t pages = 0;
  for (size_t at = text.find("/Type /Page"); at != std::string::npos; at = text.find("/Type /Page", at + 1))
    pages += text.compare(at, 12, "/Type /Pages") != 0;
  EXPECT_EQ(pages, 2u);
}

}  // namespace
}  // namespace gt7p
