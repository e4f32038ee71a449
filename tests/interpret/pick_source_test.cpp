// Where a record's first breaks come from: the operator's picks, else the
// record's own t0 points, else the automatic picker, for a record held in
// memory (the viewer's) and one read from its file (gt7p-cli's). The record
// is the simulator's two flat layers under a spread of 24 receivers; its
// arrivals from the textbook: direct wave x / v1, head wave
// x / v2 + 2 h cos(theta) / v1 with sin(theta) = v1 / v2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "interpret/interpret.h"
#include "records/records.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"

namespace gt7p {
namespace interpret {
namespace {

namespace fs = std::filesystem;

constexpr double kV1 = 500, kV2 = 2000, kH = 3;

double ArrivalMs(double x) {
  const double direct = x / kV1, head = x / kV2 + 2 * kH * std::sqrt(1 - std::pow(kV1 / kV2, 2)) / kV1;
  return std::min(direct, head) * 1000;
}

class PickSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::SurveyFile file = sim::DemoSurveyFiles()[1];
    file.name = "ZS0001.DAT";
    file.method = 30;
    file.channels = 24;
    file.samples = 4096;
    file.preTrigger = 0;
    file.intervalUs = 10;
    file.ground.velocities = {kV1, kV2};
    file.ground.depths = {kH};
    file.ground.firstReceiverX = 1;
    file.ground.spacing = 1;
    file.ground.noise = 100;
    path_ = dir_.path() / "ZS0001.T7P";
    test::WriteFile(path_, sim::MakeRawFile(file));
    record_ = ReadRecord(path_);
    for (const RecordChannel& c : record_.channels) traces_.push_back(&c.samples);
  }
  // Points within `tolerance` ms of the textbook's arrival.
  static size_t OnTime(const Shot& shot, double toleranceMs) {
    return static_cast<size_t>(std::count_if(shot.breaks.begin(), shot.breaks.end(), [&](const FirstBreak& b) {
      return std::fabs(b.timeMs - ArrivalMs(b.receiverX)) <= toleranceMs;
    }));
  }

  test::TempDir dir_;
  fs::path path_;
  Record record_;
  std::vector<const std::vector<float>*> traces_;
};

TEST_F(PickSourceTest, TheOperatorsPicksComeFirstThenTheRecordsOwnPoints) {
  // The operator picked two traces: those alone, at their samples' times
  // (less the record's system delay, a few microseconds).
  std::vector<int32_t> picks(24, 0);
  picks[2] = 101;
  picks[4] = 201;
  const Shot chosen = ShotOfRecord(record_, picks, traces_, 0, 0, "ZS0001.T7P");
  EXPECT_EQ(chosen.source, PickSource::kOperator);
  ASSERT_EQ(chosen.breaks.size(), 2u);
  EXPECT_EQ(chosen.breaks[0].channel, 3);
  EXPECT_NEAR(chosen.breaks[0].timeMs, 1.0, 0.005);
  EXPECT_NEAR(chosen.breaks[1].timeMs - chosen.breaks[0].timeMs, 1.0, 1e-9);
  EXPECT_EQ(chosen.file, "ZS0001.T7P");
  EXPECT_EQ(chosen.method, 30);

  // None picked: the instrument's t0 on every trace, on the arrivals.
  const Shot own = ShotOfRecord(record_, std::vector<int32_t>(24, 0), traces_, 0, 0, "ZS0001.T7P");
  EXPECT_EQ(own.source, PickSource::kInstrument);
  ASSERT_EQ(own.breaks.size(), 24u);
  EXPECT_EQ(OnTime(own, 0.02), 24u);

  // The file read the same way: no picks table, the same points.
  const Shot loaded = LoadShot(path_, nullptr);
  EXPECT_EQ(loaded.source, PickSource::kInstrument);
  ASSERT_EQ(loaded.breaks.size(), own.breaks.size());
  for (size_t i = 0; i < own.breaks.size(); ++i) EXPECT_DOUBLE_EQ(loaded.breaks[i].timeMs, own.breaks[i].timeMs);
  // The operator's table beside it takes over.
  WritePicksTable(PicksFileOf(path_), {MakePickRow(record_.header, record_.channels[2].header, 0, 101, "ZS0001.T7P")});
  const Shot tabled = LoadShot(path_, nullptr);
  EXPECT_EQ(tabled.source, PickSource::kOperator);
  ASSERT_EQ(tabled.breaks.size(), 1u);
  EXPECT_DOUBLE_EQ(tabled.breaks[0].timeMs, chosen.breaks[0].timeMs);
}

TEST_F(PickSourceTest, WithoutPointsTheAutomaticPickerFindsTheArrivalsWithinItsSpan) {
  // A file that holds no points (as a QFX or ESP file reads).
  record_.header.channelHeld.at(static_cast<size_t>(kFieldPointT0 - kFirstChannelFieldId)) = false;
  const Shot found = ShotOfRecord(record_, {}, traces_, 0, 0, "ZS0001.T7P");
  EXPECT_EQ(found.source, PickSource::kAuto);
  EXPECT_GE(found.breaks.size(), 22u);
  EXPECT_GE(OnTime(found, 0.3), 22u);

  // A span that ends before the first arrival (channel 1's, 2 ms): no
  // arrival in it, so nothing near the textbook's times.
  const Shot early = ShotOfRecord(record_, {}, traces_, 0, 150, "ZS0001.T7P");
  EXPECT_EQ(early.source, PickSource::kAuto);
  for (const FirstBreak& b : early.breaks) EXPECT_LT(b.timeMs, 1.5) << b.channel;

  // No traces to pick on: no first breaks at all.
  const Shot none = ShotOfRecord(record_, {}, {}, 0, 0, "ZS0001.T7P");
  EXPECT_EQ(none.source, PickSource::kAuto);
  EXPECT_TRUE(none.breaks.empty());
}

}  // namespace
}  // namespace interpret
}  // namespace gt7p
