// The viewer's "打开测线…" on the simulator's line of three shots over a
// boundary dipping 8 degrees (4 m deep below x = 0, 600 m/s over
// 2400 m/s): the line file made from the table or read, its rows' errors
// in the box, and the depth section of the "解析" tab against the
// model's depth 4 + x tan(8 degrees).
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QLabel>
#include <cmath>
#include <map>

#include "base/cp936.h"
#include "interpret/interpret.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "viewer/viewer.h"
#include "viewer/window/frm_view.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

class InterpretationLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (sim::SurveyFile file : sim::LineSurveyFiles()) {
      const std::string name = file.name.substr(0, file.name.find('.')) + ".T7P";
      records_.push_back(dir_.path() / name);
      test::WriteFile(records_.back(), sim::MakeRawFile(file));
      rows_.push_back({name, file.ground.sourceX, file.ground.firstReceiverX, file.ground.spacing});
    }
    view_.errorBoxHook = [this](const std::string& m) { errors_.push_back(Cp936ToUtf8(m)); };
    view_.resize(1200, 800);
    view_.show();
    QApplication::processEvents();
    tab_ = view_.pnlInterpretation;
  }

  test::TempDir dir_;
  std::vector<fs::path> records_;
  std::vector<interpret::LineRow> rows_;
  std::vector<std::string> errors_;
  TfrmView view_;
  TInterpretationTab* tab_ = nullptr;
};

TEST_F(InterpretationLineTest, ANewLineFileFromTheTableAndTheDepthSectionAlongTheSpread) {
  int asked = 0;
  view_.lineTableHook = [&](const TfrmView::NewLine& suggested) -> std::optional<TfrmView::NewLine> {
    ++asked;
    EXPECT_EQ(suggested.rows.size(), 3u);
    EXPECT_EQ(suggested.rows.at(1).file, "ZX0002.T7P");
    return TfrmView::NewLine{"测线1", rows_};
  };
  ASSERT_TRUE(view_.OpenLine(records_)) << (errors_.empty() ? "" : errors_.front());
  EXPECT_EQ(asked, 1);
  const fs::path file = interpret::LineFileOf(dir_.path(), "测线1");
  const std::vector<interpret::LineRow> back = interpret::ReadGeometry(file);
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back[2].sourceX, 46);
  EXPECT_EQ(back[2].spacing, 2);

  EXPECT_EQ(view_.fileName(), records_.front());
  EXPECT_EQ(view_.tabSide->currentWidget(), tab_);
  ASSERT_TRUE(tab_->lineMode());
  EXPECT_TRUE(tab_->pnlDepth->isVisible());
  EXPECT_EQ(tab_->shots().size(), 3u);
  EXPECT_EQ(tab_->shown(), 0u);
  ASSERT_TRUE(tab_->survey()) << tab_->lblNotes->text().toStdString();
  EXPECT_TRUE(tab_->survey()->reversed);
  const auto section = interpret::DepthSection(*tab_->survey());
  ASSERT_GE(section.size(), 1u);
  // The three shots and the receivers both head waves of the pair reach.
  ASSERT_GE(section[0].size(), 6u);
  const double tan8 = std::tan(8 * std::acos(-1.0) / 180);
  for (const interpret::SectionPoint& p : section[0]) EXPECT_NEAR(p.depthM, 4 + p.x * tan8, 1.0) << p.x;

  // The next record of the line stays in it, the table its own.
  ASSERT_TRUE(view_.OpenNeighbour(1));
  EXPECT_TRUE(tab_->lineMode());
  EXPECT_EQ(tab_->shown(), 1u);
  ASSERT_TRUE(tab_->survey());

  // The picture holds the section under the plot.
  const fs::path png = dir_.path() / "line.png";
  ASSERT_TRUE(view_.SaveImage(png, QSize(900, 900)));
  const QImage picture(QString::fromStdString(Utf8FromPath(TfrmView::InterpretationPictureOf(png))));
  ASSERT_EQ(picture.size(), QSize(900, 900));
  int filled = 0;  // the deeper layer's fill, below the middle
  for (int y = 450; y < 900; ++y)
    for (int x = 0; x < 900; ++x) filled += picture.pixel(x, y) == TInterpretationTab::LayerFill(2).rgb();
  EXPECT_GT(filled, 2000);
  EXPECT_TRUE(errors_.empty());
}

TEST_F(InterpretationLineTest, AnExistingLineFileIsReadAndItsBadRowsSaySo) {
  view_.lineTableHook = [](const TfrmView::NewLine&) -> std::optional<TfrmView::NewLine> {
    ADD_FAILURE() << "no table for an existing file";
    return std::nullopt;
  };
  interpret::WriteGeometry(interpret::LineFileOf(dir_.path(), "L"), rows_);
  ASSERT_TRUE(view_.OpenLine(records_));
  EXPECT_EQ(tab_->lineFile(), interpret::LineFileOf(dir_.path(), "L"));
  EXPECT_EQ(tab_->shots().at(2).sourceX, 46);

  // A point put on a layer: kept in the line's file, not beside the
  // record; undone, and read back when the line is opened again.
  const auto layerOf = [&](int32_t channel) {
    for (const interpret::PointFit& p : tab_->survey()->points)
      if (p.shot == tab_->shown() && p.channel == channel) return p.layer;
    return 0;
  };
  ASSERT_TRUE(tab_->survey());
  const int fitted = layerOf(5);
  tab_->SelectChannel(5);
  tab_->AssignSelected(fitted == 1 ? 2 : 1);
  EXPECT_NE(layerOf(5), fitted);
  EXPECT_FALSE(test::Exists(LayersFileOf(records_[0])));
  EXPECT_EQ(interpret::ReadGeometry(tab_->lineFile()).at(0).layers, (std::map<int32_t, int>{{5, fitted == 1 ? 2 : 1}}));
  view_.actUndo->trigger();
  EXPECT_EQ(layerOf(5), fitted);
  EXPECT_TRUE(interpret::ReadGeometry(tab_->lineFile()).at(0).layers.empty());
  view_.actRedo->trigger();
  ASSERT_TRUE(view_.OpenLine(records_));
  EXPECT_EQ(view_.layerChoices(), (std::map<int32_t, int>{{5, fitted == 1 ? 2 : 1}}));
  EXPECT_NE(layerOf(5), fitted);

  // A record of another folder leaves the line.
  const fs::path other = dir_.path() / "other" / "ZX0001.T7P";
  fs::create_directories(other.parent_path());
  fs::copy_file(records_[0], other);
  ASSERT_TRUE(view_.OpenFile(other));
  EXPECT_FALSE(tab_->lineMode());
  EXPECT_FALSE(tab_->pnlDepth->isVisible());

  test::WriteFile(interpret::LineFileOf(dir_.path(), "L"),
                  "file,source_x_m,first_receiver_x_m,receiver_spacing_m\nZX0001.T7P,0,0,0\n");
  EXPECT_FALSE(view_.OpenLine(records_));
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], "L.line.csv：测线几何文件第2行：检波点间距不能为零");
  EXPECT_FALSE(tab_->lineMode());
  // One record is no line.
  EXPECT_FALSE(view_.OpenLine({records_[0]}));
  EXPECT_EQ(errors_.size(), 2u);
}

}  // namespace
}  // namespace gt7p
