// 文件 → 生成报告…: the dialog's texts and method, the PDF's name, the report
// written and its texts kept; a record that gives no result says why and
// leaves nothing. Qt's own dialogs, answered by a timer.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>
#include <regex>

#include "base/cp936.h"
#include "base/text.h"
#include "interpret/interpret.h"
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
  std::string Make(const fs::path& record, const std::vector<QString>& texts, const fs::path& pdf,
                   const fs::path& lineFile = {}, const std::vector<fs::path>& lineRecords = {}) {
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* files = qobject_cast<QFileDialog*>(modal)) {
        // The name typed: selectFile leaves a name edit that has the focus
        // as it is.
        if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->setText(FromPath(pdf));
        static_cast<QDialog*>(files)->accept();  // QFileDialog::accept, which takes the name
      } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        const QList<QLineEdit*> edits = dialog->findChildren<QLineEdit*>();
        for (int i = 0; i < edits.size() && i < static_cast<int>(texts.size()); ++i) edits[i]->setText(texts[static_cast<size_t>(i)]);
        dialog->accept();
      }
    });
    answer.start(20);
    return MakeReportOf(nullptr, record, lineFile, lineRecords);
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

// The page count of a PDF as its page tree gives it.
int PageCount(const std::string& pdf) {
  std::smatch count;
  return std::regex_search(pdf, count, std::regex("/Type /Pages\\s*/Kids\\s*\\[[^\\]]*\\]\\s*/Count ([0-9]+)"))
             ? std::stoi(count[1])
             : -1;
}

TEST_F(ReportDialogTest, AnOpenLineIsReportedWholeOrTheRecordAlone) {
  std::vector<fs::path> records;
  std::vector<interpret::LineRow> rows;
  for (const sim::SurveyFile& file : sim::LineSurveyFiles()) {
    const std::string name = file.name.substr(0, file.name.find('.')) + ".T7P";
    records.push_back(dir_.path() / name);
    test::WriteFile(records.back(), sim::MakeRawFile(file));
    rows.push_back({name, file.ground.sourceX, file.ground.firstReceiverX, file.ground.spacing});
  }
  const fs::path line = interpret::LineFileOf(dir_.path(), "L");
  interpret::WriteGeometry(line, rows);
  // The line's name offered for the line.
  const fs::path whole = dir_.path() / "L.report.pdf", alone = dir_.path() / "alone.pdf";
  ASSERT_EQ(Make(records[1], {}, alone), "");
  ASSERT_EQ(Make(records[1], {}, whole, line, records), "");
  // The line's part, then a part per record: more pages than one record's.
  const int wholePages = PageCount(test::ReadFile(whole)), alonePages = PageCount(test::ReadFile(alone));
  EXPECT_GT(alonePages, 0);
  EXPECT_GE(wholePages, alonePages + 2);

  // The record alone, chosen in the dialog: as without a line.
  const fs::path chosen = dir_.path() / "chosen.pdf";
  QTimer pick;
  QObject::connect(&pick, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal && !qobject_cast<QFileDialog*>(modal))
      for (QComboBox* scope : modal->findChildren<QComboBox*>())
        if (scope->count() == 2) scope->setCurrentIndex(1);  // the method's has five
  });
  pick.start(5);
  ASSERT_EQ(Make(records[1], {}, chosen, line, records), "");
  EXPECT_EQ(PageCount(test::ReadFile(chosen)), alonePages);
}

TEST_F(ReportDialogTest, ARecordWithoutResultSaysWhyAndLeavesNoFile) {
  const fs::path record = Record("TWO.T7P", 2), pdf = dir_.path() / "two.pdf";
  EXPECT_EQ(Cp936ToUtf8(Make(record, {}, pdf)).find("TWO.T7P：初至少于 3 个"), 0u);
  EXPECT_FALSE(fs::exists(pdf));
}

}  // namespace
}  // namespace gt7p
