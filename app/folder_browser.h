// The destination-folder browser: a modal folder tree with a two-line title,
// the selected folder's path as its status line, and a picture at (12, 12)
// that the main window's timer keeps painted while it is open. Below the
// tree, the path as a field to type into (a typed folder is taken by
// Return or OK; one that isn't a folder is not taken), and "新建文件夹",
// which makes a folder in the selected one and opens its name for editing.
#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <functional>
#include <string>

class QFileSystemModel;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeView;

namespace gt7p {

class TFolderBrowser : public QDialog {
  Q_OBJECT
 public:
  explicit TFolderBrowser(QWidget* owner);

  // Copies `picture` onto the client area at (12, 12).
  void PaintPicture(const QPixmap& picture);
  // Selects the folder by path; false when it is no folder.
  bool SelectFolder(const QString& path);
  QString SelectedPath() const;

  QLabel* lblTitle;   // the title text, moved to (40, 10) when the browser starts
  QLabel* lblStatus;  // the selected folder's path
  QLabel* imgPicture;
  QTreeView* tree;
  QLineEdit* edtPath;        // the selected folder's path, or one typed
  QPushButton* btnNewFolder; // "新建文件夹"

  // "新建文件夹": a new folder in the selected one, selected with its name
  // open for editing. False (with a message box) when it can't be made.
  bool MakeNewFolder();
  // Hook for tests: the box for a folder that can't be made.
  std::function<void(const QString& message)> messageHook;

 signals:
  void initialized();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void KeepStartInView();
  void ShowPath(const QModelIndex& current);
  // OK and Return: a typed path must name a folder, which is then chosen.
  void TryAccept();

  QFileSystemModel* model_;
  QPersistentModelIndex start_;  // the start folder, while it is to be kept in view
  bool started_ = false;
  bool typed_ = false;  // the field holds what the operator typed
};

// Moves the window, keeping its size, to the middle of the main window's
// monitor (or the primary one) horizontally and one third down the free
// height.
void PlaceWindowOnMonitor(QWidget* window, QWidget* mainWindow);

}  // namespace gt7p
