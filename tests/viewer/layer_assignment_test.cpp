// The operator's layers of the first breaks and their file beside the
// record.
#include <gtest/gtest.h>

#include "base/cp936.h"
#include "base/error.h"
#include "tests/support/files.h"
#include "viewer/viewer.h"

namespace gt7p {
namespace view {
namespace {

TEST(LayerAssignment, ChoicesAndAMovedBreakPoint) {
  LayerAssignment a;
  a.Set(3, 2);
  a.Set(4, 6);  // no such layer
  a.Set(0, 1);  // no such channel
  EXPECT_EQ(a.chosen(), (std::map<int32_t, int>{{3, 2}}));
  EXPECT_TRUE(a.changed());
  a.MarkSaved();
  a.Set(3, 2);
  EXPECT_FALSE(a.changed()) << "the same choice again changes nothing";
  a.Set(3, 0);
  EXPECT_TRUE(a.chosen().empty());
  EXPECT_TRUE(a.changed());

  // Points 1..6 m on layers 1 1 1 2 2 3: the break between 1 and 2 moved
  // to 2.5 m takes channel 3 to layer 2; layer 3's point stays.
  const std::vector<LayeredPoint> points = {{1, 1, 1}, {2, 2, 1}, {3, 3, 1}, {4, 4, 2}, {5, 5, 2}, {6, 6, 3}};
  a.MoveBreak(points, 1, 2.5);
  EXPECT_EQ(a.chosen(), (std::map<int32_t, int>{{1, 1}, {2, 1}, {3, 2}, {4, 2}, {5, 2}}));
  a.MoveBreak(points, 5, 2.5);  // no layer below the last
  EXPECT_EQ(a.chosen().size(), 5u);
  a.ClearAll();
  EXPECT_TRUE(a.chosen().empty());
}

TEST(LayerAssignment, TheFileBesideTheRecordRoundTripsAndGoesWhenEmpty) {
  test::TempDir dir;
  const std::filesystem::path record = dir / "ZX0001.T7P";
  EXPECT_EQ(LayersFileOf(record).filename(), "ZX0001.layers.csv");
  EXPECT_TRUE(ReadLayers(record).empty()) << "no file, no choices";
  const std::map<int32_t, int> chosen = {{2, 1}, {11, 2}, {48, 5}};
  WriteLayers(record, chosen);
  EXPECT_EQ(test::ReadFile(LayersFileOf(record)), "channel,layer\r\n2,1\r\n11,2\r\n48,5\r\n");
  EXPECT_EQ(ReadLayers(record), chosen);
  EXPECT_EQ(dir.Count(), 1u) << "nothing left beside it";
  WriteLayers(record, {});
  EXPECT_FALSE(test::Exists(LayersFileOf(record)));
}

TEST(LayerAssignment, TextsReadAndRefused) {
  EXPECT_EQ(ParseLayers("channel,layer\n7,3\n\n8, 2 \n"), (std::map<int32_t, int>{{7, 3}, {8, 2}}));
  EXPECT_EQ(ParseLayers("7,3\r\n"), (std::map<int32_t, int>{{7, 3}})) << "no header line";
  for (const char* bad : {"channel,layer\n7\n", "channel,layer\n7,6\n", "channel,layer\n0,1\n",
                          "channel,layer\n7,1.5\n", "channel,layer\nx,1\n", "channel,layer\n7,1,2\n"}) {
    try {
      ParseLayers(bad);
      ADD_FAILURE() << bad;
    } catch (const Error& e) {
      EXPECT_EQ(Cp936ToUtf8(e.message()), "分层文件格式不对（第2行）！") << bad;
    }
  }
}

}  // namespace
}  // namespace view
}  // namespace gt7p
