#include "app/help_window.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

#include "base/text.h"
#include "ui/ui.h"

namespace gt7p {

THelpWindow::THelpWindow(const std::filesystem::path& file, QWidget* owner) : QDialog(owner), file_(file) {
  setObjectName("frmHelp");
  setWindowFlag(Qt::Window);
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QString::fromUtf8("帮助"));
  resize(640, 480);
  txtHelp = new QTextBrowser(this);
  txtHelp->setObjectName("txtHelp");
  txtHelp->setOpenExternalLinks(true);
  txtHelp->setSource(QUrl::fromLocalFile(FromPath(file)));
  btnBrowser = new QPushButton(QString::fromUtf8("用浏览器打开"), this);
  btnBrowser->setObjectName("btnBrowser");
  btnClose = new QPushButton(QString::fromUtf8("关闭"), this);
  btnClose->setDefault(true);
  connect(btnBrowser, &QPushButton::clicked, this,
          [this] { QDesktopServices::openUrl(QUrl::fromLocalFile(FromPath(file_))); });
  connect(btnClose, &QPushButton::clicked, this, &QWidget::close);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btnBrowser);
  buttons->addStretch(1);
  buttons->addWidget(btnClose);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(txtHelp, 1);
  layout->addLayout(buttons);
}

bool ShownInHelpWindow(const std::filesystem::path& file) {
  const std::string ext = LowerCaseCp936(file.extension().string());
  return ext == ".htm" || ext == ".html";
}

}  // namespace gt7p
