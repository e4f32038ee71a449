// An interpretation run as gt7p-cli interpret asks for it (records, their
// geometry, the method and its options), its result, and that result as a
// table: one row per layer, shot, receiver or pair of receivers, each
// number written as the JSON output writes it. The CSV file, the report and
// the JSON share the number form of ResultNumber and the decimals below.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "interpret/geometry.h"
#include "interpret/methods.h"
#include "interpret/shots.h"
#include "interpret/survey.h"

namespace gt7p {
namespace interpret {

// `value` rounded to `decimals`, trailing zeros and a trailing point cut,
// "-0" as "0"; "null" for a value that is not finite.
std::string ResultNumber(double value, int decimals);

struct Request {
  std::optional<Method> method;  // none: the first record's survey method decides
  std::vector<std::filesystem::path> files;
  std::optional<std::filesystem::path> geometry;  // the line's file
  std::optional<PickSource> picks;                // none: the first source a record has
  SurveyOptions survey;
  ThicknessOptions thickness;  // band and velocity (thickness)
  double velocityMS = 0;       // V0 given (reflection); 0: the header's
};

struct Interpretation {
  Method method = Method::kRefraction;
  Request request;
  std::vector<LineRow> geometry;  // matched to the records, in their order; empty without a file
  std::vector<Shot> shots;        // refraction, reflection, two-point
  Survey survey;                  // refraction
  MethodRecord record;            // thickness (its samples dropped)
  ThicknessResult thickness;
  ReflectionResult reflection;
  TwoPointResult twoPoint;
};

// Runs the request. Error (code page 936) as gt7p-cli interpret reports
// it: the reader's, the geometry's and the method's; "该探测方法暂不支持解析：
// NAME（探测方法 NN），请用 --method 指定" where no method is given and the first
// record's has none; "需要测线几何文件" for two or more records without a
// geometry; for refraction a record of another method ("不是折射记录，请单独
// 解析：" or "该探测方法暂不支持解析：" with the name and the code) unless the
// method was given. Thickness, reflection and two-point use the first
// record only (the caller refuses more). A refraction without
// `survey.assigned` takes the operator's layer choices as the viewer keeps
// them: a line's from its geometry file's `layers` column, a lone record's
// from NAME.layers.csv beside it (records/layers_file.h; its error with the
// file's name before it); the result's request holds those used.
Interpretation RunInterpretation(const Request& request);

// The records' shots (refraction, reflection, two-point) and, with
// `geometry`, the line's rows matched to them (empty without a file). The
// geometry's and the reader's errors, "需要测线几何文件", and where no method
// was given a record that is no refraction record (as RunInterpretation).
std::vector<Shot> LoadShots(const Request& request, std::vector<LineRow>* geometry = nullptr);

// The two digits of a survey-method code, "30".
std::string MethodCodeText(int method);

// The result as a table of UTF-8 cells, empty where the JSON has null (or
// nothing). The first two columns are `kind` (layer, shot, receiver, pair)
// and `number` (from 1 within its kind).
//   refraction: file, x_m, velocity_m_s, dip_deg, picks_source,
//     time_zero_ms, reciprocal_mismatch_ms (of the layer's top boundary,
//     two or more shots), then per boundary k below layer k: depth_k_m,
//     intercept_k_ms, crossover_k_m (shots), spread_k_m (receivers);
//   thickness: one layer row: file, peak_hz, velocity_m_s, thickness_m,
//     ratio_e, threshold_av, peak_to_median, band_lo_hz, band_hi_hz,
//     outside_bounds;
//   reflection: a layer row (velocity_m_s, zero_offset_ms, depth_m, rms_ms,
//     known_velocity_m_s, mean_depth_m, depth_spread_m), then a receiver row
//     per trace (channel, offset_m, time_ms, residual_ms, depth_m);
//   two-point: a layer row (velocity_m_s: the mean), then a pair row per
//     pair (channel_a, channel_b, offset_a_m, offset_b_m, time_a_ms,
//     time_b_ms, velocity_m_s).
struct ResultTable {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;

  // The index of a column; -1 where there is none.
  int Column(const std::string& name) const;
};
ResultTable ResultRows(const Interpretation& result);

// The table as CSV: UTF-8, a header line, CR LF.
std::string ResultCsv(const ResultTable& table);

}  // namespace interpret
}  // namespace gt7p
