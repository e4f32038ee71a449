#include "app/folder_browser.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QGuiApplication>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <filesystem>

#include "ui/ui.h"
#include "workflow/workflow.h"

namespace gt7p {

TFolderBrowser::TFolderBrowser(QWidget* owner) : QDialog(owner) {
  setWindowTitle(QString::fromUtf8("浏览文件夹"));
  resize(360, 420);
  lblTitle = new QLabel(QString::fromUtf8("如果目标文件夹中含有同名文件将被覆盖！\n请您选择存放数据的目标文件夹："), this);
  lblTitle->setObjectName("lblTitle");
  lblTitle->adjustSize();
  lblTitle->move(12, 10);
  imgPicture = new QLabel(this);
  imgPicture->setGeometry(12, 12, 22, 22);
  imgPicture->hide();

  lblStatus = new QLabel(this);
  lblStatus->setObjectName("lblStatus");
  lblStatus->setTextFormat(Qt::PlainText);
  model_ = new QFileSystemModel(this);
  model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
  tree = new QTreeView(this);
  tree->setModel(model_);
  for (int c = 1; c < model_->columnCount(); ++c) tree->hideColumn(c);
  tree->header()->hide();
  tree->setEditTriggers(QAbstractItemView::NoEditTriggers);  // names change only by 新建文件夹
  // The tree starts above the drives (the model's empty root lists them:
  // C:, D:, … on Windows, "/" here), so that a folder on any drive, and a
  // drive itself, can be shown and chosen.
  model_->setRootPath(QString());
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Ok)->setText(QString::fromUtf8("确定"));
  buttons->button(QDialogButtonBox::Cancel)->setText(QString::fromUtf8("取消"));
  btnNewFolder = buttons->addButton(QString::fromUtf8("新建文件夹"), QDialogButtonBox::ActionRole);
  btnNewFolder->setObjectName("btnNewFolder");
  btnNewFolder->setAutoDefault(false);
  connect(btnNewFolder, &QPushButton::clicked, this, &TFolderBrowser::MakeNewFolder);
  connect(buttons, &QDialogButtonBox::accepted, this, &TFolderBrowser::TryAccept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  edtPath = new QLineEdit(this);
  edtPath->setObjectName("edtPath");
  connect(edtPath, &QLineEdit::textEdited, this, [this] { typed_ = true; });
  auto* pathRow = new QHBoxLayout;
  auto* pathLabel = new QLabel(QString::fromUtf8("文件夹(&F)："), this);
  pathLabel->setBuddy(edtPath);
  pathRow->addWidget(pathLabel);
  pathRow->addWidget(edtPath, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(12, 48, 12, 12);
  layout->addWidget(lblStatus);
  layout->addWidget(tree, 1);
  layout->addLayout(pathRow);
  layout->addWidget(buttons);

  // The model reads folders on a thread and inserts their rows as they
  // come, pushing the start folder down; it is brought back into view until
  // the operator moves the selection or scrolls.
  connect(model_, &QFileSystemModel::rowsInserted, this, &TFolderBrowser::KeepStartInView, Qt::QueuedConnection);
  connect(model_, &QFileSystemModel::layoutChanged, this, &TFolderBrowser::KeepStartInView, Qt::QueuedConnection);
  connect(model_, &QFileSystemModel::directoryLoaded, this, &TFolderBrowser::KeepStartInView, Qt::QueuedConnection);
  connect(tree->verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] { start_ = QPersistentModelIndex(); });

  connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
    if (current != start_) start_ = QPersistentModelIndex();
    ShowPath(current);
  });
  // A new folder's name edited in the tree.
  connect(model_, &QFileSystemModel::fileRenamed, this, [this] { ShowPath(tree->currentIndex()); });
}

void TFolderBrowser::ShowPath(const QModelIndex& current) {
  // Only file-system folders are offered; one that has no path leaves the
  // status line as it was.
  const QString path = QDir::toNativeSeparators(model_->filePath(current));
  if (path.isEmpty()) return;
  lblStatus->setText(path);
  edtPath->setText(path);
  typed_ = false;
}

void TFolderBrowser::TryAccept() {
  if (typed_) {
    const QString typed = edtPath->text().trimmed();
    if (typed.isEmpty() || !QFileInfo(typed).isDir() || !SelectFolder(typed)) {
      edtPath->setFocus();
      edtPath->selectAll();
      return;
    }
  }
  if (!SelectedPath().isEmpty()) accept();
}

bool TFolderBrowser::MakeNewFolder() {
  const QModelIndex parent = tree->currentIndex();
  const QString parentPath = model_->filePath(parent);
  if (!parent.isValid() || parentPath.isEmpty()) return false;
  const std::filesystem::path path = NewFolderPath(ToPath(parentPath));
  const QModelIndex made = model_->mkdir(parent, FromPath(path.filename()));
  if (!made.isValid()) {
    const QString message = QString::fromUtf8("无法新建文件夹：") + QDir::toNativeSeparators(FromPath(path));
    if (messageHook)
      messageHook(message);
    else
      QMessageBox::warning(this, windowTitle(), message);
    return false;
  }
  start_ = QPersistentModelIndex();
  tree->expand(parent);
  tree->setCurrentIndex(made);
  tree->scrollTo(made);
  model_->setReadOnly(false);  // the new name can be edited in place
  tree->edit(made);
  return true;
}

void TFolderBrowser::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (started_) return;
  started_ = true;
  emit initialized();
}

void TFolderBrowser::PaintPicture(const QPixmap& picture) {
  imgPicture->setPixmap(picture);
  imgPicture->show();
}

bool TFolderBrowser::SelectFolder(const QString& path) {
  QModelIndex index = model_->index(QDir::cleanPath(path));
  if (!index.isValid()) return false;
  start_ = index;
  tree->setCurrentIndex(index);
  tree->scrollTo(index);
  return true;
}

void TFolderBrowser::KeepStartInView() {
  if (start_.isValid() && tree->currentIndex() == start_) tree->scrollTo(start_);
}

QString TFolderBrowser::SelectedPath() const {
  QModelIndex current = tree->currentIndex();
  return current.isValid() ? QDir::toNativeSeparators(model_->filePath(current)) : QString();
}

void PlaceWindowOnMonitor(QWidget* window, QWidget* mainWindow) {
  QRect frame = window->frameGeometry();
  QScreen* screen = mainWindow ? mainWindow->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  QRect monitor = screen->geometry();
  int x = monitor.left() + (monitor.width() - frame.width()) / 2;
  int y = monitor.top() + (monitor.height() - frame.height()) / 3;
  window->move(x, y);
}

}  // namespace gt7p
