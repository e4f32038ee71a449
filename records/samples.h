// The sample passes (records/ only). The converter's: 4 hex-digit
// characters per sample, read as one hex number n (not hex: 0), minus 65536
// when the first character is "8" or above, written as a little-endian
// 32-bit float. The SEG-2 export's: floats as little-endian 16-bit integers.
//
// ConvertSamples and ShortsFromFloats are the ones the callers use:
// samples_sse2.cpp on x86 processors, samples_plain.cpp elsewhere, picked
// by the build; they give exactly what the one-at-a-time forms of
// samples_table.cpp give.
#pragma once

#include <cstddef>

namespace gt7p {

// `samples` samples from `in` (4 characters each) to `out` (4 bytes each).
void ConvertSamples(const char* in, size_t samples, char* out);

// The same, one sample at a time through a table of character pairs.
void ConvertSamplesByTable(const char* in, size_t samples, char* out);

// `count` floats as little-endian 16-bit integers into `out` (2 bytes
// each) when every one is a whole number from -32768 to 32767; false
// otherwise, `out` then holding nothing of use.
bool ShortsFromFloats(const float* in, size_t count, char* out);

// The same, one float at a time.
bool ShortsFromFloatsOneByOne(const float* in, size_t count, char* out);

}  // namespace gt7p
