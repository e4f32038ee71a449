#include "app/about_box.h"

#include <QAction>
#include <QMessageBox>
#include <QWidget>

#include "base/version.h"

namespace gt7p {

void OfferAboutBox(QWidget* window, std::initializer_list<QWidget*> owners) {
  auto* about = new QAction(QString::fromUtf8(kAboutItem), window);
  QObject::connect(about, &QAction::triggered, window, [window] { ShowAboutBox(window); });
  for (QWidget* owner : owners) {
    owner->addAction(about);
    owner->setContextMenuPolicy(Qt::ActionsContextMenu);
  }
}

void ShowAboutBox(QWidget* parent) {
  // The box's title is the item's text without its accelerator.
  QString title = QString::fromUtf8(kAboutItem);
  title.truncate(title.indexOf('('));
  QMessageBox::about(parent, title, QString::fromStdString(VersionText("gt7p")).trimmed());
}

}  // namespace gt7p
