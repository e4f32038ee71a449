// The sample pass of the converter (records/ only): 4 hex-digit characters
// per sample, read as one hex number n (not hex: 0), minus 65536 when the
// first character is "8" or above, written as a little-endian 32-bit float.
//
// ConvertSamples is the one the converter calls: samples_sse2.cpp on x86
// processors, samples_plain.cpp elsewhere, picked by the build; both give
// exactly the bytes of ConvertSamplesByTable.
#pragma once

#include <cstddef>

namespace gt7p {

// `samples` samples from `in` (4 characters each) to `out` (4 bytes each).
void ConvertSamples(const char* in, size_t samples, char* out);

// The same, one sample at a time through a table of character pairs.
void ConvertSamplesByTable(const char* in, size_t samples, char* out);

}  // namespace gt7p
