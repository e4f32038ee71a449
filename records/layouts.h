// The two output layouts, ESP and QFX, as constant strings, and their
// entries read once into LayoutEntry rows.
//
// Grammar: entries separated by ";" (the last one also followed by ";"),
// 11 columns separated by ",": group digit and output kind, size, offset,
// index, source offset, source kind, source length, mode (F fixed, N from the
// source record, D zeros, T source digits as hex text), hex flag, fixed value,
// template. The file-header entries (group 0) come first; the first ";1"
// starts the channel-header entries. The strings hold only ASCII, so they are
// the same in code page 936.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace gt7p {

const std::string& EspLayout();
const std::string& QfxLayout();

// One entry, its columns read by position.
struct LayoutEntry {
  int group = 0;               // 0 file header, 1 channel header
  std::string kind;            // output kind letter for EncodeFieldBytes
  int32_t size = 0;            // bytes written
  int32_t offset = 0;          // within the block: where the converter writes it and a reader finds it
  int32_t index = 0;           // picks the header-pass rule
  int32_t sourceOffset = -1;   // characters into the source record; -1 when not given
  std::string sourceKind;      // kind letter for FormatFieldValue
  int32_t sourceLength = -1;   // characters; -1 when not given
  char mode = '\0';            // 'F' fixed, 'N' from the source, 'T' source as hex text; else zeros
  bool hexFlag = false;        // the fixed value is hex digits, two per byte
  std::string fixedValue;      // mode F: the value text (the bytes, when hexFlag)
  std::string templ;           // mode N: the FormatFieldValue template
};

// Reads one entry. Throws Error (empty message) when the size, offset or
// index, or in mode N the source offset or length, is not a decimal integer
// other than -1, or the size or offset is negative or the entry ends beyond
// kMaxLayoutBlockSize; ConvertError when hex fixed digits are not hex. Hex
// fixed digits are trimmed, padded with "0" and cut to two per byte of the
// size.
LayoutEntry ParseLayoutEntry(const std::string& entry);

// The largest file or channel header a layout may describe: 64 times the
// built-in ESP's, and a bound on what a table other than the built-in ones
// can make a conversion allocate and write per channel.
constexpr int32_t kMaxLayoutBlockSize = 65536;

struct OutputLayout {
  std::vector<LayoutEntry> header;   // group 0
  std::vector<LayoutEntry> channel;  // group 1
  int32_t headerSize = 0;            // bytes of the file header
  int32_t channelHeaderSize = 0;     // bytes of each channel header
};

// The bytes of a group's block: up to the end of its furthest entry. The
// built-in layouts tile their blocks (each offset the sum of the sizes
// before it), so this is also the sum of their sizes.
int32_t LayoutBlockSize(const std::vector<LayoutEntry>& entries);

// A layout string cut at its first ";1" and read entry by entry (an empty
// last piece is no entry); throws as ParseLayoutEntry does, and Error (empty
// message) for a group whose sizes add up to more than kMaxLayoutBlockSize
// (the bytes a conversion encodes per block).
OutputLayout ParseOutputLayout(const std::string& layout);

}  // namespace gt7p
