// The viewer window on real widgets (offscreen): opening, gain by wheel,
// keys and buttons, normalisation, marking a trace, dropping a file, and
// the error box for a file it can't read.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QToolButton>
#include <QUrl>
#include <QWheelEvent>
#include "base/cp936.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "viewer/frm_view.h"
#include "viewer/section_painter.h"

namespace gt7p {
namespace {

class ViewerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SurveyFile file = sim::DemoSurveyFiles()[1];  // 24 channels, 16 pre-trigger samples
    test::WriteFile(Path("ZS0002.T7P"), sim::MakeRawFile(file));
    view_.errorBoxHook = [this](const std::string& m) { errors_.push_back(Cp936ToUtf8(m)); };
    view_.resize(1200, 700);
    view_.show();
    QApplication::processEvents();
  }
  std::filesystem::path Path(const char* name) { return dir_ / name; }
  void Key(int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&view_, &press);
  }
  void Wheel(int delta) {
    const QPointF at(100, 100);
    QWheelEvent wheel(at, view_.pnlSection->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(view_.pnlSection, &wheel);
  }

  test::TempDir dir_;
  TfrmView view_;
  std::vector<std::string> errors_;
};

TEST_F(ViewerTest, OpensARecordAndDrawsIt) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_EQ(view_.windowTitle().toStdString(), "查看波形 - ZS0002.T7P");
  const view::Section& section = view_.section();
  ASSERT_EQ(section.traces.size(), 24u);
  EXPECT_EQ(section.traces[4].channelNumber, 5);
  EXPECT_GT(section.traces[0].picks[0], 0);
  // Decimated to the section's width, which the canvas's size decides.
  EXPECT_EQ(section.traces[0].columns.size(), static_cast<size_t>(view_.geometry().width));
  EXPECT_LT(view_.geometry().left + view_.geometry().width, view_.pnlSection->width());
  EXPECT_DOUBLE_EQ(section.firstMs, -0.16);
  // Something other than the background is painted in the traces' area.
  const QImage image = view_.pnlSection->grab().toImage();
  const view::SectionGeometry& g = view_.geometry();
  int dark = 0;
  for (int x = g.left; x < g.left + g.width; x += 3)
    for (int y = g.top; y < g.top + g.height; y += 3) dark += qGray(image.pixel(x, y)) < 100;
  EXPECT_GT(dark, 100);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(ViewerTest, GainByWheelKeysAndButtons) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_DOUBLE_EQ(view_.scaling().gain, 1);
  Wheel(240);
  EXPECT_DOUBLE_EQ(view_.scaling().gain, 2);
  Wheel(60);  // half a notch: nothing yet
  EXPECT_DOUBLE_EQ(view_.scaling().gain, 2);
  Wheel(60);
  EXPECT_NEAR(view_.scaling().gain, 2 * std::sqrt(2.0), 1e-9);
  Key(Qt::Key_Minus);
  Key(Qt::Key_Minus);
  Key(Qt::Key_Minus);
  EXPECT_NEAR(view_.scaling().gain, 1, 1e-9);
  Key(Qt::Key_Plus);
  view_.btnGainDown->click();
  EXPECT_NEAR(view_.scaling().gain, 1, 1e-9);
  view_.btnGainUp->click();
  EXPECT_NEAR(view_.scaling().gain, std::sqrt(2.0), 1e-9);

  EXPECT_TRUE(view_.scaling().normalise);
  Key(Qt::Key_N);
  EXPECT_FALSE(view_.scaling().normalise);
  EXPECT_FALSE(view_.chkNormalise->isChecked());
  view_.chkNormalise->click();
  EXPECT_TRUE(view_.scaling().normalise);
}

TEST_F(ViewerTest, AClickMarksATraceAndShowsItsChannelHeader) {
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  const size_t fields = view_.section().headerLines.size();
  const view::SectionGeometry g = view_.geometry();
  view_.MarkTraceAt(g.left + 10, static_cast<int>(g.Baseline(6)));
  EXPECT_EQ(view_.markedTrace(), 6);
  const auto& lines = view_.section().headerLines;
  ASSERT_EQ(lines.size(), fields + 2 + 16);
  EXPECT_EQ(Cp936ToUtf8(lines[fields + 1].name), "第7道");
  EXPECT_EQ(Cp936ToUtf8(lines[fields + 4].value), "7（1-100）");  // 道号
  view_.MarkTraceAt(g.left + 10, static_cast<int>(g.Baseline(6)));  // again: unmarked
  EXPECT_EQ(view_.markedTrace(), -1);
  EXPECT_EQ(view_.section().headerLines.size(), fields);
  view_.MarkTraceAt(2, static_cast<int>(g.Baseline(3)));  // on the labels: nothing
  EXPECT_EQ(view_.markedTrace(), -1);
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
  EXPECT_EQ(errors_[0], "无法识别的文件格式！");
  EXPECT_EQ(view_.record().header.channelCount, 24);  // what was shown stays
  EXPECT_EQ(view_.windowTitle().toStdString(), "查看波形 - ZS0002.T7P");
}

// The export menu writes what gt7p-cli export and picks write, through the
// same records/ code; the picks of a QFX file and the viewed file itself
// are refused in the error box; a cancelled dialog writes nothing.
TEST_F(ViewerTest, ExportMenuWritesSegySeg2AndThePicksTable) {
  EXPECT_FALSE(view_.btnExport->isEnabled());
  ASSERT_TRUE(view_.OpenFile(Path("ZS0002.T7P")));
  EXPECT_TRUE(view_.btnExport->isEnabled());
  EXPECT_EQ(view_.actExportSegy->text().toStdString(), "导出 SEG-Y…");
  EXPECT_EQ(view_.actExportSeg2->text().toStdString(), "导出 SEG-2…");
  EXPECT_EQ(view_.actExportPicks->text().toStdString(), "导出拾取表…");
  std::vector<std::filesystem::path> suggested;
  std::filesystem::path answer;
  view_.saveDialogHook = [&](TfrmView::ExportKind, const std::filesystem::path& name) {
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
  EXPECT_EQ(dir_.Count(), 6u);  // the record, three exports, two made here: no part file

  answer = Path("ZS0002.T7P");
  view_.actExportSeg2->trigger();
  ASSERT_TRUE(ConvertRawFile(Path("ZS0002.T7P"), QfxFormat()) && view_.OpenFile(Path("ZS0002.T7P")));
  answer = Path("qfx.csv");
  view_.actExportPicks->trigger();
  EXPECT_EQ(errors_, (std::vector<std::string>{"不能覆盖正在查看的文件！",
                                               "ZS0002.T7P：QFX 文件不含解析点 t0..t5，只有原始文件（.T7P）含有！"}));
  EXPECT_FALSE(test::Exists(Path("qfx.csv")));
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
