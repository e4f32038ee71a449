#include "sim/record_maker.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ostream>
#include <stdexcept>

#include "base/cp936.h"
#include "base/text.h"
#include "records/records.h"

namespace gt7p {
namespace sim {
namespace {

// Counts of the template's first two chunks and whether a "." stands between.
struct Shape {
  int whole = 0, fraction = 0;
};

Shape ShapeOf(const std::string& templ) {
  std::vector<std::string> pieces = SplitText(templ.substr(0, templ.find(Utf8ToCp936("◇"))), '*');
  Shape shape;
  shape.whole = pieces.empty() ? 0 : StrToIntDef(pieces[0], 0);
  if (pieces.size() >= 3 && pieces[1] == ".") shape.fraction = StrToIntDef(pieces[2], 0);
  return shape;
}

uint32_t Lcg(uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

}  // namespace

RecordBuilder::RecordBuilder(Group group)
    : fields_(group == kFileHeader ? HeaderGroupZeroFields() : HeaderGroupOneFields()),
      chars_(group == kFileHeader ? kHeaderRecordChars : kChannelHeaderChars, '0') {}

RecordBuilder::Place RecordBuilder::Find(const std::string& name) const {
  const std::string wanted = Utf8ToCp936(name);
  for (const FieldSpec& fieldSpec : fields_) {
    if (fieldSpec.name == wanted)
      return Place{static_cast<size_t>(fieldSpec.offset), static_cast<size_t>(fieldSpec.length), fieldSpec.templ};
  }
  throw std::invalid_argument("no field named " + name);
}

RecordBuilder& RecordBuilder::Number(const std::string& name, double value) {
  Place place = Find(name);
  Shape shape = ShapeOf(place.templ);
  std::string digits;
  if (shape.fraction > 0) {
    double scaled = std::round(value * std::pow(16.0, shape.fraction));
    uint64_t fixed = static_cast<uint64_t>(std::max(0.0, scaled));
    digits = HexDigits(fixed, place.length);
  } else {
    digits = HexDigits(static_cast<uint32_t>(static_cast<int64_t>(std::llround(value))), place.length);
  }
  chars_.replace(place.offset, place.length, digits.substr(digits.size() - place.length));
  return *this;
}

RecordBuilder& RecordBuilder::Text(const std::string& name, const std::string& cp936) {
  Place place = Find(name);
  std::string digits = BytesToHex(cp936);
  digits.resize(place.length, '0');
  chars_.replace(place.offset, place.length, digits);
  return *this;
}

RecordBuilder& RecordBuilder::Digits(const std::string& name, const std::string& digits) {
  Place place = Find(name);
  std::string d = digits;
  d.resize(place.length, '0');
  chars_.replace(place.offset, place.length, d);
  return *this;
}

static std::string NameField(const std::string& name83) {
  size_t dot = name83.find('.');
  std::string base = name83.substr(0, dot), ext = dot == std::string::npos ? "" : name83.substr(dot + 1);
  base.resize(8, '\0');
  ext.resize(3, '\0');
  return base + ext;
}

// Bytes of instrument data: header, then per channel its header and samples.
static uint32_t ByteCount(const SurveyFile& f) {
  // The field holds 32 bits: a larger record's count wraps, as the instrument's would.
  return static_cast<uint32_t>(kHeaderRecordChars / 2 + static_cast<uint64_t>(f.channels) *
                                                            (kChannelHeaderChars / 2 + 2ull * static_cast<uint64_t>(f.samples)));
}

double GroundArrivalMs(const GroundModel& g, double receiverX) {
  const std::vector<double>& v = g.velocities;
  const double offset = std::fabs(receiverX - g.sourceX);
  if (v.empty()) return 0;
  double best = offset / v[0];
  if (v.size() == 2 && g.depths.size() == 1) {
    // A dipping boundary: h the perpendicular distance below the source,
    // offset * sin(theta +- dip) / v1 + 2 h cos(theta) / v1.
    const double dip = g.dipDeg * M_PI / 180, theta = std::asin(v[0] / v[1]);
    const double h = (g.depths[0] + g.sourceX * std::tan(dip)) * std::cos(dip);
    const double toward = receiverX >= g.sourceX ? dip : -dip;
    best = std::min(best, offset * std::sin(theta + toward) / v[0] + 2 * h * std::cos(theta) / v[0]);
  } else {
    for (size_t n = 1; n < v.size() && n <= g.depths.size(); ++n) {
      double t = offset / v[n];
      for (size_t j = 0; j < n; ++j) {
        const double thickness = g.depths[j] - (j > 0 ? g.depths[j - 1] : 0.0);
        t += 2 * thickness * std::sqrt(std::max(0.0, 1 - std::pow(v[j] / v[n], 2))) / v[j];
      }
      best = std::min(best, t);
    }
  }
  return best * 1000;
}

std::string MakeHeaderRecord(const SurveyFile& f) {
  RecordBuilder b(RecordBuilder::kFileHeader);
  b.Text("原始文件名称", NameField(f.name));
  b.Number("存储地址", 0x1000 + (f.seed % 64) * 0x4000);
  b.Number("字节数量", ByteCount(f));
  b.Number("编辑标志", 1);
  b.Digits("探测时间", f.timestamp);
  b.Text("探测地点", Utf8ToCp936(f.placeUtf8));
  b.Number("测线编号", 1 + f.seed % 7);
  b.Number("测点编号", 1 + f.seed % 40);
  b.Number("触发方式", f.seed % 4);
  b.Number("触发电压", 4.2);
  b.Number("探测介质", f.medium);
  b.Number("探测层数", 2);
  b.Number("最小厚度h1", 0.5);
  b.Number("最大厚度h2", 30.0);
  b.Number("最小速度v1", 0.3);
  b.Number("最大速度v2", 5.5);
  b.Number("已知速度V0", f.velocity);
  b.Number("最大源检距", f.stepM * f.channels);
  b.Number("步距", f.stepM);
  b.Number("道数", f.channels);
  b.Number("采样点数", f.samples);
  b.Number("超前采样点数", f.preTrigger);
  b.Number("采样间隔", f.intervalUs);
  b.Number("采样延时", 0);
  b.Number("系统延时", 1.25);
  b.Digits("探测方法", std::to_string(f.method / 10 % 10) + std::to_string(f.method % 10));
  b.Number("解析方法", 0);
  b.Number("初至系数K", 1.5);
  b.Number("幅谱阀值Av", 0.25);
  b.Number("判拐系数C", 2.0);
  b.Number("深度波长比e", 0.5);
  b.Number("相干阀值Kv", 0.75);
  b.Number("FFT点数", f.samples);
  b.Number("插值点数", 4);
  b.Number("频段起点", 20);
  b.Number("频段终点", 2000);
  b.Digits("解析标识", "20");
  b.Number("频段起点f1", 20.5);
  b.Number("频段终点f2", 1800.25);
  const GroundModel& g = f.ground;
  if (g.velocities.empty()) {
    b.Number("第一层厚度", 3.5);
    b.Number("第一层速度", f.velocity * 0.6);
    b.Number("第一层倾角", 5.25);
    b.Number("第二层厚度", 12.75);
    b.Number("第二层速度", f.velocity);
    b.Number("第二层倾角", 2.5);
    return b.chars();
  }
  // The layer results of the model below the source, as the instrument
  // would have found them.
  static const char* const kOrdinals[] = {"一", "二", "三", "四", "五"};
  b.Number("探测层数", static_cast<double>(g.velocities.size()));
  const double slope = g.velocities.size() == 2 ? std::tan(g.dipDeg * M_PI / 180) : 0.0;
  double above = 0;
  for (size_t k = 0; k < g.velocities.size() && k < 5; ++k) {
    const std::string layer = std::string("第") + kOrdinals[k] + "层";
    const double bottom = k < g.depths.size() ? g.depths[k] + g.sourceX * slope : above;
    b.Number(layer + "厚度", bottom - above);
    b.Number(layer + "速度", g.velocities[k] / 1000);
    b.Number(layer + "倾角", k < g.depths.size() && g.velocities.size() == 2 ? std::fabs(g.dipDeg) : 0.0);
    above = bottom;
  }
  return b.chars();
}

std::string MakeChannel(const SurveyFile& f, int ch) {
  // First arrival of a refraction shot: linear moveout with distance, a
  // damped wavelet after it and low noise before.
  uint32_t noise = f.seed * 2654435761u + static_cast<uint32_t>(ch) * 40503u + 7u;
  const double dtMs = f.intervalUs * 0.001;
  const GroundModel& g = f.ground;
  const bool modelled = !g.velocities.empty();
  const double receiverX = g.firstReceiverX + (ch - 1) * g.spacing;
  const double distance = modelled ? std::fabs(receiverX - g.sourceX) : f.stepM * ch;
  // A modelled shot goes off the system delay (1.25 us) after the trigger.
  const double arrivalMs = modelled ? GroundArrivalMs(g, receiverX) + 0.00125 : 0.5 + distance / f.velocity;
  const double noiseCounts = modelled ? g.noise : 200;
  const double freqKhz = 0.6 + 0.05 * (f.seed % 5);
  const double plateKhz = f.plateM > 0 ? 0.5 * f.velocity / f.plateM : 0;
  const double reflectionMs =
      f.reflectorM > 0 && !modelled ? 0.5 + std::hypot(2 * f.reflectorM, distance) / f.velocity : 0;
  const double amplitude = 24000.0 / (1.0 + 0.08 * (ch % 64));
  // The damped wavelet of an arrival `t` ms after its onset.
  const auto wavelet = [&](double t) { return std::exp(-t * 1.2) * std::sin(2 * M_PI * freqKhz * t); };
  std::string samples;
  samples.reserve(4 * static_cast<size_t>(f.samples));
  int peak = 0;
  for (int i = 0; i < f.samples; ++i) {
    double t = (i - f.preTrigger) * dtMs - arrivalMs;
    const uint32_t span = 2 * static_cast<uint32_t>(std::max(0.0, noiseCounts)) + 1;
    double v = static_cast<double>(Lcg(noise) % span) - std::max(0.0, std::floor(noiseCounts));
    if (t > 0 && f.plateM > 0)
      v += amplitude * (0.8 * std::exp(-t / 2.5) * std::sin(2 * M_PI * plateKhz * t) +
                        0.3 * std::exp(-t / 1.5) * std::sin(2 * M_PI * 0.3 * t));
    else if (t > 0)
      v += amplitude * wavelet(t);
    if (const double r = (i - f.preTrigger) * dtMs - reflectionMs; reflectionMs > 0 && r > 0)
      v += 0.4 * amplitude * wavelet(r);
    int s = static_cast<int>(std::lround(std::clamp(v, -32768.0, 32767.0)));
    samples += HexDigits(static_cast<uint16_t>(s), 4);
    peak = std::max(peak, std::abs(s));
  }
  RecordBuilder h(RecordBuilder::kChannelHeader);
  h.Number("源检距", distance);
  h.Number("相对高程", ch % 3);
  h.Number("道号", ch);
  h.Number("低截频率fL", 10.0);
  h.Number("高截频率fH", 2000.0);
  h.Number("前放增益", 24 + 6 * (ch % 3));
  h.Number("浮点增益类型", ch % 4);
  h.Number("浮点增益起点", 0);
  h.Number("波形最大绝对值", std::min(peak, 32767));
  h.Number("叠加次数", 1 + f.seed % 3);
  // t0 at the sample at or just before the first arrival, as the
  // instrument counts samples: from 1 at the first recorded one, pre-trigger
  // samples included, within its range note "（1-8192）"; 0 (no point) when
  // the arrival lies beyond the record.
  const int t0 = f.preTrigger + static_cast<int>(modelled ? std::lround(arrivalMs / dtMs) : static_cast<long>(arrivalMs / dtMs)) + 1;
  h.Number("第零层解析点t0", t0 <= std::min(f.samples, 8192) ? t0 : 0);
  return h.chars() + samples;
}

std::string MakeChannelData(const SurveyFile& f) {
  std::string out;
  for (int ch = 1; ch <= f.channels; ++ch) out += MakeChannel(f, ch);
  return out;
}

static std::string ReplyTrailer(const SurveyFile& f) { return "00" + HexDigits(ByteCount(f), 4); }

std::string MakeFileReply(const SurveyFile& f) {
  return "1020" + MakeHeaderRecord(f) + ReplyTrailer(f) + MakeChannelData(f);
}

std::string MakeRawFile(const SurveyFile& f) {
  // The transfer moves the 6 characters after the header in front of it.
  return "1020" + ReplyTrailer(f) + MakeHeaderRecord(f) + MakeChannelData(f);
}

bool WriteRawFile(const SurveyFile& f, std::ostream& out) {
  std::string head = "1020" + ReplyTrailer(f) + MakeHeaderRecord(f);
  out.write(head.data(), static_cast<std::streamsize>(head.size()));
  for (int ch = 1; ch <= f.channels && out; ++ch) {
    std::string channel = MakeChannel(f, ch);
    out.write(channel.data(), static_cast<std::streamsize>(channel.size()));
  }
  return static_cast<bool>(out);
}

std::vector<SurveyFile> DemoSurveyFiles() {
  struct Row {
    const char* name;
    const char* place;
    const char* time;
    int method, medium, channels, samples, pre;
    double interval, step, velocity;
    double plate = 0, reflector = 0;
  };
  static const Row rows[] = {
      {"ZS0001.DAT", "淮南谢桥矿一采区", "20240315093012", 30, 0, 12, 1024, 0, 10.0, 1.0, 1.8},
      {"ZS0002.DAT", "淮南谢桥矿一采区", "20240315094527", 31, 0, 24, 1024, 16, 10.0, 1.0, 1.8},
      {"SD0103.DAT", "大同塔山矿北翼", "20240402141205", 32, 2, 12, 2048, 0, 20.0, 0.5, 3.2},
      {"HD0017.DAT", "平顶山十二矿", "20240519081733", 10, 0, 12, 1024, 0, 5.0, 0.5, 1.5, 0.6},
      {"FS0208.DAT", "兖州东滩煤矿", "20240611160940", 40, 1, 24, 2048, 32, 25.0, 2.0, 0.9, 0, 6.0},
      {"ZS0003.DAT", "淮南谢桥矿二采区", "20240702102255", 20, 2, 12, 1024, 0, 10.0, 1.5, 4.1},
  };
  std::vector<SurveyFile> files;
  uint32_t seed = 11;
  for (const Row& r : rows) {
    SurveyFile f;
    f.name = r.name;
    f.placeUtf8 = r.place;
    f.timestamp = r.time;
    f.method = r.method;
    f.medium = r.medium;
    f.channels = r.channels;
    f.samples = r.samples;
    f.preTrigger = r.pre;
    f.intervalUs = r.interval;
    f.stepM = r.step;
    f.velocity = r.velocity;
    f.plateM = r.plate;
    f.reflectorM = r.reflector;
    f.seed = seed++;
    files.push_back(f);
  }
  return files;
}

std::vector<SurveyFile> LineSurveyFiles() {
  std::vector<SurveyFile> files;
  const double sources[] = {0, 23, 46};
  const char* const times[] = {"20240903101500", "20240903103012", "20240903104548"};
  for (int i = 0; i < 3; ++i) {
    SurveyFile f;
    f.name = "ZX000" + std::to_string(i + 1) + ".DAT";
    f.placeUtf8 = "淮南谢桥矿三采区";
    f.timestamp = times[i];
    f.method = i == 1 ? 30 : 31;
    f.medium = 2;
    f.channels = 24;
    f.samples = 2048;
    f.intervalUs = 50.0;
    f.stepM = 2.0;
    f.velocity = 0.6;
    f.seed = 51 + static_cast<uint32_t>(i);
    f.ground.velocities = {600, 2400};
    f.ground.depths = {4};
    f.ground.dipDeg = 8;
    f.ground.sourceX = sources[i];
    f.ground.firstReceiverX = 0;
    f.ground.spacing = 2;
    f.ground.noise = 150;
    files.push_back(f);
  }
  return files;
}

}  // namespace sim
}  // namespace gt7p
