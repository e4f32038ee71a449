#include "app/frm_ow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/images.h"
#include "ui/ui.h"
#include "base/cp936.h"

namespace gt7p {

TfrmOW::TfrmOW() : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowCloseButtonHint) {
  setObjectName("frmOW");
  setFixedSize(360, 194);
  setFont(SongFont(12));

  Image1 = new QLabel(this);
  Image1->setGeometry(19, 18, 49, 49);
  Image1->setPixmap(PromptPicture());

  memOW = new QPlainTextEdit(this);
  memOW->setObjectName("memOW");
  memOW->setGeometry(91, 18, 241, 79);
  memOW->setReadOnly(true);
  memOW->setFrameShape(QFrame::NoFrame);
  // Not a tab stop and never focused: the focus moves on to the buttons.
  memOW->setFocusPolicy(Qt::NoFocus);
  memOW->setTextInteractionFlags(Qt::NoTextInteraction);
  QPalette palette = memOW->palette();
  palette.setColor(QPalette::Base, this->palette().color(QPalette::Window));
  memOW->setPalette(palette);
  memOW->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  auto button = [this](const char* name, const char* caption, int tag, int x, int y, int width) {
    auto* b = new QPushButton(QString::fromUtf8(caption), this);
    b->setObjectName(name);
    b->setGeometry(x, y, width, 25);
    b->setProperty("Tag", tag);
    b->setAutoDefault(false);
    connect(b, &QPushButton::clicked, this, [this, b] { btnOWClick(b); });
    return b;
  };
  btnOW = button("btnOW", "终止通讯 &E", kStopSaving, 16, 116, 76);
  Button1 = button("Button1", "覆盖所有同名文件 &A", kOverwriteAll, 99, 116, 129);
  Button2 = button("Button2", "略过所有同名文件 &I", kSkipAll, 99, 148, 129);
  Button3 = button("Button3", "覆盖当前文件 &W", kOverwriteThis, 235, 116, 105);
  Button4 = button("Button4", "略过当前文件 &C", kSkipThis, 235, 148, 105);
  Button4->setDefault(true);
  setTabOrder(Button4, btnOW);
  setTabOrder(btnOW, Button1);
  setTabOrder(Button1, Button2);
  setTabOrder(Button2, Button3);
  Button4->setFocus();
}

void TfrmOW::btnOWClick(QObject* sender) {
  Choice = sender->property("Tag").toInt();
  accept();
}

OverwriteChoice AskOverwrite(const std::string& message, const std::string& caption) {
  TfrmOW dialog;
  dialog.setWindowTitle(FromCore(caption));
  dialog.Choice = kSkipThis;
  dialog.memOW->setPlainText(FromCore(message));
  // Esc rejects without a click: Choice keeps 4, as for the close box.
  dialog.exec();
  return static_cast<OverwriteChoice>(dialog.Choice);
}

}  // namespace gt7p
