// The overwrite prompt: asked when a file of the output name exists.
#pragma once

#include <QDialog>
#include <string>

#include "workflow/workflow.h"

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace gt7p {

class TfrmOW : public QDialog {
  Q_OBJECT
 public:
  TfrmOW();
  int Choice = kSkipThis;

  QLabel* Image1;
  QPlainTextEdit* memOW;
  QPushButton *btnOW, *Button1, *Button2, *Button3, *Button4;

  // Click handler of all five buttons: Choice := the button's Tag, close.
  void btnOWClick(QObject* sender);

};

// Shows the prompt modally with the message and caption (code page 936).
OverwriteChoice AskOverwrite(const std::string& message, const std::string& caption);

}  // namespace gt7p
