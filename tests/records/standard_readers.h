// Readers of SEG-Y (revisions 1 and 2.0) and SEG-2 (revision 1) written
// here from the standards alone, to check the exports against something
// that shares none of their code.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace gt7p {
namespace test {

struct SegyTrace {
  std::string header;  // the 240 bytes
  std::vector<float> samples;
  // A trace header word at its byte position (from 1), two's complement.
  int32_t Word16(int position) const;
  int32_t Word32(int position) const;
  // Time of the first sample in hundredths of a microsecond: bytes 109-110
  // with the time scalar of 215-216; false when the scalar makes no whole
  // number of hundredths.
  bool FirstCentiUs(int64_t& centiUs) const;
  // A value with the scalar at `scalarPosition` applied, in hundredths.
  bool ScaledHundredths(int position, int scalarPosition, int64_t& hundredths) const;
};

struct SegyFile {
  std::string text;    // the text header as ASCII
  std::string binary;  // the 400 bytes of the binary header
  int revisionMajor = 0, revisionMinor = 0;
  int32_t samples = 0;  // per trace: the extended count where rev 2.0 gives one
  double intervalUs = 0;  // the extended interval where rev 2.0 gives one
  std::vector<SegyTrace> traces;
  // A binary header word at its byte position in the file (3201-3600).
  int32_t Word16(int position) const;
  uint32_t Word16Unsigned(int position) const;
  int32_t Word32(int position) const;
  double WordDouble(int position) const;
};

// The file's bytes read as the standard lays them out; the trace count
// comes from the file's size. Failures are reported as test failures.
SegyFile ReadSegy(const std::string& bytes);

struct Seg2Trace {
  std::map<std::string, std::string> strings;
  int formatCode = 0;
  std::vector<double> samples;
};

struct Seg2File {
  int revision = 0;
  std::map<std::string, std::string> strings;
  std::vector<Seg2Trace> traces;
};

Seg2File ReadSeg2(const std::string& bytes);

}  // namespace test
}  // namespace gt7p
