// 文件 → 生成报告…: the dialog's texts and method, the PDF's name, the report
// written and its texts kept; a record that gives no result says why and
// leaves nothing. Qt's own dialogs, answered by a timer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include "base/cp936.h"
#include "base/text.h"
#include "sim/record_maker.h"
#include "tests/support/files.h"
#include "ui/ui.h"
#include "viewer/viewer.h"
#include "viewer/window/report_dialog.h"

namespace gt7p {
namespace {

namespace fs = std::filesystem;

class ReportDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    PointStoreAt(QString::fromStdString(Utf8FromPath(dir_.path() / "settings")));
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, true);
  }
  void TearDown() override { QApplication::setAttribute(Qt::AA_DontUseNativeDialogs, false); }
  // The first shot of the simulator's refraction line, `channels` wide.
  fs::path Record(const char* name, int channels) {
    sim::SurveyFile file = sim::LineSurveyFiles()[0];
    file.channels = channels;
    test::WriteFile(dir_.path() / name, sim::MakeRawFile(file));
    return dir_.path() / name;
  }
  // Runs the dialogs: the texts typed into the first one, `pdf` chosen in
  // the file dialog.
  std::string Make(const fs::path& record, const std::vector<QString>& texts, const fs::path& pdf) {
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        files->selectFile(FromPath(pdf));
        static_cast<QDialog*>(files)->accept();  // QFileDialog::accept, which takes the name
      } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        for (int i = 0; i < edits.size() && i < static_cast<int>(texts.size()); ++i) edits[i]->setText(texts[static_cast<size_t>(i)]);
        dialog->accept();
      }
    });
    answer.start(20);
    return MakeReportOf(nullptr, record);
  }
  test::TempDir dir_;
};

TEST_F(ReportDialogTest, WritesTheReportAndKeepsItsTexts) {
  const fs::path record = Record("ZX0001.T7P", 24), pdf = dir_.path() / "report.pdf";
  EXPECT_EQ(Make(record, {Ui("华东勘察院"), Ui("三采区"), Ui("李工")}, pdf), "");
  ASSERT_TRUE(fs::exists(pdf));
  EXPECT_EQ(test::ReadFile(pdf).substr(0, 5), "%PDF-");
  const ReportTexts kept = RememberedReportTexts(std::nullopt, std::nullopt, std::nullopt);
  EXPECT_EQ(kept.client, "华东勘察院");
  EXPECT_EQ(kept.project, "三采区");
  EXPECT_EQ(kept.operatorName, "李工");
}

TEST_F(ReportDialogTest, ARecordWithoutResultSaysWhyAndLeavesNoFile) {
  const fs::path record = Record("TWO.T7P", 2), pdf = dir_.path() / "two.pdf";
  EXPECT_EQ(Cp936ToUtf8(Make(record, {}, pdf)).find("TWO.T7P：初至少于 3 个"), 0u);
  EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace gt7p
