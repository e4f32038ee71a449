#include "records/sample_times.h"

#include <cmath>

namespace gt7p {

SampleTimes RecordSampleTimes(const RecordHeader& header) {
  // The header holds the values as their fields render them: two decimals
  // for the interval, none for the delay; rounding recovers the digits.
  SampleTimes times;
  times.intervalCentiUs = std::llround(header.intervalUs * 100);
  const int64_t delayCentiUs = std::llround(header.sampleDelayUs) * 100;
  times.firstCentiUs = delayCentiUs - static_cast<int64_t>(header.preTriggerCount) * times.intervalCentiUs;
  return times;
}

std::string ScaledDecimalText(int64_t value, int decimals) {
  const bool negative = value < 0;
  // Digits of the magnitude, without overflow for the most negative value.
  std::string digits;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  do {
    digits.insert(digits.begin(), static_cast<char>('0' + magnitude % 10));
    magnitude /= 10;
  } while (magnitude > 0);
  const size_t places = decimals > 0 ? static_cast<size_t>(decimals) : 0;
  if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
  std::string whole = digits.substr(0, digits.size() - places), fraction = digits.substr(digits.size() - places);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string text = whole + (fraction.empty() ? "" : "." + fraction);
  return negative && text != "0" ? "-" + text : text;
}

}  // namespace gt7p
