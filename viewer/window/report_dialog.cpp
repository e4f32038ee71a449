#include "viewer/window/report_dialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <new>

#include "base/cp936.h"
#include "base/error.h"
#include "base/messages.h"
#include "base/output_file.h"
#include "interpret/interpret.h"
#include "ui/ui.h"
#include "viewer/report.h"

namespace gt7p {

namespace {

// "L" of the line file "L.line.csv" (its stem without ".line").
std::string LineName(const std::filesystem::path& lineFile) {
  std::string stem = Utf8FromPath(lineFile.stem());
  const std::string suffix = ".line";
  if (stem.size() > suffix.size() && stem.compare(stem.size() - suffix.size(), suffix.size(), suffix) == 0)
    stem.resize(stem.size() - suffix.size());
  return stem;
}

}  // namespace

std::string MakeReportOf(QWidget* parent, const std::filesystem::path& record, const std::filesystem::path& lineFile,
                         const std::vector<std::filesystem::path>& lineRecords) {
  if (record.empty()) return std::string();
  const bool line = !lineFile.empty() && !lineRecords.empty();
  ReportTexts texts = RememberedReportTexts(std::nullopt, std::nullopt, std::nullopt);
  QDialog dialog(parent);
  dialog.setWindowTitle(Ui("生成报告"));
  auto* client = new QLineEdit(QString::fromStdString(texts.client), &dialog);
  auto* project = new QLineEdit(QString::fromStdString(texts.project), &dialog);
  auto* operatorName = new QLineEdit(QString::fromStdString(texts.operatorName), &dialog);
  auto* method = new QComboBox(&dialog);
  method->addItem(Ui("按记录的探测方法"));
  const interpret::Method methods[] = {interpret::Method::kRefraction, interpret::Method::kThickness,
                                       interpret::Method::kReflection, interpret::Method::kTwoPoint};
  for (const char* name : {"折射探测", "单点测厚", "反射探测", "双点测速"}) method->addItem(Ui(name));
  auto* scope = new QComboBox(&dialog);
  if (line) {
    scope->addItem(Ui("整条测线 %1（%2 个记录）").arg(QString::fromStdString(LineName(lineFile))).arg(lineRecords.size()));
    scope->addItem(Ui("本记录 %1").arg(FromPath(record.filename())));
  }
  auto* layout = new QFormLayout(&dialog);
  if (line) layout->addRow(Ui("报告范围："), scope);
  layout->addRow(Ui("委托单位："), client);
  layout->addRow(Ui("工程名称："), project);
  layout->addRow(Ui("操作员："), operatorName);
  layout->addRow(Ui("解析方法："), method);
  layout->addRow(new QLabel(Ui("初至取记录旁已保存的拾取表。"), &dialog));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  layout->addRow(buttons);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  if (dialog.exec() != QDialog::Accepted) return std::string();
  texts = {client->text().toStdString(), project->text().toStdString(), operatorName->text().toStdString()};

  const bool wholeLine = line && scope->currentIndex() == 0;
  std::filesystem::path suggested = record;
  suggested.replace_extension(".report.pdf");
  if (wholeLine) suggested = lineFile.parent_path() / PathFromUtf8(LineName(lineFile) + ".report.pdf");
  const QString name = QFileDialog::getSaveFileName(parent, Ui("生成报告"), FromPath(suggested), Ui("PDF 文件 (*.pdf)"));
  if (name.isEmpty()) return std::string();
  std::filesystem::path out = ToPath(name);
  if (out.extension().empty()) out += ".pdf";
  try {
    interpret::Request request;
    request.files = {record};
    if (wholeLine) {
      request.files = lineRecords;
      request.geometry = lineFile;
    }
    if (method->currentIndex() > 0) request.method = methods[method->currentIndex() - 1];
    const interpret::Interpretation result = interpret::RunInterpretation(request);
    WriteBeside(out, [&](const std::filesystem::path& part) { WriteSurveyReport(part, result, texts); });
    KeepReportTexts(texts);
  } catch (const Error& e) {
    return e.message();
  } catch (const std::bad_alloc&) {
    return FailureText(Failure::kOutOfMemory);
  }
  return std::string();
}

}  // namespace gt7p
