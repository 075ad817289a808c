#include "widgets/ReorderList.h"

#include <QMouseEvent>

TReorderList::TReorderList(QWidget* parent) : QListWidget(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setDragDropMode(QAbstractItemView::NoDragDrop);
}

void TReorderList::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event); // selects the entry under the pointer
    if (event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr) {
        armed_ = true;
        dragging_ = false;
        sourceRow_ = currentRow();
        origin_ = event->position().toPoint();
    }
}

int TReorderList::TargetRow(const QPoint& pos) const {
    const QListWidgetItem* target = itemAt(pos);
    const int row = target == nullptr ? -1 : this->row(target);
    return row == sourceRow_ ? -1 : row;
}

void TReorderList::mouseMoveEvent(QMouseEvent* event) {
    if (!armed_) {
        QListWidget::mouseMoveEvent(event);
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (!dragging_ && (pos - origin_).manhattanLength() >= kDragDistance) {
        dragging_ = true;
    }
    if (dragging_) {
        viewport()->setCursor(TargetRow(pos) >= 0 ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
    }
    // While armed the base class must not see the moves: it would select along the way.
}

void TReorderList::mouseReleaseEvent(QMouseEvent* event) {
    const bool dropped = armed_ && dragging_ && event->button() == Qt::LeftButton;
    const int from = sourceRow_;
    const int to = dropped ? TargetRow(event->position().toPoint()) : -1;
    if (armed_ && event->button() == Qt::LeftButton) {
        EndDrag();
    }
    if (!dropped) {
        QListWidget::mouseReleaseEvent(event);
        return;
    }
    if (to >= 0 && from >= 0 && OnDrop) {
        OnDrop(from, to);
    }
}

void TReorderList::EndDrag() {
    if (dragging_) {
        viewport()->unsetCursor();
    }
    armed_ = false;
    dragging_ = false;
}
