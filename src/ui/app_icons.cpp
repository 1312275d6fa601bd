#include "ui/app_icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace ruvo {
namespace {

const QColor kInk(40, 40, 40);
const QColor kAccent(200, 30, 30);
const QColor kPaper(250, 250, 245);

// Draws into a transparent square of side pixels, scaled so drawing code works in 0..16.
template <typename Draw>
QPixmap Painted(int side, Draw draw) {
  QPixmap pixmap(side, side);
  pixmap.fill(Qt::transparent);
  QPainter painter(&pixmap);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(side / 16.0, side / 16.0);
  draw(painter);
  return pixmap;
}

void DrawDial(QPainter& p, QRectF area) {
  p.setPen(QPen(kInk, 1.0));
  p.setBrush(kPaper);
  p.drawEllipse(area);
  p.setPen(QPen(kAccent, 1.2));
  p.drawArc(area.adjusted(1.5, 1.5, -1.5, -1.5), -30 * 16, 60 * 16);
  p.setPen(QPen(kInk, 1.4, Qt::SolidLine, Qt::RoundCap));
  const QPointF centre = area.center();
  p.drawLine(centre, centre + QPointF(area.width() * 0.32, -area.height() * 0.22));
}

void DrawImage(QPainter& p, ToolbarImage image) {
  p.setPen(QPen(kInk, 1.0));
  switch (image) {
    case ToolbarImage::New:
      // A blank page with its top right corner folded down.
      p.setBrush(kPaper);
      p.drawPolygon(QPolygonF({{3.5, 1.5}, {9.5, 1.5}, {12.5, 4.5}, {12.5, 14.5}, {3.5, 14.5}}));
      p.setBrush(Qt::NoBrush);
      p.drawPolyline(QPolygonF({{9.5, 1.5}, {9.5, 4.5}, {12.5, 4.5}}));
      break;
    case ToolbarImage::Open:
      p.setBrush(QColor(230, 200, 90));
      p.drawPolygon(QPolygonF({{1.5, 4.5}, {6, 4.5}, {7.5, 6}, {14.5, 6}, {14.5, 13.5}, {1.5, 13.5}}));
      break;
    case ToolbarImage::Save:
      p.setBrush(QColor(70, 100, 170));
      p.drawRect(QRectF(2.5, 2.5, 11, 11));
      p.setBrush(kPaper);
      p.drawRect(QRectF(4.5, 2.5, 7, 4));
      break;
    case ToolbarImage::Mixer:
      for (double x : {4.0, 8.0, 12.0}) p.drawLine(QPointF(x, 2), QPointF(x, 14));
      p.setBrush(kAccent);
      for (QPointF knob : {QPointF(4, 10), QPointF(8, 5), QPointF(12, 8)})
        p.drawRect(QRectF(knob - QPointF(2, 1), QSizeF(4, 2)));
      break;
    case ToolbarImage::Record:
      p.setBrush(kAccent);
      p.drawEllipse(QRectF(3, 3, 10, 10));
      break;
    case ToolbarImage::Edit:
      p.drawPolyline(QPolygonF({{1, 8}, {3, 3}, {5, 13}, {7, 5}, {9, 11}, {11, 6}, {13, 10}, {15, 8}}));
      break;
    case ToolbarImage::Smoothing: {
      QPainterPath curve({1, 13});
      curve.cubicTo(6, 13, 9, 3, 15, 3);
      p.setBrush(Qt::NoBrush);
      p.drawPath(curve);
      p.setBrush(kAccent);
      p.setPen(Qt::NoPen);
      for (QPointF dot : {QPointF(3, 11), QPointF(7, 10), QPointF(9, 6), QPointF(13, 5)}) p.drawEllipse(dot, 1.2, 1.2);
      break;
    }
    case ToolbarImage::Calculate:
      DrawDial(p, QRectF(1.5, 1.5, 13, 13));
      break;
    case ToolbarImage::Tables:
      p.setBrush(kPaper);
      p.drawRect(QRectF(1.5, 2.5, 13, 11));
      for (double y : {5.5, 8.5, 11.0}) p.drawLine(QPointF(1.5, y), QPointF(14.5, y));
      p.drawLine(QPointF(6, 2.5), QPointF(6, 13.5));
      break;
    case ToolbarImage::Graph:
      p.drawLine(QPointF(2, 1), QPointF(2, 14));
      p.drawLine(QPointF(2, 14), QPointF(15, 14));
      p.setPen(QPen(kAccent, 1.3));
      p.drawPolyline(QPolygonF({{3, 12}, {7, 7}, {10, 5}, {14, 6}}));
      break;
    case ToolbarImage::About:
      p.setBrush(QColor(60, 110, 190));
      p.setPen(Qt::NoPen);
      p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
      p.setPen(QPen(Qt::white, 2.0, Qt::SolidLine, Qt::RoundCap));
      p.drawPoint(QPointF(8, 4.8));
      p.drawLine(QPointF(8, 7.5), QPointF(8, 11.5));
      break;
  }
}

}  // namespace

QIcon ApplicationIcon() {
  return QIcon(Painted(64, [](QPainter& p) { DrawDial(p, QRectF(0.5, 0.5, 15, 15)); }));
}

QIcon DocumentIcon() {
  return QIcon(Painted(64, [](QPainter& p) {
    p.setPen(QPen(kInk, 0.6));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 0.5, 11, 15));
    DrawDial(p, QRectF(4, 5, 8, 8));
  }));
}

QIcon ToolbarIcon(ToolbarImage image) {
  return QIcon(Painted(32, [image](QPainter& p) { DrawImage(p, image); }));
}

}  // namespace ruvo
