#include "widgets/ColorSwatch.h"

#include "ui/Colors.h"
#include "widgets/DialogLook.h"

#include <QMouseEvent>

TColorSwatch::TColorSwatch(QWidget* parent) : QLabel(parent) {
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setFixedSize(40, 22);
    setCursor(Qt::PointingHandCursor);
}

void TColorSwatch::SetColorValue(int value) {
    value_ = value;
    SetTextColor(this, ColorFromStored(value), QPalette::Window);
}

void TColorSwatch::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (OnClick && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint())) {
        OnClick();
    }
}
