// The destination-folder browser: a modal folder tree with a two-line title,
// the selected folder's path as its status line, and a picture at (12, 12)
// that the main window's timer keeps painted while it is open.
#pragma once

#include <QDialog>
#include <QPersistentModelIndex>
#include <functional>
#include <string>

class QFileSystemModel;
class QLabel;
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

 signals:
  void initialized();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void KeepStartInView();

  QFileSystemModel* model_;
  QPersistentModelIndex start_;  // the start folder, while it is to be kept in view
  bool started_ = false;
};

// Moves the window, keeping its size, to the middle of the main window's
// monitor (or the primary one) horizontally and one third down the free
// height.
void PlaceWindowOnMonitor(QWidget* window, QWidget* mainWindow);

}  // namespace gt7p
