// A build without Qt: plotting and the report say that they are unavailable.
#include "base/cp936.h"
#include "base/error.h"
#include "viewer/viewer.h"

namespace gt7p {

void PlotRecordFile(const std::filesystem::path&, const std::filesystem::path&, const PlotOptions&) {
  throw Error(Utf8ToCp936("本程序构建时没有 Qt，不能绘图！"));
}

ReportTexts RememberedReportTexts(const std::optional<std::string>& client, const std::optional<std::string>& project,
                                  const std::optional<std::string>& operatorName) {
  return {client.value_or(""), project.value_or(""), operatorName.value_or("")};
}

void KeepReportTexts(const ReportTexts&) {}

void WriteSurveyReport(const std::filesystem::path&, const interpret::Interpretation&, const ReportTexts&) {
  throw Error(Utf8ToCp936("本程序构建时没有 Qt，不能生成报告！"));
}

}  // namespace gt7p
