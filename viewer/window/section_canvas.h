// The viewer window's canvas: the section's picture (made again only when
// the view or the size changes), the dragged box and the measuring line
// over it, and the mouse: the wheel for gain, zoom and scroll, and the
// tools' clicks and drags (frm_view.h).
#pragma once

#include <QPoint>
#include <QWidget>

namespace gt7p {

class TfrmView;

class TSectionCanvas : public QWidget {
  Q_OBJECT
 public:
  explicit TSectionCanvas(TfrmView* owner);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void PaintMeasure(QPainter& painter);

  TfrmView* owner_;
  int wheelRest_ = 0;  // angle not yet turned into a step (fine-grained wheels)
  QPoint pressAt_;
  bool dragging_ = false;
  int pickTrace_ = -1;  // the trace a pick is dragged along
  QPoint cursor_{-1, -1};
};

}  // namespace gt7p
