#include "records/samples.h"

namespace gt7p {

void ConvertSamples(const char* in, size_t samples, char* out) { ConvertSamplesByTable(in, samples, out); }

bool ShortsFromFloats(const float* in, size_t count, char* out) { return ShortsFromFloatsOneByOne(in, count, out); }

}  // namespace gt7p
