// The overwrite prompt: asked when a file of the output name exists.
#pragma once

#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace gt7p {

// The Tag of the button that closed the prompt.
enum OverwriteChoice : unsigned char {
  kStopSaving = 0,        // btnOW "终止通讯 &E"
  kOverwriteAll = 1,      // Button1 "覆盖所有同名文件 &A"
  kSkipAll = 2,           // Button2 "略过所有同名文件 &I"
  kOverwriteThis = 3,     // Button3 "覆盖当前文件 &W"
  kSkipThis = 4,          // Button4 "略过当前文件 &C"; also Esc, Enter and the close box
};

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
