// Room is reserved for an output only once its input has shown it holds
// what its header declares: a small raw file that declares 65535 channels
// of 65535 samples (17 GB of output) fails as incomplete and asks for no
// room at all. This executable stands in for the system's reservation.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <vector>

#include "base/file_space.h"
#include "base/text.h"
#include "records/records.h"
#include "tests/records/test_records.h"
#include "tests/support/failure.h"
#include "tests/support/files.h"

namespace gt7p {

namespace {
std::vector<uint64_t> reservations;
}  // namespace

// Linked instead of base's own: what the conversion asks to reserve.
bool ReserveFileSpace(const std::filesystem::path&, uint64_t bytes) {
  reservations.push_back(bytes);
  return true;
}

namespace {

void PutCount(std::string& raw, int fieldId, const std::string& digits) {
  raw.replace(kRawLeadingChars + static_cast<size_t>(TableField(fieldId).offset), digits.size(), digits);
}

TEST(Reservation, OnlyForWhatTheInputHolds) {
  test::TempDir dir;
  const std::string raw = test::RawFileOf(test::TestRecord());  // 3 channels of 8 samples
  for (const OutputFormat* format : {&QfxFormat(), &EspFormat()}) {
    SCOPED_TRACE(format->name);
    reservations.clear();
    test::WriteFile(dir / "A.T7P", raw);
    ASSERT_TRUE(ConvertRawFileTo(dir / "A.T7P", dir / "A.out", *format));
    // The seam is the one the converter calls: the whole output, once.
    const uint64_t whole = static_cast<uint64_t>(format->layout->headerSize) +
                           3u * (static_cast<uint64_t>(format->layout->channelHeaderSize) + 4 * 8);
    EXPECT_EQ(reservations, std::vector<uint64_t>{whole});

    std::string huge = raw;
    PutCount(huge, kFieldChannels, "FFFF");
    PutCount(huge, kFieldSamples, "FFFF");
    reservations.clear();
    for (bool inPlace : {false, true}) {
      test::WriteFile(dir / "H.T7P", huge);
      EXPECT_EQ(test::FailureOf([&] {
                  inPlace ? ConvertRawFile(dir / "H.T7P", *format) : ConvertRawFileTo(dir / "H.T7P", dir / "H.out", *format);
                }),
                FailureText(Failure::kIncompleteFile));
      EXPECT_EQ(test::ReadFile(dir / "H.T7P"), huge);
    }
    EXPECT_TRUE(reservations.empty()) << reservations.front();
    EXPECT_FALSE(test::Exists(dir / "H.out"));
  }
}

}  // namespace
}  // namespace gt7p
