// Exports of a record into the exchange formats of seismic software, a
// channel at a time from a RecordReader.
//
// SEG-Y revision 1, big-endian, written with segyio: one trace per channel
// in channel order, samples as IEEE floats (format 5) equal to the
// instrument's 16-bit values; an EBCDIC text header with the survey's
// values (SurveySummary). Its 2-byte fields are two's complement, so a
// record of more than 32767 samples per channel, or 32767 channels, or an
// interval that rounds to more than 32767 us, is refused.
//
// SEG-2 revision 1, little-endian: the file descriptor block with its
// strings and a NOTE of the survey's values, then per channel a trace
// descriptor block and the samples, 16-bit integers (data format code 1)
// when every sample of the channel is one, else 32-bit floats (code 4). At
// most 16383 channels (the trace pointer sub-block's limit).
//
// Both write to `path` (the caller's temporary file, which SEG-2 replaces
// with a file of its own making) and throw Error with the system's message
// on failure (WriteError for a write that failed); the caller writes
// through a temporary file. Where the program was built without segyio,
// WriteSegy throws Error saying so.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "records/record_reader.h"

namespace gt7p {

void WriteSegy(RecordReader& reader, const std::filesystem::path& path);
void WriteSeg2(RecordReader& reader, const std::filesystem::path& path);

// The survey's values as ASCII key/value pairs, for the SEG-Y text header
// and the SEG-2 NOTE: the file name, the survey date and time, the place
// (AsciiSafe), line and point, the method code, channel count, samples,
// interval, pre-trigger samples and the sample delay.
std::vector<std::pair<std::string, std::string>> SurveySummary(const RecordHeader& header);

// A code page 936 text in printable ASCII: other bytes, and "%", become
// "%" and two hex digits ("淮南" gives "%BB%B4%C4%CF").
std::string AsciiSafe(const std::string& cp936);

// A decimal text of at most `places` decimals, trailing zeros dropped
// ("0.00001", "-0.001", "10.5", "0").
std::string DecimalText(double value, int places);

}  // namespace gt7p
