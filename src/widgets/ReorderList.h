#pragma once

#include <QListWidget>
#include <QPoint>
#include <functional>

// A single-selection list whose entries are reordered by dragging one onto another. The
// drag starts only after the pointer has moved a few pixels with the left button held, so a
// click or a double click never starts one; a drop counts only onto another entry.
class TReorderList : public QListWidget {
public:
    explicit TReorderList(QWidget* parent = nullptr);

    // Called on a drop with the dragged entry's row and the row it was dropped onto.
    std::function<void(int from, int to)> OnDrop;

    static constexpr int kDragDistance = 5;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int TargetRow(const QPoint& pos) const;
    void EndDrag();

    bool armed_ = false;
    bool dragging_ = false;
    int sourceRow_ = -1;
    QPoint origin_;
};
