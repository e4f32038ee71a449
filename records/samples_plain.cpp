#include "records/samples.h"

namespace gt7p {

void ConvertSamples(const char* in, size_t samples, char* out) { ConvertSamplesByTable(in, samples, out); }

}  // namespace gt7p
