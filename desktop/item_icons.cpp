#include "desktop/item_icons.h"

#include <QPainter>
#include <QPixmap>

namespace tavrel {

namespace {

constexpr int kSizes[] = {16, 32};

const QColor kOutline(0x30, 0x30, 0x30);

// Each image is drawn on a 16-unit grid scaled to the pixmap.
void DrawRoot(QPainter& painter) {
  painter.setPen(QPen(QColor(0x1f, 0x4f, 0x8a), 1));
  painter.setBrush(QColor(0x6c, 0xa8, 0xe8));
  painter.drawEllipse(QPointF(8, 8), 6.5, 6.5);
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(Qt::white, 0.8));
  painter.drawEllipse(QPointF(8, 8), 2.8, 6.5);
  painter.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
  painter.drawLine(QPointF(2.6, 4.5), QPointF(13.4, 4.5));
  painter.drawLine(QPointF(2.6, 11.5), QPointF(13.4, 11.5));
}

void DrawServer(QPainter& painter) {
  painter.setPen(QPen(kOutline, 0.8));
  painter.setBrush(QColor(0xb8, 0xbe, 0xc6));
  painter.drawRoundedRect(QRectF(3, 1.5, 10, 13), 1.2, 1.2);
  painter.setBrush(QColor(0x55, 0x5c, 0x66));
  painter.drawRect(QRectF(4.5, 3.5, 7, 2));
  painter.drawRect(QRectF(4.5, 7, 7, 2));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x2e, 0xc4, 0x4a));
  painter.drawEllipse(QPointF(10.5, 12), 1.1, 1.1);
}

void DrawGroup(QPainter& painter) {
  painter.setPen(QPen(QColor(0x9a, 0x6b, 0x0f), 0.8));
  painter.setBrush(QColor(0xe8, 0xb0, 0x3a));
  painter.drawPolygon(QPolygonF({QPointF(1.5, 3), QPointF(6, 3), QPointF(7.5, 4.5),
                                 QPointF(14.5, 4.5), QPointF(14.5, 13), QPointF(1.5, 13)}));
  painter.setBrush(QColor(0xf8, 0xd2, 0x6a));
  painter.drawRect(QRectF(1.5, 6, 13, 7));
}

QPixmap DrawItem(TreeItemKind kind, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  switch (kind) {
    case TreeItemKind::kRoot:
      DrawRoot(painter);
      break;
    case TreeItemKind::kServer:
      DrawServer(painter);
      break;
    case TreeItemKind::kGroup:
      DrawGroup(painter);
      break;
  }
  return pixmap;
}

}  // namespace

QIcon TreeItemIcon(TreeItemKind kind) {
  QIcon icon;
  for (int size : kSizes) icon.addPixmap(DrawItem(kind, size));
  return icon;
}

}  // namespace tavrel
