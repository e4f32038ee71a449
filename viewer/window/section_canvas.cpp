#include "viewer/window/section_canvas.h"

#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "ui/ui.h"
#include "viewer/section_painter.h"
#include "viewer/window/frm_view.h"

namespace gt7p {

namespace {
constexpr int kDragPixels = 6;  // a press that moves less is a click
}

TSectionCanvas::TSectionCanvas(TfrmView* owner) : QWidget(owner), owner_(owner) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(320, 240);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

void TSectionCanvas::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (owner_->record_.channels.empty()) {
    painter.fillRect(rect(), Qt::white);
    painter.setFont(view::SectionFont(16));
    painter.drawText(rect(), Qt::AlignCenter, Ui("将 .T7P、.QFX 或 .ESP 文件拖到这里"));
    return;
  }
  const view::Section& section = owner_->section();
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = size() * ratio;
  if (owner_->pictureStale_ || owner_->picture_.size() != pixels) {
    owner_->picture_ = QImage(pixels, QImage::Format_RGB32);
    owner_->picture_.setDevicePixelRatio(ratio);
    QPainter picture(&owner_->picture_);
    view::PaintSection(picture, section, owner_->geometry_, owner_->frame_, owner_->display(), width(), height(),
                       owner_->markedTrace());
    owner_->pictureStale_ = false;
  }
  painter.drawImage(0, 0, owner_->picture_);

  // What the tools draw over the section stays on the traces' area.
  const view::SectionGeometry& g = owner_->geometry_;
  painter.setClipRect(QRect(g.left, g.top, g.width + 1, g.height + 1));
  if (dragging_ && (cursor_ - pressAt_).manhattanLength() > kDragPixels) {
    painter.setPen(QPen(QColor(0, 90, 200), 1, Qt::DashLine));
    painter.setBrush(QColor(0, 90, 200, 30));
    painter.drawRect(QRect(pressAt_, cursor_).normalized());
  }
  PaintMeasure(painter);
}

void TSectionCanvas::PaintMeasure(QPainter& painter) {
  const std::vector<view::SectionView::Point>& measure = owner_->state().measure();
  if (measure.empty()) return;
  const view::SectionGeometry& g = owner_->geometry_;
  auto point = [&](const view::SectionView::Point& m) {
    const double t = g.TimeToPixel(m.ms), p = g.PositionToPixel(m.position);
    return g.timeDown ? QPointF(p, t) : QPointF(t, p);
  };
  const QPointF a = point(measure[0]);
  const QPointF b = measure.size() > 1 ? point(measure[1]) : QPointF(cursor_);
  painter.setRenderHint(QPainter::Antialiasing, true);
  painter.setPen(QPen(QColor(200, 0, 120), 2));
  if (measure.size() > 1 || g.Inside(cursor_.x(), cursor_.y())) painter.drawLine(a, b);
  painter.setBrush(QColor(200, 0, 120));
  painter.drawEllipse(a, 3, 3);
  if (measure.size() > 1) painter.drawEllipse(b, 3, 3);
}

void TSectionCanvas::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  owner_->pictureStale_ = true;
}

void TSectionCanvas::wheelEvent(QWheelEvent* event) {
  const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
  const Qt::KeyboardModifiers mods = event->modifiers();
  const QPointF at = event->position();
  if (mods & Qt::ControlModifier) {
    // Zoom around the point under the cursor.
    owner_->section();
    const view::SectionGeometry& g = owner_->geometry_;
    const double factor = std::pow(0.8, delta / 120.0);
    if (mods & Qt::ShiftModifier)
      owner_->ZoomTraces(factor, g.PixelToPosition(g.timeDown ? at.x() : at.y()));
    else
      owner_->ZoomTime(factor, g.TimeAt(at.x(), at.y()));
  } else if (mods & Qt::ShiftModifier) {
    owner_->section();
    const int pixels = static_cast<int>(std::lround(delta / 120.0 * owner_->geometry_.TimePixels() / 10));
    owner_->geometry_.timeDown ? owner_->ScrollPixels(0, pixels) : owner_->ScrollPixels(pixels, 0);
  } else {
    wheelRest_ += delta;
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    if (steps != 0) owner_->StepGain(steps);
  }
  event->accept();
}

void TSectionCanvas::mousePressEvent(QMouseEvent* event) {
  setFocus();
  pressAt_ = cursor_ = event->pos();
  const int x = event->pos().x(), y = event->pos().y();
  switch (owner_->tool()) {
    case TfrmView::Tool::kView:
      if (event->button() == Qt::LeftButton) dragging_ = true;
      break;
    case TfrmView::Tool::kPick:
      if (event->button() == Qt::LeftButton) {
        owner_->section();
        pickTrace_ = owner_->geometry_.TraceUnder(x, y);
        owner_->SetFirstBreakAt(x, y);
      } else if (event->button() == Qt::RightButton) {
        owner_->DeleteFirstBreakAt(x, y);
      }
      break;
    case TfrmView::Tool::kMeasure:
      if (event->button() == Qt::LeftButton) owner_->MeasureAt(x, y);
      break;
  }
}

void TSectionCanvas::mouseMoveEvent(QMouseEvent* event) {
  cursor_ = event->pos();
  owner_->lblReadout->setText(owner_->ReadoutAt(cursor_.x(), cursor_.y()));
  // Moving the pick along the trace it was set on, wherever the cursor strays.
  if (pickTrace_ >= 0) owner_->DragFirstBreak(pickTrace_, cursor_.x(), cursor_.y());
  if (dragging_ || owner_->state().measure().size() == 1) update();
}

void TSectionCanvas::mouseReleaseEvent(QMouseEvent* event) {
  if (dragging_ && event->button() == Qt::LeftButton) {
    dragging_ = false;
    if ((event->pos() - pressAt_).manhattanLength() > kDragPixels)
      owner_->ZoomToBox(QRect(pressAt_, event->pos()).normalized());
    else
      owner_->MarkTraceAt(pressAt_.x(), pressAt_.y());
    update();
  }
  pickTrace_ = -1;
}

void TSectionCanvas::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  cursor_ = QPoint(-1, -1);
  owner_->lblReadout->clear();
  if (owner_->state().measure().size() == 1) update();
}

}  // namespace gt7p
