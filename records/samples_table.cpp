#include <cstdint>
#include <cstring>

#include "base/text.h"
#include "records/samples.h"

namespace gt7p {
namespace {

// Two characters as they lie in memory, read as one 16-bit index, give
// their byte, 0x100 when either is no hex digit, and 0x200 when the first
// is "8" or above: on a sample's first pair that is the sign, whatever
// else the characters are.
struct PairTable {
  uint16_t entry[65536];
  PairTable() {
    for (int c0 = 0; c0 < 256; ++c0) {
      for (int c1 = 0; c1 < 256; ++c1) {
        const char pair[2] = {static_cast<char>(c0), static_cast<char>(c1)};
        uint16_t key;
        std::memcpy(&key, pair, sizeof key);
        const int hi = HexDigitValue(pair[0]), lo = HexDigitValue(pair[1]);
        entry[key] = static_cast<uint16_t>((hi < 0 || lo < 0 ? 0x100 : hi * 16 + lo) | (c0 >= 0x38 ? 0x200 : 0));
      }
    }
  }
};

}  // namespace

void ConvertSamplesByTable(const char* in, size_t samples, char* out) {
  static const PairTable table;
  for (size_t i = 0; i < samples; ++i, in += 4, out += 4) {
    uint16_t first, second;
    std::memcpy(&first, in, sizeof first);
    std::memcpy(&second, in + 2, sizeof second);
    const uint32_t hi = table.entry[first], lo = table.entry[second];
    int32_t n = ((hi | lo) & 0x100) ? 0 : static_cast<int32_t>(((hi & 0xFF) << 8) | (lo & 0xFF));
    n -= static_cast<int32_t>((hi & 0x200) << 7);
    const float f = static_cast<float>(n);
    uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    out[0] = static_cast<char>(bits);
    out[1] = static_cast<char>(bits >> 8);
    out[2] = static_cast<char>(bits >> 16);
    out[3] = static_cast<char>(bits >> 24);
  }
}

bool ShortsFromFloatsOneByOne(const float* in, size_t count, char* out) {
  bool shorts = true;
  for (size_t s = 0; s < count; ++s) {
    const float v = in[s];
    const bool inRange = v >= -32768.0f && v <= 32767.0f;  // false for NaN
    const int32_t i = inRange ? static_cast<int32_t>(v) : 0;
    shorts = shorts && inRange && static_cast<float>(i) == v;
    out[2 * s] = static_cast<char>(i);
    out[2 * s + 1] = static_cast<char>(i >> 8);
  }
  return shorts;
}

}  // namespace gt7p
