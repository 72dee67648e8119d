#include "gui/catalogue/ImageListCheckBox.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <array>

namespace hozanki {
namespace {

void PaintBox(QPainter& p, int state) {
  const QRectF box(2.5, 2.5, 11, 11);
  p.setPen(QPen(state == 2 ? QColor(150, 150, 150) : QColor(60, 60, 60), 1));
  p.setBrush(state == 2 ? QColor(215, 215, 215) : QColor(255, 255, 255));
  p.drawRect(box);
  if (state == 1) {
    QPainterPath tick;
    tick.moveTo(4.5, 8.0);
    tick.lineTo(7.0, 10.5);
    tick.lineTo(11.5, 5.0);
    p.setPen(QPen(QColor(20, 20, 20), 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(tick);
  }
}

void PaintChanged(QPainter& p) {
  // A pencil-coloured diamond: the row has unsaved changes.
  QPainterPath d;
  d.moveTo(8, 2);
  d.lineTo(14, 8);
  d.lineTo(8, 14);
  d.lineTo(2, 8);
  d.closeSubpath();
  p.setPen(QPen(QColor(170, 95, 0), 1));
  p.setBrush(QColor(255, 170, 30));
  p.drawPath(d);
}

void PaintError(QPainter& p) {
  // A red disc with a white cross: renaming the file failed.
  p.setPen(QPen(QColor(150, 0, 0), 1));
  p.setBrush(QColor(215, 30, 30));
  p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
  p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
  p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

void PaintConflict(QPainter& p) {
  // An amber warning triangle with an exclamation mark: the new name collides.
  QPainterPath t;
  t.moveTo(8, 1.5);
  t.lineTo(14.5, 14);
  t.lineTo(1.5, 14);
  t.closeSubpath();
  p.setPen(QPen(QColor(140, 90, 0), 1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(QColor(255, 200, 0));
  p.drawPath(t);
  p.setPen(QPen(QColor(40, 30, 0), 1.8, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(8, 5.5), QPointF(8, 9.5));
  p.drawPoint(QPointF(8, 12));
}

std::array<QPixmap, ImageListCheckBox::kCount> PaintAll() {
  std::array<QPixmap, ImageListCheckBox::kCount> images;
  const qreal ratio = qApp ? qApp->devicePixelRatio() : 1.0;
  for (int i = 0; i < ImageListCheckBox::kCount; ++i) {
    QPixmap pixmap(QSize(ImageListCheckBox::kSize, ImageListCheckBox::kSize) * ratio);
    pixmap.setDevicePixelRatio(ratio);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    if (i <= 2)
      PaintBox(p, i);
    else if (i == 3)
      PaintChanged(p);
    else if (i == 4)
      PaintError(p);
    else
      PaintConflict(p);
    p.end();
    images[static_cast<size_t>(i)] = pixmap;
  }
  return images;
}

}  // namespace

const QPixmap& ImageListCheckBox::Image(int index) {
  static const std::array<QPixmap, kCount> images = PaintAll();
  static const QPixmap none;
  if (index < 0 || index >= kCount) return none;
  return images[static_cast<size_t>(index)];
}

}  // namespace hozanki
