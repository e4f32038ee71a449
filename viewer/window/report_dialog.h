// 文件 → 生成报告…: the survey report of the viewer's record, through the
// same module as gt7p-cli report (viewer/report.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

class QWidget;

namespace gt7p {

// Asks for the title block's texts (the last ones offered), the method and
// the PDF's name, interprets `record` as saved (its picks table beside it)
// and writes the report beside its name. With a line (`lineFile`, its
// geometry, and `lineRecords`, the record among them) the dialog offers
// the whole line ("整条测线", the default) or the record alone. The
// failure's message (code page 936), empty when the report was written or
// the operator cancelled.
std::string MakeReportOf(QWidget* parent, const std::filesystem::path& record,
                         const std::filesystem::path& lineFile = {},
                         const std::vector<std::filesystem::path>& lineRecords = {});

}  // namespace gt7p
