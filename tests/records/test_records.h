// Raw records of chosen shape for the export and picks tests: channel and
// sample counts, pre-trigger samples, interval and sample delay, and per
// channel its distance, elevation, filters, gain, stack count and points.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace gt7p {
namespace test {

struct TestChannel {
  int number = 1;                 // "道号"
  std::string distanceDigits;     // "源检距" digits (16.8 fixed point); empty: number metres
  int elevation = 0;              // "相对高程", m
  std::string lowCutDigits = "000A00", highCutDigits = "07D000";  // 10.00 and 2000.00 Hz
  int gain = 24, stack = 1;
  std::array<int, 6> points{};    // t0..t5 as stored
};

struct TestRecord {
  std::string name = "ZS0042  DAT";  // 8 + 3 characters, as the field holds them
  std::string time = "20240315094527";  // "探测时间": 14 decimal digits
  int samples = 8;
  int preTrigger = 0;
  std::string intervalDigits = "000A00";  // 16.8 fixed point: 10.00 us
  int64_t delayUs = 0;
  std::vector<TestChannel> channels = std::vector<TestChannel>(3);

  TestRecord();
};

// The raw file (.T7P) of `record`: sample s of channel c (both from 0) is
// SampleValue(c, s).
std::string RawFileOf(const TestRecord& record);
int16_t SampleValue(int channel, int sample);

}  // namespace test
}  // namespace gt7p
