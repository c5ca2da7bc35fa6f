#include "desktop/program_icon.h"

#include <QPainter>
#include <QPixmap>

namespace tavrel {

namespace {

QPixmap DrawIcon(int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal unit = size / 16.0;
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
  painter.drawRoundedRect(QRectF(0, 0, size, size), 3 * unit, 3 * unit);
  painter.setPen(QPen(Qt::white, unit));
  painter.drawLine(QPointF(5 * unit, 5 * unit), QPointF(5 * unit, 11 * unit));
  painter.drawLine(QPointF(5 * unit, 8 * unit), QPointF(11 * unit, 8 * unit));
  painter.drawLine(QPointF(5 * unit, 11 * unit), QPointF(11 * unit, 11 * unit));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xff, 0xc8, 0x3d));
  const qreal radius = 1.8 * unit;
  painter.drawEllipse(QPointF(5 * unit, 4.5 * unit), radius, radius);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(11 * unit, 8 * unit), radius, radius);
  painter.drawEllipse(QPointF(11 * unit, 11.5 * unit), radius, radius);
  return pixmap;
}

}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (int size : {16, 32, 64}) icon.addPixmap(DrawIcon(size));
  return icon;
}

}  // namespace tavrel
