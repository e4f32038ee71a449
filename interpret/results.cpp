#include "interpret/results.h"

#include <cmath>
#include <cstdio>

#include "base/cp936.h"
#include "base/csv.h"
#include "base/error.h"
#include "base/text.h"
#include "records/records.h"

namespace gt7p {
namespace interpret {

namespace {

std::string Cell(const std::optional<double>& value, int decimals) {
  return value && std::isfinite(*value) ? ResultNumber(*value, decimals) : std::string();
}

std::string Cell(double value, int decimals) { return std::isfinite(value) ? ResultNumber(value, decimals) : ""; }

// Rows of named cells, the columns in the order first named.
class Rows {
 public:
  explicit Rows(std::vector<std::string> columns) { table_.columns = std::move(columns); }
  void Add(const std::string& kind, int number, const std::vector<std::pair<std::string, std::string>>& cells) {
    std::vector<std::string> row(table_.columns.size());
    row[0] = kind;
    row[1] = std::to_string(number);
    for (const auto& [name, value] : cells) {
      int at = table_.Column(name);
      if (at < 0) {
        table_.columns.push_back(name);
        for (std::vector<std::string>& earlier : table_.rows) earlier.emplace_back();
        row.emplace_back();
        at = static_cast<int>(table_.columns.size()) - 1;
      }
      row[static_cast<size_t>(at)] = value;
    }
    table_.rows.push_back(std::move(row));
  }
  ResultTable Take() { return std::move(table_); }

 private:
  ResultTable table_;
};

ResultTable RefractionRows(const Interpretation& result) {
  const Survey& s = result.survey;
  const bool line = s.shots.size() > 1;
  std::vector<std::string> columns = {"kind", "number", "file", "x_m", "velocity_m_s", "dip_deg", "picks_source", "time_zero_ms"};
  if (line) columns.push_back("reciprocal_mismatch_ms");
  for (size_t k = 1; k < s.layers.size(); ++k) {
    const std::string n = std::to_string(k);
    for (const char* name : {"depth_", "intercept_", "crossover_", "spread_"}) {
      if (std::string(name) == "spread_" && !line) continue;
      const char* unit = std::string(name) == "intercept_" ? "_ms" : "_m";
      columns.push_back(name + n + unit);
    }
  }
  Rows rows(columns);
  for (size_t k = 0; k < s.layers.size(); ++k) {
    std::vector<std::pair<std::string, std::string>> cells = {{"velocity_m_s", Cell(s.layers[k].velocityMS, 1)}};
    if (k > 0) {
      cells.push_back({"dip_deg", Cell(s.layers[k].dipDeg, 2)});
      if (line && k - 1 < s.reciprocalMismatchMs.size())
        cells.push_back({"reciprocal_mismatch_ms", Cell(s.reciprocalMismatchMs[k - 1], 4)});
    }
    rows.Add("layer", static_cast<int>(k + 1), cells);
  }
  for (size_t i = 0; i < s.shots.size(); ++i) {
    const ShotResult& r = s.shots[i];
    std::vector<std::pair<std::string, std::string>> cells = {{"file", r.file},
                                                              {"x_m", Cell(r.x, 3)},
                                                              {"picks_source", PickSourceName(r.source)},
                                                              {"time_zero_ms", Cell(r.timeZeroMs, 4)}};
    for (size_t k = 0; k < r.depthsM.size(); ++k) {
      const std::string n = std::to_string(k + 1);
      cells.push_back({"depth_" + n + "_m", Cell(r.depthsM[k], 3)});
      if (k < r.interceptMs.size()) cells.push_back({"intercept_" + n + "_ms", Cell(r.interceptMs[k], 4)});
      if (k < r.crossoverM.size()) cells.push_back({"crossover_" + n + "_m", Cell(r.crossoverM[k], 3)});
    }
    rows.Add("shot", static_cast<int>(i + 1), cells);
  }
  if (line)
    for (size_t i = 0; i < s.receivers.size(); ++i) {
      const ReceiverResult& r = s.receivers[i];
      std::vector<std::pair<std::string, std::string>> cells = {{"x_m", Cell(r.x, 3)}};
      for (size_t k = 0; k < r.depthsM.size(); ++k) {
        const std::string n = std::to_string(k + 1);
        cells.push_back({"depth_" + n + "_m", Cell(r.depthsM[k], 3)});
        if (k < r.spreadM.size()) cells.push_back({"spread_" + n + "_m", Cell(r.spreadM[k], 3)});
      }
      rows.Add("receiver", static_cast<int>(i + 1), cells);
    }
  return rows.Take();
}

ResultTable ThicknessRows(const Interpretation& result) {
  const ThicknessResult& r = result.thickness;
  Rows rows({"kind", "number", "file", "peak_hz", "velocity_m_s", "thickness_m", "ratio_e", "threshold_av",
             "peak_to_median", "band_lo_hz", "band_hi_hz", "outside_bounds"});
  rows.Add("layer", 1,
           {{"file", result.record.file},
            {"peak_hz", Cell(r.peakHz, 2)},
            {"velocity_m_s", Cell(r.velocityMS, 1)},
            {"thickness_m", Cell(r.thicknessM, 4)},
            {"ratio_e", Cell(r.ratioE, 4)},
            {"threshold_av", Cell(r.thresholdAv, 2)},
            {"peak_to_median", Cell(r.peakToMedian, 2)},
            {"band_lo_hz", Cell(r.bandLoHz, 2)},
            {"band_hi_hz", Cell(r.bandHiHz, 2)},
            {"outside_bounds", r.outsideBounds ? "true" : "false"}});
  return rows.Take();
}

ResultTable ReflectionRows(const Interpretation& result) {
  const ReflectionResult& r = result.reflection;
  Rows rows({"kind", "number", "file", "velocity_m_s", "zero_offset_ms", "depth_m", "rms_ms", "known_velocity_m_s",
             "mean_depth_m", "depth_spread_m", "channel", "offset_m", "time_ms", "residual_ms"});
  rows.Add("layer", 1,
           {{"file", result.shots.front().file},
            {"velocity_m_s", Cell(r.velocityMS, 1)},
            {"zero_offset_ms", Cell(r.zeroOffsetMs, 4)},
            {"depth_m", Cell(r.depthM ? r.depthM : r.meanDepthM, 3)},
            {"rms_ms", Cell(r.rmsMs, 4)},
            {"known_velocity_m_s", r.knownVelocityMS > 0 ? Cell(r.knownVelocityMS, 1) : ""},
            {"mean_depth_m", Cell(r.meanDepthM, 3)},
            {"depth_spread_m", Cell(r.depthSpreadM, 3)}});
  for (size_t i = 0; i < r.traces.size(); ++i) {
    const ReflectionTrace& t = r.traces[i];
    rows.Add("receiver", static_cast<int>(i + 1),
             {{"channel", std::to_string(t.channel)},
              {"offset_m", Cell(t.offsetM, 3)},
              {"time_ms", Cell(t.timeMs, 5)},
              {"residual_ms", Cell(t.residualMs, 4)},
              {"depth_m", Cell(t.depthM, 3)}});
  }
  return rows.Take();
}

ResultTable TwoPointRows(const Interpretation& result) {
  const TwoPointResult& r = result.twoPoint;
  Rows rows({"kind", "number", "file", "picks_source", "velocity_m_s", "channel_a", "channel_b", "offset_a_m",
             "offset_b_m", "time_a_ms", "time_b_ms"});
  const Shot& shot = result.shots.front();
  rows.Add("layer", 1,
           {{"file", shot.file}, {"picks_source", PickSourceName(shot.source)}, {"velocity_m_s", Cell(r.meanVelocityMS, 1)}});
  for (size_t i = 0; i < r.pairs.size(); ++i) {
    const PairVelocity& p = r.pairs[i];
    rows.Add("pair", static_cast<int>(i + 1),
             {{"channel_a", std::to_string(p.channelA)},
              {"channel_b", std::to_string(p.channelB)},
              {"offset_a_m", Cell(p.offsetAM, 3)},
              {"offset_b_m", Cell(p.offsetBM, 3)},
              {"time_a_ms", Cell(p.timeAMs, 5)},
              {"time_b_ms", Cell(p.timeBMs, 5)},
              {"velocity_m_s", Cell(p.velocityMS, 1)}});
  }
  return rows.Take();
}

std::string Text(const std::string& utf8) { return Utf8ToCp936(utf8); }

}  // namespace

std::string ResultNumber(double value, int decimals) {
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

std::string MethodCodeText(int method) { return std::to_string(method / 10 % 10) + std::to_string(method % 10); }

Interpretation RunInterpretation(const Request& request) {
  Interpretation result;
  result.request = request;
  const std::vector<std::filesystem::path>& files = request.files;
  if (files.empty()) throw Error();
  std::optional<Method> method = request.method;
  if (!method) {
    // The first record's survey method decides.
    const MethodRecord record = LoadMethodRecord(files.front(), false);
    method = MethodOfCode(record.header.method);
    if (!method)
      throw Error(Text("该探测方法暂不支持解析：" + record.file + "（探测方法 " + MethodCodeText(record.header.method) +
                       "），请用 --method 指定"));
  }
  result.method = *method;
  if (*method == Method::kThickness) {
    result.record = LoadMethodRecord(files.front(), true);
    result.thickness = Thickness(result.record, request.thickness);
    result.record.traces.clear();
    result.record.traces.shrink_to_fit();
    return result;
  }
  // Reflection and two-point take any record's picks.
  Request shots = request;
  if (*method != Method::kRefraction) shots.method = method;
  result.shots = LoadShots(shots, &result.geometry);
  const Shot& shot = result.shots.front();
  if (*method == Method::kReflection)
    result.reflection =
        FitReflection(shot.reflections, shot.sourceX, request.velocityMS > 0 ? request.velocityMS : shot.knownV1MS);
  else if (*method == Method::kTwoPoint)
    result.twoPoint = TwoPointVelocity(shot.breaks, shot.sourceX);
  else {
    // The operator's layer choices where none are given, as the viewer
    // keeps them: a line's in its file, a lone record's beside it.
    SurveyOptions& options = result.request.survey;
    if (options.assigned.empty())
      for (size_t i = 0; i < result.shots.size(); ++i) {
        if (!result.geometry.empty()) {
          options.assigned.push_back(result.geometry[i].layers);
          continue;
        }
        try {
          options.assigned.push_back(ReadLayers(files[i]));
        } catch (const Error& e) {
          throw Error(TextFromPath(LayersFileOf(files[i]).filename()) + Text("：") + e.message());
        }
      }
    result.survey = Interpret(result.shots, options);
  }
  return result;
}

std::vector<Shot> LoadShots(const Request& request, std::vector<LineRow>* geometry) {
  const std::vector<std::filesystem::path>& files = request.files;
  std::vector<LineRow> rows;
  if (request.geometry)
    rows = MatchGeometry(ReadGeometry(*request.geometry), files);
  else if (files.size() > 1)
    throw Error(Text("需要测线几何文件"));
  // Refraction by the records' own method: each must be one.
  const bool anyMethod = request.method.has_value();
  std::vector<Shot> shots;
  for (size_t i = 0; i < files.size(); ++i) {
    shots.push_back(LoadShot(files[i], rows.empty() ? nullptr : &rows[i], request.picks));
    const Shot& shot = shots.back();
    if (!anyMethod && !IsRefractionMethod(shot.method))
      throw Error(Text((MethodOfCode(shot.method) ? "不是折射记录，请单独解析：" : "该探测方法暂不支持解析：") + shot.file +
                       "（探测方法 " + MethodCodeText(shot.method) + "）"));
  }
  if (geometry) *geometry = std::move(rows);
  return shots;
}

int ResultTable::Column(const std::string& name) const {
  for (size_t i = 0; i < columns.size(); ++i)
    if (columns[i] == name) return static_cast<int>(i);
  return -1;
}

ResultTable ResultRows(const Interpretation& result) {
  switch (result.method) {
    case Method::kThickness: return ThicknessRows(result);
    case Method::kReflection: return ReflectionRows(result);
    case Method::kTwoPoint: return TwoPointRows(result);
    case Method::kRefraction: break;
  }
  return RefractionRows(result);
}

std::string ResultCsv(const ResultTable& table) {
  std::string text;
  auto line = [&](const std::vector<std::string>& fields) {
    for (size_t i = 0; i < fields.size(); ++i) text += (i ? "," : "") + CsvField(fields[i]);
    text += "\r\n";
  };
  line(table.columns);
  for (const std::vector<std::string>& row : table.rows) line(row);
  return text;
}

}  // namespace interpret
}  // namespace gt7p
