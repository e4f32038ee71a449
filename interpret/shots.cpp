#include "interpret/shots.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <system_error>

#include "base/cp936.h"
#include "base/error.h"
#include "base/text.h"
#include "interpret/picker.h"
#include "records/records.h"

namespace gt7p {
namespace interpret {

double FieldNumber(const std::string& record, int tableIndex) {
  double value = 0;
  return ParseNumber(Trim(PlainFieldValue(record, tableIndex)), value) && std::isfinite(value) ? value : 0.0;
}

namespace {

constexpr int kFieldLayerCount = 12;    // "探测层数"
constexpr int kFieldKnownVelocity = 17; // "已知速度V0", m/ms
constexpr int kFieldFirstLayer = 40;    // "第一层厚度"; velocity and dip follow, then the next layer's

}  // namespace

const char* PickSourceName(PickSource source) {
  switch (source) {
    case PickSource::kOperator: return "operator";
    case PickSource::kInstrument: return "instrument";
    case PickSource::kAuto: break;
  }
  return "auto";
}

std::optional<PickSource> PickSourceNamed(const std::string& name) {
  for (PickSource source : {PickSource::kOperator, PickSource::kInstrument, PickSource::kAuto})
    if (name == PickSourceName(source)) return source;
  return std::nullopt;
}

int MethodCodeOf(const RecordHeader& header) {
  return static_cast<int>(FieldNumber(header.headerRecord, kFieldMethod));
}

bool IsRefractionMethod(int method) { return method == 30 || method == 31 || method == 32; }

namespace {

// The header's part of a shot: method, sampling, known velocity, its own
// layer results.
Shot HeaderShot(const RecordHeader& header, const std::string& fileUtf8, const LineRow* geometry) {
  Shot shot;
  shot.file = fileUtf8;
  shot.sourceX = geometry ? geometry->sourceX : 0.0;
  shot.method = MethodCodeOf(header);
  shot.sampleMs = header.intervalUs / 1000;
  if (header.Holds(kFieldKnownVelocity)) shot.knownV1MS = FieldNumber(header.headerRecord, kFieldKnownVelocity) * 1000;
  if (header.Holds(kFieldLayerCount)) shot.headerLayerCount = static_cast<int>(FieldNumber(header.headerRecord, kFieldLayerCount));
  for (int layer = 0; layer < 5; ++layer) {
    const int field = kFieldFirstLayer + 3 * layer;
    if (!header.Holds(field)) break;
    shot.headerLayers.push_back({FieldNumber(header.headerRecord, field),
                                 FieldNumber(header.headerRecord, field + 1) * 1000,
                                 FieldNumber(header.headerRecord, field + 2)});
  }
  return shot;
}

// The first breaks of the channels' picks (sample numbers from 1, 0 for
// none) into `shot`, and the reflections' picks where given.
void AddBreaks(Shot& shot, const RecordHeader& header, const std::vector<RecordChannel>& channels,
               const std::vector<int32_t>& picks, const LineRow* geometry,
               const std::vector<int32_t>* reflections = nullptr) {
  const double systemDelayMs = header.Holds(kFieldSystemDelay) ? FieldNumber(header.headerRecord, kFieldSystemDelay) / 1000 : 0.0;
  const SampleTimes times = RecordSampleTimes(header);
  bool offLine = false;
  auto pickAt = [&](size_t i, int32_t sample) {
    FirstBreak at;
    at.channel = ChannelNumber(channels[i].header);
    const double distance = SourceDistanceM(channels[i].header);
    at.receiverX = geometry ? geometry->ReceiverX(at.channel) : distance;
    at.elevationM = FieldNumber(channels[i].header, kFieldElevation);
    at.timeMs = times.AtMs(sample - 1) - systemDelayMs;
    if (geometry && std::fabs(std::fabs(at.receiverX - shot.sourceX) - distance) > 0.01 * distance) offLine = true;
    return at;
  };
  for (size_t i = 0; i < channels.size(); ++i) {
    if (i < picks.size() && picks[i] > 0) shot.breaks.push_back(pickAt(i, picks[i]));
    if (reflections && i < reflections->size() && (*reflections)[i] > 0)
      shot.reflections.push_back(pickAt(i, (*reflections)[i]));
  }
  if (offLine)
    shot.warnings.push_back(shot.file + "：有检波点与源的距离和“源检距”相差超过 1%，请检查测线几何文件");
}

bool AnyPick(const std::vector<int32_t>& picks) {
  for (int32_t v : picks)
    if (v > 0) return true;
  return false;
}

// The first breaks of the first source in order that has any (of `only`
// alone when given, whatever it holds), and that source.
PickSource FirstSourceWithPicks(std::optional<PickSource> only,
                                const std::function<std::vector<int32_t>(PickSource)>& picksOf,
                                std::vector<int32_t>& picks) {
  for (PickSource source : {PickSource::kOperator, PickSource::kInstrument, PickSource::kAuto}) {
    if (only && *only != source) continue;
    picks = picksOf(source);
    if (only || AnyPick(picks)) return source;
  }
  return PickSource::kAuto;
}

// The record's own t0 points per channel (0 where none or out of the
// record).
std::vector<int32_t> InstrumentPicks(const RecordHeader& header, const std::vector<RecordChannel>& channels) {
  std::vector<int32_t> picks(channels.size(), 0);
  if (HoldsPicks(header))
    for (size_t i = 0; i < channels.size(); ++i) {
      const int32_t value = AnalysisPoints(channels[i].header)[0];
      if (PickSampleIndex(value, header.sampleCount) >= 0) picks[i] = value;
    }
  return picks;
}

}  // namespace

Shot ShotOfRecord(const Record& record, const std::vector<int32_t>& operatorPicks,
                  const std::vector<const std::vector<float>*>& traces, size_t from, size_t to,
                  const std::string& fileUtf8, const LineRow* geometry,
                  const std::vector<int32_t>& reflectionPicks) {
  Shot shot = HeaderShot(record.header, fileUtf8, geometry);
  std::vector<int32_t> picks;
  shot.source = FirstSourceWithPicks(
      std::nullopt,
      [&](PickSource source) {
        switch (source) {
          case PickSource::kOperator: return operatorPicks;
          case PickSource::kInstrument: return InstrumentPicks(record.header, record.channels);
          case PickSource::kAuto: break;
        }
        if (traces.empty()) return std::vector<int32_t>();
        return PickFirstBreaks(traces, record.header.intervalUs, from, to);
      },
      picks);
  AddBreaks(shot, record.header, record.channels, picks, geometry, &reflectionPicks);
  return shot;
}

Shot ShotFromPicks(const Record& record, const std::vector<int32_t>& picks, const std::string& fileUtf8,
                   const LineRow* geometry) {
  Shot shot = HeaderShot(record.header, fileUtf8, geometry);
  shot.source = PickSource::kOperator;
  AddBreaks(shot, record.header, record.channels, picks, geometry);
  return shot;
}

Shot LoadShot(const std::filesystem::path& record, const LineRow* geometry, std::optional<PickSource> only) {
  RecordReader reader(record);
  const RecordHeader& header = reader.header();
  Shot shot = HeaderShot(header, Utf8FromPath(record.filename()), geometry);

  std::vector<RecordChannel> channels(static_cast<size_t>(header.channelCount));
  std::vector<int32_t> numbers;
  for (int i = 0; i < header.channelCount; ++i) {
    reader.ReadChannel(i, channels[static_cast<size_t>(i)], false);
    numbers.push_back(ChannelNumber(channels[static_cast<size_t>(i)].header));
  }

  // Sample numbers (from 1; 0 for none) per channel, from the first source
  // that has any.
  const std::filesystem::path table = PicksFileOf(record);
  std::error_code missing;
  std::vector<PickRow> rows;
  const bool tabled = std::filesystem::exists(table, missing);
  if (tabled) rows = ReadPicksTable(table);
  const std::vector<int32_t> reflections = PicksOf(numbers, header.sampleCount, shot.file, rows, kReflectionPick, nullptr);
  std::vector<int32_t> picks;
  shot.source = FirstSourceWithPicks(
      only,
      [&](PickSource source) {
        std::vector<int32_t> found;
        switch (source) {
          case PickSource::kOperator:
            if (tabled) found = FirstBreaksOf(numbers, header.sampleCount, shot.file, rows, nullptr);
            if (only && !AnyPick(found)) throw Error(Utf8ToCp936("没有操作员拾取的初至：") + TextFromPath(table));
            return found;
          case PickSource::kInstrument:
            if (only) RequirePicks(header, TextFromPath(record.filename()));
            return InstrumentPicks(header, channels);
          case PickSource::kAuto: break;
        }
        for (int i = 0; i < header.channelCount; ++i) reader.ReadChannel(i, channels[static_cast<size_t>(i)], true);
        std::vector<const std::vector<float>*> traces;
        for (const RecordChannel& channel : channels) traces.push_back(&channel.samples);
        return PickFirstBreaks(traces, header.intervalUs, static_cast<size_t>(std::max(0, header.preTriggerCount)));
      },
      picks);

  AddBreaks(shot, header, channels, picks, geometry, &reflections);
  return shot;
}

}  // namespace interpret
}  // namespace gt7p
