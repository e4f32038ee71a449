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
#include "interpret/interpret.h"

namespace gt7p {
namespace cli {

namespace {

const char kInterpretUsage[] =
    "usage: gt7p-cli interpret [--layers N] [--picks operator|instrument|auto]\n"
    "                [--geometry LINE.csv] [--origin] [--v1 V|header]\n"
    "                [--method refraction] [--json] FILE...\n"
    "Layer velocities, depths and dips of refraction records (survey methods 30,\n"
    "31 and 32) from their first breaks. One record: flat layers below its shot.\n"
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
    "               record; without it the source is at 0 and each receiver at\n"
    "               its \"源检距\"\n"
    "  --origin     the direct wave through time 0 (no time-zero offset fitted)\n"
    "  --v1 V       the top layer's velocity in m/s (or the header's \"已知速度V0\")\n"
    "  --method refraction  any record's first breaks taken as refraction\n"
    "  --json       JSON: layers (velocity_m_s, dip_deg), shots (file, x_m,\n"
    "               depths_m, picks_source), receivers (x_m, depths_m), rms_ms,\n"
    "               warnings\n"
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

std::string Text(const std::string& utf8) { return Utf8ToCp936(utf8); }

std::string Number(double value, int decimals) {
  if (!std::isfinite(value)) return "null";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string s = text;
  if (s.find('.') != std::string::npos) {
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
  }
  return s == "-0" ? "0" : s;
}

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

struct Line {
  std::vector<interpret::Shot> shots;
};

Line LoadLine(const Args& args, bool anyMethod) {
  std::optional<interpret::PickSource> only;
  if (args.HasValue("--picks")) {
    only = interpret::PickSourceNamed(args.Value("--picks"));
    if (!only) throw UsageError{"--picks takes operator, instrument or auto"};
  }
  std::vector<std::filesystem::path> files;
  for (const std::string& word : args.positional()) files.push_back(ExistingFile(word));
  std::vector<interpret::LineRow> rows;
  if (args.HasValue("--geometry"))
    rows = interpret::MatchGeometry(interpret::ReadGeometry(ExistingFile(args.Value("--geometry"))), files);
  else if (files.size() > 1)
    throw Error(Text("需要测线几何文件"));
  Line line;
  for (size_t i = 0; i < files.size(); ++i) {
    line.shots.push_back(interpret::LoadShot(files[i], rows.empty() ? nullptr : &rows[i], only));
    const interpret::Shot& shot = line.shots.back();
    if (!anyMethod && !interpret::IsRefractionMethod(shot.method))
      throw Error(Text("该探测方法暂不支持解析：" + shot.file + "（探测方法 " + std::to_string(shot.method / 10) +
                       std::to_string(shot.method % 10) + "）"));
  }
  return line;
}

std::string JsonReport(const interpret::Survey& s) {
  std::ostringstream out;
  out << "{\n  \"layers\": [";
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

}  // namespace

int RunInterpret(const std::vector<std::string>& words) {
  Args args(words, {"--layers", "--picks", "--geometry", "--v1", "--method"}, {"--origin", "--json"});
  if (args.help()) return std::cout << kInterpretUsage, kExitOk;
  if (args.positional().empty()) throw UsageError{kInterpretUsage};
  interpret::SurveyOptions options;
  options.layers = IntOption(args, "--layers", 0, interpret::kMinLayers, interpret::kMaxLayers);
  options.throughOrigin = args.Has("--origin");
  if (args.HasValue("--v1")) {
    if (args.Value("--v1") == "header")
      options.headerV1 = true;
    else
      options.v1MS = NumberOption(args, "--v1", 0, 1, 100000);
  }
  if (args.HasValue("--method") && args.Value("--method") != "refraction")
    throw UsageError{"--method takes refraction"};
  const Line line = LoadLine(args, args.HasValue("--method"));
  const interpret::Survey survey = interpret::Interpret(line.shots, options);
  std::cout << (args.Has("--json") ? JsonReport(survey) : TextReport(survey, line.shots)) << std::flush;
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
  const Line line = LoadLine(args, true);
  if (toFile)
    WriteBeside(out, [&](const std::filesystem::path& part) { interpret::WriteTomography(part, line.shots); });
  else
    std::cout << interpret::TomographyText(line.shots) << std::flush;
  return kExitOk;
}

}  // namespace cli
}  // namespace gt7p
