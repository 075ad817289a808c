#pragma once

#include <QColor>
#include <QPoint>
#include <QRectF>
#include <QSize>

class QPainter;

// An arc given the Windows way: the bounding rectangle (corners in any order), a start and
// an end point whose rays from the centre cut the ellipse, drawn counter-clockwise.
// In QPainter terms: the normalised rectangle and angles in 1/16 degree.
struct TArc {
    QRectF rect;
    int startAngle16 = 0;
    int spanAngle16 = 0;
};
TArc ArcFromPoints(QPoint corner1, QPoint corner2, QPoint start, QPoint end);

// The raised frame over the rounded window: white on the upper and left edges, the shadow
// colour on the right and lower ones.
void PaintRaisedFrame(QPainter& painter, QSize size, const QColor& shadow);
