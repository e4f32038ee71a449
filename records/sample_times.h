// A record's time axis in whole numbers: hundredths of a microsecond.
//
// The sample interval renders with two decimals of a microsecond ("12.50μs")
// and the sample delay in whole microseconds, so the time of every sample is
// a whole number of hundredths of a microsecond. The exports, the picks
// table and their texts work from these numbers, never from a rounded float:
// the time of sample index i is the first sample's time plus i intervals,
// and the first sample's is the sample delay less the pre-trigger samples
// (0 at the trigger, so pre-trigger samples lie before 0).
#pragma once

#include <cstdint>
#include <string>

#include "records/record_reader.h"

namespace gt7p {

struct SampleTimes {
  int64_t intervalCentiUs = 0;  // the sample interval
  int64_t firstCentiUs = 0;     // time of sample index 0

  int64_t AtCentiUs(int64_t index) const { return firstCentiUs + index * intervalCentiUs; }
  // The same in milliseconds: the double nearest to the exact value.
  double AtMs(int64_t index) const { return static_cast<double>(AtCentiUs(index)) / 1e5; }
};

SampleTimes RecordSampleTimes(const RecordHeader& header);

// `value` times 10^-`decimals` as an exact decimal text, trailing zeros and
// a trailing point dropped: (-64, 2) gives "-0.64", (1250, 2) "12.5",
// (0, 5) "0".
std::string ScaledDecimalText(int64_t value, int decimals);

// Hundredths of a microsecond as milliseconds, seconds or microseconds, exactly.
inline std::string CentiUsAsMs(int64_t centiUs) { return ScaledDecimalText(centiUs, 5); }
inline std::string CentiUsAsSeconds(int64_t centiUs) { return ScaledDecimalText(centiUs, 8); }
inline std::string CentiUsAsUs(int64_t centiUs) { return ScaledDecimalText(centiUs, 2); }

}  // namespace gt7p
