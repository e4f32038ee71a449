// gt7p-cli interpret, and picks --format sgt: layer velocities, depths and
// dips from refraction records, and a line's first breaks for tomography.
#include <cmath>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "base/cp936.h"
#include "base/error.h"
#include "base/output_file.h"
#include "base/text.h"
#include "cli/cli_common.h"
#include "cli/commands.h"
#include "cli/interpret_options.h"
#include "interpret/interpret.h"

namespace gt7p {
namespace cli {

namespace {

const char kInterpretUsage[] =
    "usage: gt7p-cli interpret [--method refraction|thickness|reflection|two-point]\n"
    "                [--layers N] [--picks operator|instrument|auto]\n"
    "                [--geometry LINE.csv] [--origin] [--v1 V|header]\n"
    "                [--band LO,HI] [--traces LIST] [--velocity V] [--json]\n"
    "                [--csv OUT.csv] FILE...\n"
    "Interprets a record by its survey method (\"探测方法\"), or by --method:\n"
    "  refraction (30, 31, 32), thickness (10, 11), reflection (40, 41),\n"
    "  two-point (20). A user survey (00) has no method of its own: give --method.\n"
    "\n"
    "Thickness: one record's amplitude spectrum (the traces summed, zero-padded\n"
    "at least four times), its strongest peak in the band, accepted when it\n"
    "stands \"幅谱阀值Av\" times (2 where the header holds 0) above the band's\n"
    "median, refined between bins. Thickness = e * V0 / f_peak, e the header's\n"
    "\"深度波长比e\" (0.5 where 0). A thickness outside the header's h1..h2 is\n"
    "flagged. The header's FFT points, interpolation points and band f1/f2 are\n"
    "shown, not used. Limits: one plate of one velocity, its thickness resonance\n"
    "the strongest peak in the band.\n"
    "  --band LO,HI  the band in Hz; default the spectrum above its lowest 1 %\n"
    "  --traces LIST the channels (\"道号\") whose spectra are summed, as 1,3,5-8;\n"
    "               default every trace\n"
    "  --velocity V  V0 in m/s instead of the header's \"已知速度V0\" (thickness,\n"
    "               reflection)\n"
    "\n"
    "Reflection: the operator's reflection picks (rows labelled refl in\n"
    "NAME.picks.csv, at least two offsets) fitted by t^2 = T0^2 + x^2/v^2: the\n"
    "velocity, the zero-offset time T0, the reflector's depth v*T0/2 and each\n"
    "trace's residual. With a known V0 also each trace's depth\n"
    "0.5*sqrt(V0^2 t^2 - x^2) and their spread (one trace suffices); a trace where\n"
    "V0*t < x has none. Limits: a flat reflector under one velocity. Advance\n"
    "probing ahead of a face (reflectors crossing the roadway, linear moveout) is\n"
    "a later step.\n"
    "\n"
    "Two-point: the velocity between each pair of neighbouring receivers from\n"
    "their first breaks (offset difference over time difference) and the mean;\n"
    "first breaks as for refraction (--picks).\n"
    "\n"
    "Thickness, reflection and two-point take one FILE.\n"
    "\n"
    "Refraction: layer velocities, depths and dips from the first breaks.\n"
    "One record: flat layers below its shot.\n"
    "Two or more records shot into one spread (a geometry file is needed): the\n"
    "refractors' true velocities and dips, the depths below each shot and, by\n"
    "the plus-minus method, below every receiver that head waves of opposite\n"
    "shots reach (for a line, the mean over the pairs and their spread).\n"
    "  --layers N   2 to 5 layers, the top one (direct wave) counted; without it\n"
    "               the fit chooses the fewest the first breaks carry\n"
    "  --picks S    first breaks from the operator's NAME.picks.csv (t0 rows), the\n"
    "               record's own t0 points, or the automatic picker; without it\n"
    "               the first of these that a record has\n"
    "  --geometry LINE.csv  where sources and receivers stand: a header line, then\n"
    "               file,source_x_m,first_receiver_x_m,receiver_spacing_m per\n"
    "               record (and an optional column layers, the viewer's layer\n"
    "               choices, as \"11:2 12:2\"); without it the source is at 0\n"
    "               and each receiver at its \"源检距\"\n"
    "  The operator's layer choices made in the viewer count: a line's from its\n"
    "  geometry file, a lone record's from NAME.layers.csv beside it.\n"
    "  --origin     the direct wave through time 0 (no time-zero offset fitted)\n"
    "  --v1 V       the top layer's velocity in m/s (or the header's \"已知速度V0\")\n"
    "  --method refraction  any record's first breaks taken as refraction\n"
    "  --json       JSON: method (\"refraction\"), layers (velocity_m_s, dip_deg),\n"
    "               shots (file, x_m, depths_m, picks_source), receivers (x_m,\n"
    "               depths_m), rms_ms, warnings. Thickness: method, peak_hz,\n"
    "               velocity_m_s, thickness_m; reflection: method, velocity_m_s,\n"
    "               zero_offset_ms, depth_m, traces; two-point: method, pairs,\n"
    "               velocity_m_s (the mean)\n"
    "  --csv OUT.csv  the result as a table too (UTF-8, a header line, CR LF):\n"
    "               kind (layer, shot, receiver, pair), number, then the JSON's\n"
    "               fields, one column per boundary (depth_1_m, intercept_1_ms,\n"
    "               crossover_1_m, spread_1_m, ...); the numbers as in --json,\n"
    "               empty where it has null\n"
    "Times count from the shot: the record's time axis less its system delay. The\n"
    "direct wave's intercept is reported as the time-zero offset (a trigger check,\n"
    "warned above two samples) and taken off the refractors' intercepts. Depths are\n"
    "vertical, in metres below the spread; dips positive where a boundary deepens\n"
    "toward +x. Limits: straight rays, planar boundaries, a flat spread; a layer\n"
    "slower than the one above it (hidden or inverted) is named, not solved.\n";

const char kTomographyUsage[] =
    "usage: gt7p-cli picks --format sgt [--geometry LINE.csv] [--picks S] [-o OUT.sgt] FILE...\n"
    "The line's first breaks in the unified data format of refraction tomography\n"
    "software: the positions (x, y: a receiver's \"相对高程\", a source the\n"
    "elevation of its nearest receiver), then one row per first break (source\n"
    "and receiver indices from 1, time in seconds after the shot). First breaks\n"
    "come from the same source as interpret's (--picks).\n";


std::string Number(double value, int decimals) { return interpret::ResultNumber(value, decimals); }

std::string Json(const std::string& utf8) {
  std::string out = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string JsonList(const std::vector<std::optional<double>>& values, int decimals) {
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i)
    out += (i ? ", " : "") + (values[i] ? Number(*values[i], decimals) : std::string("null"));
  return out + "]";
}

std::string JsonReport(const interpret::Survey& s) {
  std::ostringstream out;
  out << "{\n  \"method\": \"refraction\",\n  \"layers\": [";
  for (size_t k = 0; k < s.layers.size(); ++k) {
    out << (k ? ", " : "") << "{\"velocity_m_s\": "
        << (s.layers[k].velocityMS ? Number(*s.layers[k].velocityMS, 1) : "null");
    if (k > 0) out << ", \"dip_deg\": " << (s.layers[k].dipDeg ? Number(*s.layers[k].dipDeg, 2) : "null");
    out << "}";
  }
  out << "],\n  \"shots\": [";
  for (size_t i = 0; i < s.shots.size(); ++i) {
    const interpret::ShotResult& r = s.shots[i];
    out << (i ? ",\n    " : "\n    ") << "{\"file\": " << Json(r.file) << ", \"x_m\": " << Number(r.x, 3)
        << ", \"depths_m\": " << JsonList(r.depthsM, 3) << ", \"picks_source\": \"" << PickSourceName(r.source)
        << "\", \"time_zero_ms\": " << Number(r.timeZeroMs, 4) << ", \"intercepts_ms\": " << JsonList(r.interceptMs, 4)
        << ", \"crossovers_m\": " << JsonList(r.crossoverM, 3) << "}";
  }
  out << "]";
  if (s.shots.size() > 1) {
    out << ",\n  \"receivers\": [";
    for (size_t i = 0; i < s.receivers.size(); ++i) {
      const interpret::ReceiverResult& r = s.receivers[i];
      out << (i ? ",\n    " : "\n    ") << "{\"x_m\": " << Number(r.x, 3) << ", \"depths_m\": " << JsonList(r.depthsM, 3)
          << ", \"spread_m\": " << JsonList(r.spreadM, 3) << "}";
    }
    out << "],\n  \"reciprocal_mismatch_ms\": " << JsonList(s.reciprocalMismatchMs, 4);
  }
  out << ",\n  \"rms_ms\": " << Number(s.rmsMs, 4) << ",\n  \"layer_count\": " << s.layerCount
      << ",\n  \"warnings\": [";
  for (size_t i = 0; i < s.warnings.size(); ++i) out << (i ? ", " : "") << Json(s.warnings[i]);
  out << "]\n}\n";
  return out.str();
}

std::string Cell(const std::optional<double>& value, int decimals) {
  return value ? Number(*value, decimals) : std::string("—");
}

std::string TextReport(const interpret::Survey& s, const std::vector<interpret::Shot>& shots) {
  std::ostringstream out;
  out << "解析结果：" << s.layerCount << " 层" << (s.reversed ? "（相遇观测，倾斜界面）" : "（水平层）") << "\n\n";
  out << "层号\t速度(m/s)\t倾角(°)\t仪器速度(m/s)\t仪器厚度(m)\t仪器倾角(°)\n";
  for (size_t k = 0; k < s.layers.size(); ++k) {
    out << "第" << k + 1 << "层\t" << Cell(s.layers[k].velocityMS, 1) << "\t"
        << (k > 0 ? Cell(s.layers[k].dipDeg, 2) : std::string("")) << "\t";
    const interpret::Shot& first = shots.front();
    if (k < first.headerLayers.size())
      out << Number(first.headerLayers[k].velocityMS, 1) << "\t" << Number(first.headerLayers[k].thicknessM, 2) << "\t"
          << Number(first.headerLayers[k].dipDeg, 2);
    out << "\n";
  }
  out << "\n炮点\t位置(m)\t初至来源\t时间零点偏差(ms)";
  for (size_t k = 1; k < s.layers.size(); ++k) out << "\t第" << k << "层底深(m)\t截距(ms)\t交叉距离(m)";
  out << "\n";
  const char* sources[] = {"操作员拾取", "仪器解析点", "自动拾取"};
  for (const interpret::ShotResult& r : s.shots) {
    out << r.file << "\t" << Number(r.x, 2) << "\t" << sources[static_cast<int>(r.source)] << "\t"
        << Number(r.timeZeroMs, 3);
    for (size_t k = 0; k < r.depthsM.size(); ++k)
      out << "\t" << Cell(r.depthsM[k], 2) << "\t" << Cell(r.interceptMs[k], 3) << "\t" << Cell(r.crossoverM[k], 2);
    out << "\n";
  }
  if (s.shots.size() > 1) {
    out << "\n检波点(m)";
    for (size_t k = 1; k < s.layers.size(); ++k) out << "\t第" << k << "层底深(m)\t离差(m)";
    out << "\n";
    for (const interpret::ReceiverResult& r : s.receivers) {
      out << Number(r.x, 2);
      for (size_t k = 0; k < r.depthsM.size(); ++k) out << "\t" << Cell(r.depthsM[k], 2) << "\t" << Cell(r.spreadM[k], 2);
      out << "\n";
    }
    for (size_t k = 0; k < s.reciprocalMismatchMs.size(); ++k)
      if (s.reciprocalMismatchMs[k])
        out << "第" << k + 1 << "层底面互换时间差：" << Number(*s.reciprocalMismatchMs[k], 3) << " ms\n";
  }
  out << "\n均方根残差：" << Number(s.rmsMs, 3) << " ms\n";
  for (const std::string& w : s.warnings) out << "注意：" << w << "\n";
  return out.str();
}


std::string Optional(const std::optional<double>& value, int decimals) {
  return value ? Number(*value, decimals) : std::string("null");
}

// ---- Thickness ----

std::string ThicknessJson(const interpret::MethodRecord& record, const interpret::ThicknessResult& r) {
  const interpret::MethodHeader& h = record.header;
  std::ostringstream out;
  out << "{\n  \"method\": \"thickness\",\n  \"file\": " << Json(record.file) << ",\n  \"peak_hz\": " << Number(r.peakHz, 2)
      << ",\n  \"velocity_m_s\": " << Number(r.velocityMS, 1) << ",\n  \"thickness_m\": " << Number(r.thicknessM, 4)
      << ",\n  \"ratio_e\": " << Number(r.ratioE, 4) << ",\n  \"threshold_av\": " << Number(r.thresholdAv, 2)
      << ",\n  \"peak_to_median\": " << Number(r.peakToMedian, 2) << ",\n  \"band_hz\": [" << Number(r.bandLoHz, 2)
      << ", " << Number(r.bandHiHz, 2) << "],\n  \"bin_hz\": " << Number(r.binHz, 4) << ",\n  \"traces\": " << r.traces
      << ",\n  \"outside_bounds\": " << (r.outsideBounds ? "true" : "false") << ",\n  \"bounds_m\": ["
      << Number(h.minThicknessM, 2) << ", " << Number(h.maxThicknessM, 2) << "],\n  \"header\": {\"fft_points\": "
      << Number(h.fftPoints, 0) << ", \"interpolation_points\": " << Number(h.interpolationPoints, 0)
      << ", \"band_f1\": " << Number(h.bandF1, 2) << ", \"band_f2\": " << Number(h.bandF2, 2) << "}\n}\n";
  return out.str();
}

std::string ThicknessText(const interpret::MethodRecord& record, const interpret::ThicknessResult& r, bool velocityGiven) {
  const interpret::MethodHeader& h = record.header;
  std::ostringstream out;
  out << "单点测厚：" << record.file << "\n\n";
  out << "频段：" << Number(r.bandLoHz, 1) << " - " << Number(r.bandHiHz, 1) << " Hz（" << r.traces
      << " 道振幅谱之和，频率间隔 " << Number(r.binHz, 3) << " Hz）\n";
  out << "主频：" << Number(r.peakHz, 2) << " Hz（峰值为频段中值的 " << Number(r.peakToMedian, 2) << " 倍，幅谱阀值Av "
      << Number(r.thresholdAv, 2) << "）\n";
  out << "速度：" << Number(r.velocityMS, 1) << " m/s（" << (velocityGiven ? "--velocity" : "已知速度V0") << "）\n";
  out << "深度波长比e：" << Number(r.ratioE, 3) << "\n";
  out << "厚度：" << Number(r.thicknessM, 3) << " m\n";
  if (r.outsideBounds)
    out << "注意：厚度超出记录头的最小/最大厚度 h1..h2（" << Number(h.minThicknessM, 2) << " - "
        << Number(h.maxThicknessM, 2) << " m）\n";
  out << "\n记录头（仅供参考，未使用）：FFT点数 " << Number(h.fftPoints, 0) << "，插值点数 "
      << Number(h.interpolationPoints, 0) << "，频段起点f1 " << Number(h.bandF1, 2) << "，频段终点f2 "
      << Number(h.bandF2, 2) << "\n";
  return out.str();
}

// ---- Reflection ----

std::string ReflectionJson(const interpret::Shot& shot, const interpret::ReflectionResult& r) {
  std::ostringstream out;
  const std::optional<double> depth = r.depthM ? r.depthM : r.meanDepthM;
  out << "{\n  \"method\": \"reflection\",\n  \"file\": " << Json(shot.file) << ",\n  \"velocity_m_s\": "
      << Optional(r.velocityMS, 1) << ",\n  \"zero_offset_ms\": " << Optional(r.zeroOffsetMs, 4)
      << ",\n  \"depth_m\": " << Optional(depth, 3) << ",\n  \"rms_ms\": " << Number(r.rmsMs, 4)
      << ",\n  \"known_velocity_m_s\": " << (r.knownVelocityMS > 0 ? Number(r.knownVelocityMS, 1) : "null")
      << ",\n  \"mean_depth_m\": " << Optional(r.meanDepthM, 3) << ",\n  \"depth_spread_m\": "
      << Optional(r.depthSpreadM, 3) << ",\n  \"traces\": [";
  for (size_t i = 0; i < r.traces.size(); ++i) {
    const interpret::ReflectionTrace& t = r.traces[i];
    out << (i ? ",\n    " : "\n    ") << "{\"channel\": " << t.channel << ", \"offset_m\": " << Number(t.offsetM, 3)
        << ", \"time_ms\": " << Number(t.timeMs, 5) << ", \"residual_ms\": " << Optional(t.residualMs, 4)
        << ", \"depth_m\": " << Optional(t.depthM, 3) << ", \"too_early\": " << (t.tooEarly ? "true" : "false") << "}";
  }
  out << "],\n  \"warnings\": [";
  for (size_t i = 0; i < r.warnings.size(); ++i) out << (i ? ", " : "") << Json(r.warnings[i]);
  out << "]\n}\n";
  return out.str();
}

std::string ReflectionText(const interpret::Shot& shot, const interpret::ReflectionResult& r) {
  std::ostringstream out;
  out << "反射探测：" << shot.file << "（" << r.traces.size() << " 道反射波拾取）\n\n";
  if (r.velocityMS) {
    out << "速度：" << Number(*r.velocityMS, 1) << " m/s\n";
    out << "零炮检距时间T0：" << Number(*r.zeroOffsetMs, 4) << " ms\n";
    out << "反射界面深度：" << Number(*r.depthM, 3) << " m\n";
    out << "均方根残差：" << Number(r.rmsMs, 4) << " ms\n";
  }
  if (r.knownVelocityMS > 0) {
    out << "已知速度V0：" << Number(r.knownVelocityMS, 1) << " m/s";
    if (r.meanDepthM) out << "，各道深度平均 " << Number(*r.meanDepthM, 3) << " m，标准差 " << Optional(r.depthSpreadM, 3) << " m";
    out << "\n";
  }
  out << "\n道号\t源检距(m)\t反射时间(ms)\t残差(ms)\t深度(m)\n";
  for (const interpret::ReflectionTrace& t : r.traces)
    out << t.channel << "\t" << Number(t.offsetM, 3) << "\t" << Number(t.timeMs, 4) << "\t" << Cell(t.residualMs, 4)
        << "\t" << (t.tooEarly ? std::string("V0·t < x") : Cell(t.depthM, 3)) << "\n";
  for (const std::string& w : r.warnings) out << "注意：" << w << "\n";
  return out.str();
}

// ---- Two-point ----

std::string TwoPointJson(const interpret::Shot& shot, const interpret::TwoPointResult& r) {
  std::ostringstream out;
  out << "{\n  \"method\": \"two-point\",\n  \"file\": " << Json(shot.file) << ",\n  \"picks_source\": \""
      << PickSourceName(shot.source) << "\",\n  \"velocity_m_s\": " << Optional(r.meanVelocityMS, 1)
      << ",\n  \"pairs\": [";
  for (size_t i = 0; i < r.pairs.size(); ++i) {
    const interpret::PairVelocity& p = r.pairs[i];
    out << (i ? ",\n    " : "\n    ") << "{\"channels\": [" << p.channelA << ", " << p.channelB << "], \"offsets_m\": ["
        << Number(p.offsetAM, 3) << ", " << Number(p.offsetBM, 3) << "], \"times_ms\": [" << Number(p.timeAMs, 5)
        << ", " << Number(p.timeBMs, 5) << "], \"velocity_m_s\": " << Optional(p.velocityMS, 1) << "}";
  }
  out << "],\n  \"warnings\": [";
  for (size_t i = 0; i < r.warnings.size(); ++i) out << (i ? ", " : "") << Json(r.warnings[i]);
  out << "]\n}\n";
  return out.str();
}

std::string TwoPointText(const interpret::Shot& shot, const interpret::TwoPointResult& r) {
  const char* sources[] = {"操作员拾取", "仪器解析点", "自动拾取"};
  std::ostringstream out;
  out << "双点探测：" << shot.file << "（初至来源：" << sources[static_cast<int>(shot.source)] << "）\n\n";
  out << "道号\t源检距(m)\t初至(ms)\t速度(m/s)\n";
  for (const interpret::PairVelocity& p : r.pairs)
    out << p.channelA << "-" << p.channelB << "\t" << Number(p.offsetAM, 3) << "-" << Number(p.offsetBM, 3) << "\t"
        << Number(p.timeAMs, 4) << "-" << Number(p.timeBMs, 4) << "\t" << Cell(p.velocityMS, 1) << "\n";
  out << "\n平均速度：" << Cell(r.meanVelocityMS, 1) << " m/s\n";
  for (const std::string& w : r.warnings) out << "注意：" << w << "\n";
  return out.str();
}
}  // namespace

interpret::Request InterpretRequest(const Args& args) {
  interpret::Request request;
  if (args.HasValue("--method")) {
    request.method = interpret::MethodNamed(args.Value("--method"));
    if (!request.method) throw UsageError{"--method takes refraction, thickness, reflection or two-point"};
  }
  if (args.HasValue("--picks")) {
    request.picks = interpret::PickSourceNamed(args.Value("--picks"));
    if (!request.picks) throw UsageError{"--picks takes operator, instrument or auto"};
  }
  const std::optional<std::pair<double, double>> band = NumberPairOption(args, "--band");
  if (band && !(band->first >= 0 && band->second > band->first))
    throw UsageError{"--band takes LO,HI in Hz with 0 <= LO < HI"};
  if (band) request.thickness.bandLoHz = band->first, request.thickness.bandHiHz = band->second;
  request.thickness.channels = ChannelListOption(args, "--traces");
  request.velocityMS = request.thickness.velocityMS = NumberOption(args, "--velocity", 0, 1, 100000);
  request.survey.layers = IntOption(args, "--layers", 0, interpret::kMinLayers, interpret::kMaxLayers);
  request.survey.throughOrigin = args.Has("--origin");
  if (args.HasValue("--v1")) {
    if (args.Value("--v1") == "header")
      request.survey.headerV1 = true;
    else
      request.survey.v1MS = NumberOption(args, "--v1", 0, 1, 100000);
  }
  for (const std::string& word : args.positional()) request.files.push_back(ExistingFile(word));
  if (request.method && *request.method != interpret::Method::kRefraction && request.files.size() != 1)
    throw UsageError{std::string(interpret::MethodName(*request.method)) + " takes one FILE"};
  // Without --method the first record's survey method decides: known once it is read.
  if (!request.method && request.files.size() > 1) {
    const interpret::MethodRecord record = interpret::LoadMethodRecord(request.files.front(), false);
    const auto method = interpret::MethodOfCode(record.header.method);
    if (method && *method != interpret::Method::kRefraction)
      throw UsageError{std::string(interpret::MethodName(*method)) + " takes one FILE"};
  }
  if (args.HasValue("--geometry")) request.geometry = ExistingFile(args.Value("--geometry"));
  return request;
}

const std::vector<std::string>& InterpretValueOptions() {
  static const std::vector<std::string> options = {"--layers", "--picks",   "--geometry", "--v1",
                                                   "--method", "--band",    "--velocity", "--traces"};
  return options;
}

int RunInterpret(const std::vector<std::string>& words) {
  std::vector<std::string> valueOptions = InterpretValueOptions();
  valueOptions.push_back("--csv");
  Args args(words, valueOptions, {"--origin", "--json"});
  if (args.help()) return std::cout << kInterpretUsage, kExitOk;
  if (args.positional().empty()) throw UsageError{kInterpretUsage};
  const bool json = args.Has("--json");
  const interpret::Request request = InterpretRequest(args);
  const std::optional<std::filesystem::path> csv =
      args.HasValue("--csv") ? std::optional<std::filesystem::path>(PathArg(args.Value("--csv"))) : std::nullopt;
  if (csv)
    for (const std::filesystem::path& input : request.files) RefuseSameFile(input, *csv, "--csv");
  const interpret::Interpretation result = interpret::RunInterpretation(request);
  if (csv) {
    const std::string text = interpret::ResultCsv(interpret::ResultRows(result));
    WriteBeside(*csv, [&](const std::filesystem::path& part) {
      OutputWriter out(part, text.size());
      out.Write(text);
      out.Close();
    });
  }
  std::string out;
  switch (result.method) {
    case interpret::Method::kThickness:
      out = json ? ThicknessJson(result.record, result.thickness) : ThicknessText(result.record, result.thickness, request.thickness.velocityMS > 0);
      break;
    case interpret::Method::kReflection:
      out = json ? ReflectionJson(result.shots.front(), result.reflection) : ReflectionText(result.shots.front(), result.reflection);
      break;
    case interpret::Method::kTwoPoint:
      out = json ? TwoPointJson(result.shots.front(), result.twoPoint) : TwoPointText(result.shots.front(), result.twoPoint);
      break;
    case interpret::Method::kRefraction:
      out = json ? JsonReport(result.survey) : TextReport(result.survey, result.shots);
      break;
  }
  std::cout << out << std::flush;
  return kExitOk;
}

int RunTomographyPicks(const std::vector<std::string>& words) {
  Args args(words, {"--output", "--format", "--geometry", "--picks"}, {});
  if (args.help()) return std::cout << kTomographyUsage, kExitOk;
  if (args.positional().empty()) throw UsageError{kTomographyUsage};
  const bool toFile = args.HasValue("--output");
  const std::filesystem::path out = toFile ? PathArg(args.Value("--output")) : std::filesystem::path();
  if (toFile)
    for (const std::string& word : args.positional()) RefuseSameFile(ExistingFile(word), out, "-o");
  interpret::Request request;
  if (args.HasValue("--picks")) {
    request.picks = interpret::PickSourceNamed(args.Value("--picks"));
    if (!request.picks) throw UsageError{"--picks takes operator, instrument or auto"};
  }
  for (const std::string& word : args.positional()) request.files.push_back(ExistingFile(word));
  if (args.HasValue("--geometry")) request.geometry = ExistingFile(args.Value("--geometry"));
  request.method = interpret::Method::kRefraction;  // given: any record's first breaks
  const std::vector<interpret::Shot> shots = interpret::LoadShots(request);
  if (toFile)
    WriteBeside(out, [&](const std::filesystem::path& part) { interpret::WriteTomography(part, shots); });
  else
    std::cout << interpret::TomographyText(shots) << std::flush;
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
