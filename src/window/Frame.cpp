#include "window/Frame.h"

#include <QPainter>
#include <QPen>
#include <cmath>
#include <numbers>

namespace {

// The angle of a point seen from the centre, counter-clockwise from three o'clock, in
// degrees 0 .. 360; screen y grows downwards.
double AngleOf(QPointF centre, QPoint p) {
    const double deg =
        std::atan2(centre.y() - p.y(), p.x() - centre.x()) * 180.0 / std::numbers::pi;
    return deg < 0 ? deg + 360.0 : deg;
}

void DrawArc(QPainter& painter, QPoint c1, QPoint c2, QPoint start, QPoint end) {
    const TArc arc = ArcFromPoints(c1, c2, start, end);
    painter.drawArc(arc.rect, arc.startAngle16, arc.spanAngle16);
}

} // namespace

TArc ArcFromPoints(QPoint corner1, QPoint corner2, QPoint start, QPoint end) {
    TArc arc;
    arc.rect = QRectF(QPointF(corner1), QPointF(corner2)).normalized();
    const QPointF centre = arc.rect.center();
    const double from = AngleOf(centre, start);
    double span = std::fmod(AngleOf(centre, end) - from + 360.0, 360.0);
    if (span == 0.0) {
        span = 360.0; // the same ray twice is the whole ellipse
    }
    arc.startAngle16 = static_cast<int>(std::lround(from * 16.0));
    arc.spanAngle16 = static_cast<int>(std::lround(span * 16.0));
    return arc;
}

void PaintRaisedFrame(QPainter& painter, QSize size, const QColor& shadow) {
    const int w = size.width();
    const int h = size.height();
    painter.save();
    painter.setBrush(Qt::NoBrush);

    painter.setPen(QPen(Qt::white, 2));
    painter.drawLine(2, 1, 2, h - 1);
    painter.drawLine(2, 1, w + 2, 1);
    DrawArc(painter, {1, 1}, {53, 53}, {26, 0}, {0, 27});
    DrawArc(painter, {1, h - 1}, {53, h - 53}, {1, h - 27}, {26, h - 1});
    DrawArc(painter, {w - 1, 1}, {w - 53, 53}, {w - 10, 1}, {w - 25, 1});

    painter.setPen(QPen(shadow, 2));
    painter.drawLine(w - 1, 1, w - 1, h - 1);
    painter.drawLine(w - 1, h - 1, 0, h - 2);

    painter.setPen(QPen(shadow, 1));
    DrawArc(painter, {w - 1, 1}, {w - 53, 53}, {w - 1, 26}, {w - 10, 1});
    DrawArc(painter, {w - 1, h - 1}, {w - 54, h - 54}, {w - 28, h - 2}, {w - 2, h - 28});
    painter.restore();
}
