// Exports of a record into the exchange formats of seismic software, a
// channel at a time from a RecordReader. Both are ours, the same code on
// every system: a record gives the same bytes wherever it is exported.
// Times come from the record's exact time axis (sample_times.h): nothing is
// rounded into a time word; what a format can't hold exactly is refused.
//
// SEG-Y, big-endian: an EBCDIC text header (the survey's values, the exact
// interval and first-sample time in words), the binary header, and one
// trace per channel in file order, its samples IEEE floats (format 5) equal
// to the instrument's 16-bit values. Revision 1 where its words hold the
// record: an interval of whole microseconds up to 32767, at most 32767
// samples and channels. Otherwise revision 2.0: the extended sample
// interval (IEEE double), sample count and trace count words hold the exact
// values, the 2-byte words hold them as unsigned numbers where they fit (an
// interval that is no whole number of microseconds leaves them 0). The time
// of the first sample goes into trace bytes 109-110 with the time scalar of
// bytes 215-216 (1, or a divisor 10 to 10000, or a multiplier 10 to 10000);
// a time that no scalar holds exactly is refused.
// Geometry per trace: the source-receiver distance in whole metres
// (37-40), exactly as group X (81-84, source X 0) with the coordinate
// scalar (71-72); the elevation (41-44, scalar 69-70); stack count, gain
// and filters where the file holds them.
//
// SEG-2 revision 1, little-endian: the file descriptor block with its
// strings and a NOTE of the survey's values (texts as their code page 936
// bytes), then per channel a trace descriptor block with the standard
// strings and the samples, 16-bit integers (data format code 1) when every
// sample of the channel is one, else 32-bit floats (code 4). At most 16383
// channels (the trace pointer sub-block's limit), at most 4 GB.
//
// Both write a new file at `path` (the caller's temporary file: the caller
// writes through WriteBeside) and throw Error with the system's message:
// the reader's failures, "无法创建文件！", WriteError for a write that
// failed, and their own message, naming the limit and SEG-2 where SEG-Y
// can't, for a record the format can't hold. Both refuse a sample interval
// that is not a number from 0.01 to 65535 μs, naming it ("采样间隔为 nan μs，
// 无法导出：须在 0.01 至 65535 μs 之间！"). A refused record is refused
// before anything is written.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "records/record_reader.h"

namespace gt7p {

void WriteSegy(RecordReader& reader, const std::filesystem::path& path);
void WriteSeg2(RecordReader& reader, const std::filesystem::path& path);

// The survey's values as key/value pairs, for the SEG-Y text header and
// the SEG-2 NOTE: the file name, the survey date and time, the place, line
// and point, the method code, channel count, samples, interval,
// pre-trigger samples and the sample delay. Values are code page 936 texts
// as the fields render them (the place and file name without trailing
// blanks); each format makes them safe for itself.
std::vector<std::pair<std::string, std::string>> SurveySummary(const RecordHeader& header);

}  // namespace gt7p
