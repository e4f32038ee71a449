#include "viewer/window/line_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "base/cp936.h"
#include "base/error.h"
#include "ui/ui.h"

namespace gt7p {

namespace {

QDoubleSpinBox* NumberBox(double value, QWidget* parent) {
  auto* box = new QDoubleSpinBox(parent);
  box->setRange(-100000, 100000);
  box->setDecimals(3);
  box->setValue(value);
  box->setFrame(false);
  return box;
}

double NumberIn(const QTableWidget* table, int row, int column) {
  return static_cast<const QDoubleSpinBox*>(table->cellWidget(row, column))->value();
}

}  // namespace

TLineDialog::TLineDialog(const std::string& nameUtf8, const std::vector<interpret::LineRow>& rows, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(Ui("新建测线几何"));
  edtName = new QLineEdit(QString::fromStdString(nameUtf8), this);
  tblRows = new QTableWidget(static_cast<int>(rows.size()), 4, this);
  tblRows->setHorizontalHeaderLabels({Ui("记录"), Ui("炮点 x (m)"), Ui("第一检波点 x (m)"), Ui("检波点间距 (m)")});
  tblRows->verticalHeader()->hide();
  tblRows->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = static_cast<int>(i);
    auto* file = new QTableWidgetItem(QString::fromStdString(rows[i].file));
    file->setFlags(file->flags() & ~Qt::ItemIsEditable);
    tblRows->setItem(r, 0, file);
    tblRows->setCellWidget(r, 1, NumberBox(rows[i].sourceX, tblRows));
    tblRows->setCellWidget(r, 2, NumberBox(rows[i].firstReceiverX, tblRows));
    tblRows->setCellWidget(r, 3, NumberBox(rows[i].spacing, tblRows));
  }
  auto* form = new QFormLayout;
  form->addRow(Ui("测线名"), edtName);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(new QLabel(Ui("每个记录一行；间距为负时第 1 道在远端，不能为零。"), this));
  layout->addWidget(tblRows, 1);
  layout->addWidget(buttons);
  resize(560, 140 + 30 * static_cast<int>(rows.size()));
}

std::string TLineDialog::nameUtf8() const { return edtName->text().trimmed().toStdString(); }

std::vector<interpret::LineRow> TLineDialog::rows() const {
  std::vector<interpret::LineRow> rows;
  for (int r = 0; r < tblRows->rowCount(); ++r) {
    interpret::LineRow row;
    row.file = tblRows->item(r, 0)->text().toStdString();
    row.sourceX = NumberIn(tblRows, r, 1);
    row.firstReceiverX = NumberIn(tblRows, r, 2);
    row.spacing = NumberIn(tblRows, r, 3);
    rows.push_back(row);
  }
  return rows;
}

void TLineDialog::accept() {
  if (nameUtf8().empty()) {
    QMessageBox::warning(this, windowTitle(), Ui("请填写测线名"));
    return;
  }
  try {
    interpret::CheckGeometry(rows());
  } catch (const Error& e) {
    QMessageBox::warning(this, windowTitle(), FromCore(e.message()));
    return;
  }
  QDialog::accept();
}

}  // namespace gt7p
