#include "desktop/app_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tavrel {

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 64};

QColor TileColour(Program program) {
  switch (program) {
    case Program::kBridge:
      return {0x1f, 0x5f, 0xa8};
    case Program::kManager:
      return {0x2e, 0x8b, 0x57};
    case Program::kMaker:
      return {0xd9, 0x8c, 0x1a};
  }
  return {};
}

// Glyphs are drawn on a 16-unit grid scaled to the pixmap.
void DrawBridge(QPainter& painter) {
  painter.setPen(QPen(Qt::white, 1.3, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  QPainterPath arch;  // a quadratic arch from (2.5, 10) to (13.5, 10), at its top y = 5
  arch.moveTo(2.5, 10);
  arch.quadTo(8, 0, 13.5, 10);
  painter.drawPath(arch);
  painter.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
  painter.drawLine(QPointF(5.5, 6.1), QPointF(5.5, 10));
  painter.drawLine(QPointF(8, 5), QPointF(8, 10));
  painter.drawLine(QPointF(10.5, 6.1), QPointF(10.5, 10));
  for (qreal x : {3.5, 12.5}) painter.drawLine(QPointF(x, 10), QPointF(x, 13.5));
}

void DrawManager(QPainter& painter) {
  painter.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap));
  painter.setBrush(Qt::NoBrush);
  const QRectF ring(3.5, 3.5, 9, 9);
  painter.drawArc(ring, 100 * 16, 290 * 16);  // open at the top right, where the head sits
  painter.setPen(Qt::NoPen);
  painter.setBrush(Qt::white);
  painter.drawPolygon(QPolygonF({QPointF(8.6, 1.6), QPointF(12.2, 3.9), QPointF(8.4, 5.9)}));
  painter.drawEllipse(QPointF(8, 8), 1.6, 1.6);
}

void DrawMaker(QPainter& painter) {
  painter.setPen(QPen(Qt::white, 1));
  painter.drawLine(QPointF(5, 5), QPointF(5, 11));
  painter.drawLine(QPointF(5, 8), QPointF(11, 8));
  painter.drawLine(QPointF(5, 11), QPointF(11, 11));
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
  painter.drawEllipse(QPointF(5, 4.5), 1.8, 1.8);
  painter.setBrush(Qt::white);
  painter.drawEllipse(QPointF(11, 8), 1.8, 1.8);
  painter.drawEllipse(QPointF(11, 11.5), 1.8, 1.8);
}

QPixmap DrawIcon(Program program, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(size / 16.0, size / 16.0);
  painter.setPen(Qt::NoPen);
  painter.setBrush(TileColour(program));
  painter.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
  switch (program) {
    case Program::kBridge:
      DrawBridge(painter);
      break;
    case Program::kManager:
      DrawManager(painter);
      break;
    case Program::kMaker:
      DrawMaker(painter);
      break;
  }
  return pixmap;
}

}  // namespace

QIcon ApplicationIcon(Program program) {
  QIcon icon;
  for (int size : kSizes) icon.addPixmap(DrawIcon(program, size));
  return icon;
}

Program ProgramNamed(std::string_view name) {
  if (name == "Morvane") return Program::kManager;
  if (name == "Keldrin") return Program::kMaker;
  return Program::kBridge;
}

}  // namespace tavrel
