// The survey report for the operator's client: an A4 PDF in Chinese made
// from an interpretation (interpret/results.h). Its first page's title
// block names the place, date, line and points (the records' header
// fields), the client, project and operator, and the program; then per
// record its header fields, its section as the viewer draws it, its first
// breaks, the method's result and parameters; for a refraction survey the
// layers, the travel-time curves of all shots, the line's geometry (where a
// geometry file was given) and a depth section; last a short account of
// each method used and its limits. Every page is numbered, with the page
// count ("第 n 页，共 N 页"). Each number is the result table's cell
// (ResultRows), as the JSON writes it.
//
// No toolkit in this header (gt7p-cli calls it); a build without Qt links a
// stand-in that says the report is not built in.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace gt7p {

namespace interpret {
struct Interpretation;
}

// The title block's texts that no record holds (UTF-8).
struct ReportTexts {
  std::string client, project, operatorName;
};

// The texts the last report was made with (the settings store's group
// "report"), each replaced by the one given. Reading never fails.
ReportTexts RememberedReportTexts(const std::optional<std::string>& client, const std::optional<std::string>& project,
                                  const std::optional<std::string>& operatorName);
// Keeps them for the next report (best effort).
void KeepReportTexts(const ReportTexts& texts);

// Writes the report of `result` (its records still where the request
// named them) as a new PDF at `pdfPath` (the caller writes beside). Throws
// Error: the reader's failures, "无法创建文件！" where the PDF can't be made,
// "内存不足！".
void WriteSurveyReport(const std::filesystem::path& pdfPath, const interpret::Interpretation& result,
                       const ReportTexts& texts);

}  // namespace gt7p
