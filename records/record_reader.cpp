#include "records/record_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <optional>

#include "base/cp936.h"
#include "base/error.h"
#include "base/file_names.h"
#include "base/messages.h"
#include "base/text.h"
#include "records/converter.h"
#include "records/field_format.h"
#include "records/field_ids.h"
#include "records/samples.h"

namespace gt7p {
namespace fs = std::filesystem;

namespace {

constexpr size_t kMagicBytes = 8;

// The (count, literal) pairs of a template's format part.
std::vector<std::pair<int32_t, std::string>> TemplatePairs(const std::string& templ) {
  std::vector<std::string> pieces = SplitText(templ.substr(0, templ.find(EnumMark())), '*');
  std::vector<std::pair<int32_t, std::string>> pairs;
  for (size_t p = 0; p + 1 < pieces.size(); p += 2) pairs.emplace_back(StrToIntDef(pieces[p], -1), pieces[p + 1]);
  return pairs;
}

// The hex digits of an "H" field that render, under `templ`, as the number
// `value` does: the inverse of FormatFieldValue for the numeric templates of
// the layouts ("w*", "w*.*f*", "1**1*"). Empty for a template whose
// rendering can't be given back (literals other than ".").
std::string DigitsFromValue(double value, const std::string& templ) {
  // A damaged file may hold anything; the fields are at most 32 bits wide.
  if (!std::isfinite(value) || std::fabs(value) > 4294967295.0) value = 0;
  const auto pairs = TemplatePairs(templ);
  if (pairs.size() == 1 && pairs[0].first > 0 && pairs[0].second.empty()) {
    const auto pattern = static_cast<uint32_t>(static_cast<int64_t>(std::llround(value)));
    return HexDigits(pattern, static_cast<size_t>(pairs[0].first));
  }
  if (pairs.size() == 2 && pairs[0].second == "." && pairs[1].second.empty() && pairs[0].first > 0 &&
      pairs[1].first > 0) {
    // The rendering shows as many decimals as the fraction has hex digits;
    // round to those first so that a float that stood for them gives them back.
    const int places = pairs[1].first;
    const double shown = std::round(value * std::pow(10.0, places)) / std::pow(10.0, places);
    const double fixed = std::round(shown * std::ldexp(1.0, 4 * places));
    return HexDigits(fixed > 0 ? static_cast<uint64_t>(fixed) : 0, static_cast<size_t>(pairs[0].first + places));
  }
  if (pairs.size() == 2 && pairs[0] == std::make_pair(1, std::string()) && pairs[1] == pairs[0]) {
    // Two hex digits rendered as two decimal numbers side by side: "31" was 3, 1.
    const int64_t n = std::llround(value);
    if (n < 0 || n / 10 > 15) return std::string();
    return HexDigits(static_cast<uint64_t>(n / 10), 1) + HexDigits(static_cast<uint64_t>(n % 10), 1);
  }
  return std::string();
}

// The hex digits of an "A", "C" or "B" field from its rendered text.
std::string DigitsFromText(const std::string& text, const std::string& sourceKind, const std::string& templ) {
  const bool decimal = !sourceKind.empty() && sourceKind[0] == 'B';
  std::string digits;
  size_t at = 0;
  for (const auto& pair : TemplatePairs(templ)) {
    if (pair.first <= 0) continue;
    const size_t chars = decimal ? static_cast<size_t>(pair.first) : static_cast<size_t>(pair.first) / 2;
    const std::string chunk = at < text.size() ? text.substr(at, chars) : std::string();
    digits += decimal ? chunk : BytesToHex(chunk);
    at += chars + pair.second.size();
  }
  return digits;
}

uint32_t LittleEndian32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

float FloatAt(const unsigned char* p) {
  const uint32_t bits = LittleEndian32(p);
  float f;
  std::memcpy(&f, &bits, sizeof f);
  return f;
}

// Little-endian 32-bit floats, as the layouts write the samples, turned
// into floats where they lie.
void FloatsInPlace(float* values, size_t count) {
  auto* p = reinterpret_cast<unsigned char*>(values);
  for (size_t i = 0; i < count; ++i, p += 4) values[i] = FloatAt(p);
}

// The number a numeric entry wrote.
double NumberAt(const std::string& kind, const unsigned char* p) {
  switch (kind.empty() ? '\0' : kind[0]) {
    case 'B':
      return p[0];
    case 'I':
      return static_cast<uint16_t>(p[0] | p[1] << 8);
    case 'L':
      return static_cast<int32_t>(LittleEndian32(p));
    case 'S':
    case 'F':
      return FloatAt(p);
    default:
      return 0;
  }
}

// The interval's float of milliseconds in a layout's header block, if the
// layout holds one.
std::optional<float> HeldIntervalMs(const std::vector<LayoutEntry>& fields, const char* block) {
  for (const LayoutEntry& f : fields)
    if (f.index == kEntryInterval && f.mode == 'N' && f.sourceKind == "H")
      return FloatAt(reinterpret_cast<const unsigned char*>(block + f.offset));
  return std::nullopt;
}

// Gives back, into `record`, the source digits of the entries of one group
// from the bytes that the layout wrote; returns the (offset, length) of the
// source fields given back. In the header pass the index rules of the
// conversion are undone.
std::vector<std::pair<int32_t, int32_t>> RecoverSource(const std::vector<LayoutEntry>& fields, const char* block,
                                                       bool headerPass, std::string& record) {
  std::vector<std::pair<int32_t, int32_t>> recovered;
  double preTrigger = 0;
  float intervalMs = 0;
  for (const LayoutEntry& f : fields) {
    if (f.mode != 'N' || f.sourceOffset < 0 || f.sourceLength <= 0 ||
        static_cast<size_t>(f.sourceOffset + f.sourceLength) > record.size())
      continue;
    const auto* bytes = reinterpret_cast<const unsigned char*>(block + f.offset);
    std::string digits;
    if (f.kind == "C" || f.kind == "U") {
      digits = DigitsFromText(std::string(block + f.offset, static_cast<size_t>(f.size)), f.sourceKind, f.templ);
    } else if (f.sourceKind == "H") {
      double value = NumberAt(f.kind, bytes);
      if (headerPass) {
        switch (f.index) {
          case kEntryPreTrigger:
            preTrigger = value;
            break;
          case kEntryTriggerVoltage:  // tenths of a volt
            value /= 10;
            break;
          case kEntryInterval:
            intervalMs = FloatAt(bytes);
            value *= 1000;
            break;
          case kEntryDelay:  // the first sample's delay in ms, pre-trigger part taken off
            value = (value + preTrigger * intervalMs) * 1000;
            break;
          case kEntrySystemDelay:
            value *= 1000;
            break;
          default:
            break;
        }
      }
      digits = DigitsFromValue(value, f.templ);
    }
    if (digits.empty()) continue;
    digits.resize(static_cast<size_t>(f.sourceLength), '0');
    record.replace(static_cast<size_t>(f.sourceOffset), digits.size(), digits);
    recovered.emplace_back(f.sourceOffset, f.sourceLength);
  }
  return recovered;
}

std::vector<bool> HeldFields(const std::vector<FieldSpec>& fields,
                             const std::vector<std::pair<int32_t, int32_t>>* recovered) {
  std::vector<bool> held;
  for (const FieldSpec& fieldSpec : fields) {
    bool is = recovered == nullptr;
    if (recovered)
      for (const auto& r : *recovered) is = is || (r.first == fieldSpec.offset && r.second == fieldSpec.length);
    held.push_back(is);
  }
  return held;
}

// The magic of a layout: the bytes of its first entry.
std::string Magic(const OutputLayout& layout) {
  for (const LayoutEntry& f : layout.header)
    if (f.index == kEntryMagic) return f.fixedValue.substr(0, kMagicBytes);
  return std::string();
}

// The row of the output formats' table whose magic `magic` is, or null.
const OutputFormat* FormatOfMagic(const std::string& magic) {
  if (magic.size() != kMagicBytes) return nullptr;
  for (const OutputFormat& format : OutputFormats())
    if (format.layout && magic == Magic(*format.layout)) return &format;
  return nullptr;
}

std::string ReadMagic(std::istream& in) {
  std::string magic(kMagicBytes, '\0');
  in.read(&magic[0], static_cast<std::streamsize>(magic.size()));
  magic.resize(static_cast<size_t>(in.gcount()));
  return magic;
}

// A header-pass entry's source field rendered with the entry's template.
std::string SourceValue(const std::vector<LayoutEntry>& header, int index, const std::string& record) {
  for (const LayoutEntry& f : header)
    if (f.index == index && f.sourceOffset >= 0 && f.sourceLength > 0)
      return FormatFieldValue(record.substr(static_cast<size_t>(f.sourceOffset), static_cast<size_t>(f.sourceLength)),
                              f.sourceKind, f.templ);
  return std::string();
}

double NumberOrZero(const std::string& text) {
  double value = 0;
  return ParseNumber(text, value) ? value : 0;
}

}  // namespace

const OutputFormat& FileFormat(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  const OutputFormat* format = FormatOfMagic(ReadMagic(in));
  return format ? *format : RawFormat();
}

bool RecordHeader::Holds(int fieldId) const {
  const bool channel = fieldId >= kFirstChannelFieldId;
  const std::vector<bool>& held = channel ? channelHeld : headerHeld;
  const size_t at = static_cast<size_t>(fieldId - (channel ? kFirstChannelFieldId : 1));
  return fieldId >= 1 && at < held.size() && held[at];
}

RecordReader::RecordReader(const fs::path& file, bool wholeFile) {
  RequireRegularFile(file);
  std::error_code ec;
  in_.open(file, std::ios::binary);
  if (!in_) throw Error(FailureText(Failure::kFileNotFound) + TextFromPath(file));
  header_.fileSize = fs::file_size(file, ec);

  const OutputFormat* format = FormatOfMagic(ReadMagic(in_));
  in_.clear();
  header_.format = format ? format : &RawFormat();
  layout_ = format ? format->layout : nullptr;

  header_.headerRecord.assign(kHeaderRecordChars, '0');
  // The named entries of any layout name the fields that the counts and
  // times come from.
  const std::vector<LayoutEntry>& sources = (layout_ ? *layout_ : *QfxFormat().layout).header;
  std::optional<float> heldIntervalMs;
  if (layout_) {
    const int32_t headerBytes = layout_->headerSize;
    std::vector<char> block(static_cast<size_t>(headerBytes));
    in_.seekg(0);
    in_.read(block.data(), headerBytes);
    if (in_.gcount() != headerBytes) throw FailureError(Failure::kIncompleteFile);
    const auto recovered = RecoverSource(layout_->header, block.data(), true, header_.headerRecord);
    heldIntervalMs = HeldIntervalMs(layout_->header, block.data());
    header_.headerHeld = HeldFields(HeaderGroupZeroFields(), &recovered);
    std::string probe(kChannelHeaderChars, '0');
    std::vector<char> zeros(static_cast<size_t>(layout_->channelHeaderSize));
    const auto channelRecovered = RecoverSource(layout_->channel, zeros.data(), false, probe);
    header_.channelHeld = HeldFields(HeaderGroupOneFields(), &channelRecovered);
    dataStart_ = static_cast<uint64_t>(headerBytes);
    channelHeaderBytes_ = static_cast<uint64_t>(layout_->channelHeaderSize);
  } else {
    std::string head(kRawLeadingChars + kHeaderRecordChars, '\0');
    in_.seekg(0);
    in_.read(&head[0], static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<size_t>(in_.gcount()));
    for (char c : head)
      if (HexDigitValue(c) < 0) throw FailureError(Failure::kUnknownFormat);
    if (head.size() < kRawLeadingChars + kHeaderRecordChars) throw FailureError(Failure::kIncompleteFile);
    header_.headerRecord = head.substr(kRawLeadingChars);
    header_.headerHeld = HeldFields(HeaderGroupZeroFields(), nullptr);
    header_.channelHeld = HeldFields(HeaderGroupOneFields(), nullptr);
    dataStart_ = kRawLeadingChars + kHeaderRecordChars;
    channelHeaderBytes_ = kChannelHeaderChars;
  }

  const std::string& record = header_.headerRecord;
  header_.channelCount = StrToIntDef(SourceValue(sources, kEntryChannels, record), 0);
  header_.sampleCount = StrToIntDef(SourceValue(sources, kEntrySamples, record), 0);
  header_.preTriggerCount = StrToIntDef(SourceValue(sources, kEntryPreTrigger, record), 0);
  header_.intervalUs = NumberOrZero(SourceValue(sources, kEntryInterval, record));
  header_.sampleDelayUs = NumberOrZero(SourceValue(sources, kEntryDelay, record));
  header_.heldIntervalUs = heldIntervalMs ? static_cast<double>(*heldIntervalMs) * 1000 : header_.intervalUs;
  if (wholeFile && (header_.channelCount <= 0 || header_.sampleCount <= 0))
    throw FailureError(Failure::kNoTracesOrSamples);

  // Raw or not, a channel is its header and 4 bytes per sample.
  channelBytes_ = channelHeaderBytes_ + 4ull * static_cast<uint64_t>(std::max(header_.sampleCount, 0));
  header_.declaredSize = dataStart_ + channelBytes_ * static_cast<uint64_t>(std::max(header_.channelCount, 0));
  if (wholeFile && header_.fileSize < header_.declaredSize) throw FailureError(Failure::kIncompleteFile);
  buffer_.resize(static_cast<size_t>(channelBytes_));
  position_ = UINT64_MAX;
}

RecordReader::~RecordReader() = default;

void RecordReader::ReadChannel(int index, RecordChannel& channel, bool withSamples) {
  ThrowIfWorkAborted();
  if (index < 0 || index >= header_.channelCount) throw FailureError(Failure::kIncompleteFile);
  const uint64_t at = dataStart_ + channelBytes_ * static_cast<uint64_t>(index);
  if (at != position_) {
    in_.clear();
    in_.seekg(static_cast<std::streamoff>(at));
  }
  const uint64_t bytes = withSamples ? channelBytes_ : channelHeaderBytes_;
  in_.read(buffer_.data(), static_cast<std::streamsize>(bytes));
  if (static_cast<uint64_t>(in_.gcount()) != bytes) {
    position_ = UINT64_MAX;
    throw FailureError(Failure::kIncompleteFile);
  }
  position_ = at + bytes;

  channel.index = index;
  if (layout_) {
    channel.header.assign(kChannelHeaderChars, '0');
    RecoverSource(layout_->channel, buffer_.data(), false, channel.header);
  } else {
    channel.header.assign(buffer_.data(), kChannelHeaderChars);
  }
  if (!withSamples) return channel.samples.clear();
  const size_t count = static_cast<size_t>(header_.sampleCount);
  const char* samples = buffer_.data() + channelHeaderBytes_;
  channel.samples.resize(count);
  if (count == 0) return;  // a header that declares none: no buffer to copy into
  // Either way the samples become the little-endian floats that a layout
  // holds: the raw digits through the converter's own sample pass.
  if (layout_)
    std::memcpy(channel.samples.data(), samples, 4 * count);
  else
    ConvertSamples(samples, count, reinterpret_cast<char*>(channel.samples.data()));
  FloatsInPlace(channel.samples.data(), count);
}

Record ReadRecord(const fs::path& path) {
  RecordReader reader(path);
  Record record;
  record.header = reader.header();
  record.channels.resize(static_cast<size_t>(record.header.channelCount));
  for (int i = 0; i < record.header.channelCount; ++i) reader.ReadChannel(i, record.channels[static_cast<size_t>(i)]);
  return record;
}

static std::vector<FieldLine> Lines(const std::vector<FieldSpec>& fields, const std::vector<bool>& held,
                                    const std::string& record) {
  std::vector<FieldLine> lines;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i < held.size() && !held[i]) continue;
    const FieldSpec& fieldSpec = fields[i];
    lines.push_back({fieldSpec.name, FieldText(record, fieldSpec), StrToIntDef(fieldSpec.index, 0)});
  }
  return lines;
}

std::vector<FieldLine> HeaderFieldLines(const RecordHeader& header) {
  return Lines(HeaderGroupZeroFields(), header.headerHeld, header.headerRecord);
}

std::vector<FieldLine> ChannelFieldLines(const RecordHeader& header, const std::string& channelHeader) {
  return Lines(HeaderGroupOneFields(), header.channelHeld, channelHeader);
}

FieldSpec TableField(int tableIndex) {
  for (const auto* fields : {&HeaderGroupZeroFields(), &HeaderGroupOneFields()})
    for (const FieldSpec& fieldSpec : *fields)
      if (StrToIntDef(fieldSpec.index, -1) == tableIndex) return fieldSpec;
  throw Error();
}

std::string PlainFieldValue(const std::string& record, int tableIndex) {
  FieldSpec fieldSpec = TableField(tableIndex);
  auto pairs = TemplatePairs(fieldSpec.templ);
  if (!pairs.empty()) pairs.back().second.clear();
  fieldSpec.templ.clear();
  for (const auto& pair : pairs) fieldSpec.templ += std::to_string(pair.first) + "*" + pair.second + "*";
  return FieldText(record, fieldSpec);
}

int32_t ChannelNumber(const std::string& channelHeader) {
  return static_cast<int32_t>(NumberOrZero(PlainFieldValue(channelHeader, kFieldChannelNumber)));
}

double SourceDistanceM(const std::string& channelHeader) {
  return NumberOrZero(PlainFieldValue(channelHeader, kFieldDistance));
}

std::array<int32_t, 6> AnalysisPoints(const std::string& channelHeader) {
  std::array<int32_t, 6> points{};
  for (size_t k = 0; k < points.size(); ++k)
    points[k] = static_cast<int32_t>(NumberOrZero(PlainFieldValue(channelHeader, AnalysisPointField(static_cast<int>(k)))));
  return points;
}

}  // namespace gt7p
