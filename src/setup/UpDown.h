#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLineEdit;
class QToolButton;

// A pair of up/down arrows over a 16-bit position with its own range and step. The range
// may be changed without touching the position: a position above a lowered bound stays
// until the arrows are next used, and then drops into the range.
//
// With a box associated, the arrows write their position into it whenever it is set or
// stepped, and the Up and Down keys in the box work the arrows. Without one the arrows take
// the keyboard focus themselves.
class TUpDown : public QWidget {
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int Increment() const { return increment_; }
    void SetMin(int value);
    void SetMax(int value);
    void SetIncrement(int value);
    // Sets the position from code, held within the range; raises no click.
    void SetPosition(int value);

    // The box whose Up and Down keys work the arrows. With `writes` the arrows write their
    // position into it from now on (`grouped`: digits grouped with the locale's thousands
    // separator); without, the box shows what its owner writes there.
    void Associate(QLineEdit* box, bool grouped = false, bool writes = true);
    QLineEdit* Associated() const { return box_; }
    // Writes the position into the associated box (after a bound changed, for instance).
    void WriteBox();

    // One step up (+1) or down (-1), as a click on an arrow does; raises OnClick.
    void Click(int direction);
    std::function<void(int direction)> OnClick;

    // The position as the box shows it.
    static QString Format(int value, bool grouped);

    QSize sizeHint() const override { return {width(), 20}; }

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    bool HandleArrowKey(int key);

    std::int16_t min_ = 0;
    std::int16_t max_ = 100;
    std::int16_t position_ = 0;
    std::int16_t increment_ = 1;
    QLineEdit* box_ = nullptr;
    bool grouped_ = false;
    bool writes_ = true;
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
};
