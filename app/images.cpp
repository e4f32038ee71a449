#include "app/images.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace gt7p {
namespace {

const QColor kInk(40, 60, 90);
const QColor kBlue(52, 120, 200);
const QColor kGreen(60, 150, 80);
const QColor kPaper(250, 250, 245);
const QColor kYellow(235, 190, 60);
// The pictures keep to their top 22 pixels: the indicator panel is that high.
constexpr double kPictureUnit = 2.1;

// Every icon is drawn on a 16-unit grid and scaled to the requested size.
QPixmap Draw(int size, const std::function<void(QPainter&)>& paint, double unit = 0) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  if (unit == 0) unit = size / 16.0;
  p.scale(unit, unit);
  paint(p);
  return pixmap;
}

void Page(QPainter& p, const QColor& fold = kPaper) {
  QPainterPath page;
  page.moveTo(3, 1);
  page.lineTo(10, 1);
  page.lineTo(13, 4);
  page.lineTo(13, 15);
  page.lineTo(3, 15);
  page.closeSubpath();
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(fold);
  p.drawPath(page);
  p.drawLine(QPointF(10, 1), QPointF(10, 4));
  p.drawLine(QPointF(10, 4), QPointF(13, 4));
}

void Trace(QPainter& p, const QColor& color) {
  QPainterPath wave;
  wave.moveTo(4.5, 9);
  const double ys[] = {9, 9, 8, 11, 6, 12, 7, 10, 9};
  for (int i = 0; i < 9; ++i) wave.lineTo(4.5 + i * 0.95, ys[i]);
  p.setPen(QPen(color, 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawPath(wave);
}

void Label(QPainter& p, const QString& text, const QColor& color) {
  QFont f("DejaVu Sans");
  f.setPixelSize(5);
  f.setBold(true);
  p.setFont(f);
  p.setPen(Qt::white);
  p.setBrush(color);
  p.drawRoundedRect(QRectF(1.5, 10, 13, 5.5), 1, 1);
  p.drawText(QRectF(1.5, 10, 13, 5.5), Qt::AlignCenter, text);
}

void Folder(QPainter& p) {
  p.setPen(QPen(kInk, 0.8));
  p.setBrush(kYellow.darker(110));
  p.drawRect(QRectF(1, 3.5, 6, 2));
  p.setBrush(kYellow);
  p.drawRect(QRectF(1, 5, 14, 9));
}

QPixmap Icon(int index, int size) {
  switch (index) {
    case 0:  // refresh: directory of the instrument
      return Draw(size, [](QPainter& p) {
        p.setPen(QPen(kBlue, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(2.5, 2.5, 11, 11), 60 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawPolygon(QPolygonF({QPointF(9, 0.5), QPointF(14, 3), QPointF(9, 6)}));
      });
    case 3:  // select all
    case 4:  // invert
      return Draw(size, [index](QPainter& p) {
        for (int i = 0; i < 3; ++i) {
          bool on = index == 3 || i != 1;
          p.setPen(QPen(kInk, 0.8));
          p.setBrush(on ? kBlue : kPaper);
          p.drawRect(QRectF(1.5, 1.5 + i * 5, 3.5, 3.5));
          p.setPen(QPen(kInk, 1.2));
          p.drawLine(QPointF(7, 3.2 + i * 5), QPointF(15, 3.2 + i * 5));
        }
      });
    case 5:  // data file
      return Draw(size, [](QPainter& p) {
        Page(p);
        Trace(p, kBlue);
      });
    case 6:  // destination folder
      return Draw(size, [](QPainter& p) { Folder(p); });
    case 7:  // folder browser picture
      return Draw(size, [](QPainter& p) {
        Folder(p);
        Trace(p, kInk);
      });
    case 8:
    case 9:
    case 10:  // output formats
      return Draw(size, [index](QPainter& p) {
        Page(p);
        Label(p, index == 8 ? "T7P" : index == 9 ? "ESP" : "QFX", index == 8 ? Qt::gray : index == 9 ? kGreen : kBlue);
      });
    case 11:  // save selected files
      return Draw(size, [](QPainter& p) {
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
        p.setBrush(kPaper);
        p.drawRect(QRectF(4, 1.5, 8, 5));
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(QRectF(4, 9, 8, 5.5));
      });
    case 12:  // help
      return Draw(size, [](QPainter& p) {
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(kBlue);
        p.drawEllipse(QRectF(1, 1, 14, 14));
        QFont f("DejaVu Sans");
        f.setPixelSize(11);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(1, 1, 14, 14), Qt::AlignCenter, "?");
      });
    case 13:  // communication settings
      return Draw(size, [](QPainter& p) {
        p.setPen(QPen(kInk, 0.8));
        p.setBrush(QColor(180, 180, 190));
        p.drawEllipse(QRectF(2, 2, 12, 12));
        p.setBrush(kPaper);
        p.drawEllipse(QRectF(5.5, 5.5, 5, 5));
      });
    default:
      return Draw(size, [](QPainter&) {});
  }
}

}  // namespace

const std::vector<QIcon>& ImageList() {
  static const std::vector<QIcon> images = [] {
    std::vector<QIcon> list;
    for (int i = 0; i < 14; ++i) {
      QIcon icon;
      for (int size : {16, 20, 32}) icon.addPixmap(Icon(i, size));
      list.push_back(icon);
    }
    return list;
  }();
  return images;
}

QPixmap ImageListPixmap(int index, int size) { return Icon(index, size); }

QPixmap InstrumentPicture() {
  return Draw(48, [](QPainter& p) {
    // A field recorder: case, screen with traces, keys.
    p.setPen(QPen(kInk, 0.4));
    p.setBrush(QColor(90, 100, 110));
    p.drawRoundedRect(QRectF(0.5, 1, 15, 9.5), 1, 1);
    p.setBrush(QColor(200, 230, 210));
    p.drawRect(QRectF(1.8, 2.2, 8, 7));
    for (int i = 0; i < 3; ++i) {
      p.setPen(QPen(kInk, 0.35));
      p.drawLine(QPointF(2.2, 3.5 + i * 2), QPointF(4.5 + i, 3.5 + i * 2));
      p.drawLine(QPointF(4.5 + i, 3.5 + i * 2), QPointF(5.2 + i, 2.8 + i * 2));
      p.drawLine(QPointF(5.2 + i, 2.8 + i * 2), QPointF(9.4, 3.6 + i * 2));
    }
    p.setPen(Qt::NoPen);
    for (int r = 0; r < 3; ++r)
      for (int c = 0; c < 2; ++c) {
        p.setBrush(r == 0 && c == 0 ? kYellow : QColor(220, 220, 220));
        p.drawRect(QRectF(11 + c * 2.2, 2.5 + r * 2.3, 1.6, 1.5));
      }
  }, kPictureUnit);
}

QPixmap CardPicture() {
  return Draw(48, [](QPainter& p) {
    QPainterPath card;
    card.moveTo(3, 1);
    card.lineTo(11, 1);
    card.lineTo(13, 3);
    card.lineTo(13, 10.5);
    card.lineTo(3, 10.5);
    card.closeSubpath();
    p.setPen(QPen(kInk, 0.4));
    p.setBrush(kBlue);
    p.drawPath(card);
    p.setBrush(kYellow);
    for (int i = 0; i < 4; ++i) p.drawRect(QRectF(4.5 + i * 1.8, 1.8, 1.1, 2.2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 5.5, 7, 3.8));
  }, kPictureUnit);
}

QPixmap PromptPicture() {
  QPixmap pixmap(49, 49);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.drawPixmap(0, 0, Icon(5, 40));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::white, 2));
  p.setBrush(QColor(220, 150, 30));
  p.drawEllipse(QRectF(26, 26, 22, 22));
  QFont f("DejaVu Sans");
  f.setPixelSize(16);
  f.setBold(true);
  p.setFont(f);
  p.drawText(QRectF(26, 26, 22, 22), Qt::AlignCenter, "!");
  return pixmap;
}

}  // namespace gt7p
