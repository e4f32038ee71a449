// The communication settings dialog: serial port, target memory, receive
// delay and the file list's columns, plus the USB-serial driver update.
//
// Created for one call of EditCommSettings and destroyed before it returns;
// the caller keeps the values. Every text that crosses this header is code
// page 936 (lengths count bytes); the dialog converts to Qt's strings itself.
#pragma once

#include <QComboBox>
#include <QDialog>
#include <QString>

#include <functional>
#include <string>
#include <vector>

#include "link/link.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace gt7p {

// A drop-down list whose face shortens a long entry in the middle, so both
// ends of a port's entry stay readable; the whole entry is its tool tip, and
// the open list shows entries whole (the port list).
class TMiddleElidedComboBox : public QComboBox {
 public:
  explicit TMiddleElidedComboBox(QWidget* parent);
  // The text the face shows of the current entry.
  QString FaceText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// The port entries to offer, one display line each ("COM1  (\device\serial0)").
using PortLister = std::function<std::vector<std::string>()>;

// Shows the dialog modally and returns the CommSettings text: the port
// entry up to its first blank, the target index and the delay, each followed
// by ",", then the check list's column lines ("n=fcaption", n the 1-based
// position) joined by CR LF. Returns "" when the dialog was cancelled or
// closed. An empty `listPorts` lists the machine's serial ports.
// The dialog shows `settings`; its check box chkEndWhenComplete is checked
// when settings.fullSilence is false, and OK sets settings.fullSilence from
// it.
std::string EditCommSettings(LineSettings& settings, const std::string& DefaultColumns,
                             const PortLister& listPorts = PortLister(), QWidget* parent = nullptr);

// How an error that leaves a button's handler is shown (the application's
// error box); the message is code page 936. Applies to dialogs created after
// the call. Without one, a stop box titled with the application name.
using ErrorReporter = std::function<void(const std::string& message)>;
void SetSettingErrorReporter(ErrorReporter reporter);

class TfrmSetting : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmSetting(PortLister listPorts = PortLister(), QWidget* parent = nullptr);

  // Everything EditCommSettings does before showing the dialog.
  void Prepare(const std::string& PortName, const std::string& TargetText, const std::string& DelayText,
               const std::string& ColumnChoice, const std::string& DefaultColumns);
  // The CommSettings text of the present choices.
  std::string CommSettingsText() const;

  void FillPortList(const std::string& portName);
  void FillColumnList(const std::string& columnChoice);

  void btnSettingClick();
  void btnCancelClick();
  void btnGetDefListClick();
  // Lets an error of the installation calls pass after restoring the dialog;
  // the button's own connection hands it to ReportError.
  void btnInsU2CClick();
  void chlbSettingMouseDown(Qt::MouseButton button, const QPoint& pos);
  // True when the key was one of the check-list commands and is used up.
  bool chlbSettingKeyDown(int key, Qt::KeyboardModifiers modifiers);

  // The message boxes, replaceable so that they can be answered without a
  // person. `owner` is the application's main window when there is one.
  // AskYesNo: question icon, Yes and No with No the default; true for Yes.
  std::function<bool(QWidget* owner, const QString& title, const QString& text)> AskYesNo;
  // ShowInformation: information icon, one OK button.
  std::function<void(QWidget* owner, const QString& title, const QString& text)> ShowInformation;
  ErrorReporter ReportError;

  std::string InitialPort;  // refills the port box after a driver update
  std::string DefaultList;  // what btnGetDefList restores

  QLabel* Image1;
  QLabel* lblCommPort;
  QLabel* Label2;
  QLabel* Label1;
  QLabel* Label3;
  QLabel* lblTip;
  QComboBox* cbCommPort;
  QComboBox* cbCommObj;
  QComboBox* cbCommTimeOut;
  QPushButton* btnGetDefList;
  QListWidget* chlbSetting;
  QPushButton* btnInsU2C;
  // Checked (the default): a reply ends shortly after it is complete;
  // unchecked: every reply waits out its whole silence.
  QCheckBox* chkEndWhenComplete;
  QPushButton* btnSetting;
  QPushButton* btnCancel;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* MessageOwner();

  PortLister listPorts_;
};

}  // namespace gt7p
