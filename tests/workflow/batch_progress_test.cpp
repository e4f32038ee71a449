// Where a batch of saves stands, against batches worked out by hand: files
// of known lengths arriving at a steady rate.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/files.h"
#include "workflow/batch_progress.h"

namespace gt7p {
namespace {

using test::G;

std::vector<std::string> Texts(std::initializer_list<const char*> utf8) {
  std::vector<std::string> texts;
  for (const char* t : utf8) texts.push_back(G(t));
  return texts;
}

// Four files of 1000, 3000, 2000 and 2000 characters at 100 characters a
// second, begun at 10 s, with no pause between files.
TEST(BatchProgress, SteadyRateThroughFourFiles) {
  BatchProgress batch;
  batch.Begin(4, 10);
  batch.FileTurn();
  EXPECT_EQ(batch.Total(), 0u);
  EXPECT_EQ(batch.SecondsLeft(), -1);
  EXPECT_EQ(BatchProgressTexts(batch), Texts({"第 1/4 个", "第 1/4 个", "1/4"}));

  // The first file declares 1000: the other three are counted at 1000.
  batch.Update(0, 1000, 10);
  EXPECT_EQ(batch.Total(), 4000u);
  EXPECT_EQ(batch.SecondsLeft(), -1);  // no rate before a character
  batch.Update(500, 1000, 15);
  EXPECT_EQ(batch.Received(), 500u);
  EXPECT_DOUBLE_EQ(batch.SecondsLeft(), 3500 / 100.0);
  EXPECT_EQ(BatchProgressTexts(batch),
            Texts({"第 1/4 个  500/4000 字符  剩余 35 秒", "第 1/4 个  剩余 35 秒", "1/4  0:35"}));
  batch.Update(1000, 1000, 20);
  batch.FileDone();

  // The second declares 3000: the mean of 1000 and 3000 for the last two.
  batch.FileTurn();
  batch.Update(1000, 3000, 30);
  EXPECT_EQ(batch.Turn(), 2u);
  EXPECT_EQ(batch.Received(), 2000u);
  EXPECT_EQ(batch.Total(), 4000u + 2 * 2000u);
  EXPECT_DOUBLE_EQ(batch.SecondsLeft(), 6000 / 100.0);
  EXPECT_EQ(BatchProgressTexts(batch), Texts({"第 2/4 个  2000/8000 字符  剩余 1 分 00 秒",
                                              "第 2/4 个  剩余 1 分 00 秒", "2/4  1:00"}));
  batch.Update(3000, 3000, 50);
  batch.FileDone();
  batch.FileTurn();
  batch.Update(2000, 2000, 70);
  batch.FileDone();

  // The last file: every length known, the total exact.
  batch.FileTurn();
  batch.Update(1000, 2000, 80);
  EXPECT_EQ(batch.Total(), 8000u);
  EXPECT_DOUBLE_EQ(batch.SecondsLeft(), 1000 / 100.0);
  batch.Update(2000, 2000, 90);
  EXPECT_EQ(BatchProgressTexts(batch).front(), G("第 4/4 个  8000/8000 字符  剩余 0 秒"));
  // A turn beyond the batch stays at its end.
  batch.FileDone();
  batch.FileTurn();
  EXPECT_EQ(batch.Turn(), 4u);
}

// The pauses between files count in the rate: two files of 600 at 100 a
// second with 2 s between them take 14 s in all.
TEST(BatchProgress, PausesBetweenFilesSlowTheRate) {
  BatchProgress batch;
  batch.Begin(2, 0);
  batch.FileTurn();
  batch.Update(600, 600, 8);  // 2 s to start, 6 s of characters
  batch.FileDone();
  batch.FileTurn();
  // 600 of 1200 in 8 s: 75 a second, 8 s for the rest.
  EXPECT_DOUBLE_EQ(batch.SecondsLeft(), 600 / 75.0);
}

// A skipped file adds nothing to the lengths or the mean; a new batch
// starts from nothing; a file longer than it declared never leaves the
// total below what came.
TEST(BatchProgress, SkippedFilesNewBatchesAndOverlongFiles) {
  BatchProgress batch;
  batch.Begin(3, 0);
  batch.FileTurn();
  batch.FileDone();  // skipped: no counts
  batch.FileTurn();
  batch.Update(100, 400, 2);
  EXPECT_EQ(batch.Turn(), 2u);
  EXPECT_EQ(batch.Total(), 800u);  // this one and the third at 400
  batch.Update(500, 400, 3);
  EXPECT_EQ(batch.Received(), 500u);
  EXPECT_GE(batch.Total(), batch.Received());
  EXPECT_GE(batch.SecondsLeft(), 0);

  batch.Begin(2, 100);
  EXPECT_EQ(batch.Turn(), 0u);
  EXPECT_EQ(batch.Files(), 2u);
  EXPECT_EQ(batch.Received(), 0u);
  EXPECT_EQ(batch.Total(), 0u);
}

}  // namespace
}  // namespace gt7p
