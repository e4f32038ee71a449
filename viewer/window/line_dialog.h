// The table a new line's geometry file is made from ("测线几何"): the
// line's name, and per record its source's place, its first receiver's and
// the receiver spacing (negative: channel 1 at the far end; zero is
// refused with the core's message, interpret::CheckGeometry).
#pragma once

#include <QDialog>
#include <string>
#include <vector>

#include "interpret/interpret.h"

class QLineEdit;
class QTableWidget;

namespace gt7p {

class TLineDialog : public QDialog {
  Q_OBJECT
 public:
  TLineDialog(const std::string& nameUtf8, const std::vector<interpret::LineRow>& rows, QWidget* parent);
  std::string nameUtf8() const;
  std::vector<interpret::LineRow> rows() const;

  QLineEdit* edtName;
  QTableWidget* tblRows;  // the record, then a number box per field

  void accept() override;
};

}  // namespace gt7p
