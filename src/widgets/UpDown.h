#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QLineEdit;
class QTimer;
class QToolButton;

// A pair of up/down arrows over a 16-bit position with its own range and step. The range
// may be changed without touching the position: a position above a lowered bound stays
// until the arrows are next used, and then drops into the range.
//
// A press on an arrow steps at once and, held, repeats; the handlers hear the press and the
// release. With a box associated, the arrows write their position into it whenever it is
// set or stepped, and the Up and Down keys in the box work the arrows. Without one the
// arrows take the keyboard focus themselves.
class TUpDown : public QWidget {
public:
    explicit TUpDown(QWidget* parent = nullptr);

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int Increment() const { return increment_; }
    void SetMin(int value);
    void SetMax(int value);
    // Both bounds, and the position brought into them (max below min counts as min).
    void SetRange(int min, int max);
    void SetIncrement(int value);
    // Sets the position from code, held within the range; raises no click.
    void SetPosition(int value);

    // The box whose Up and Down keys work the arrows. With `writes` the arrows write their
    // position into it from now on (`grouped`: digits grouped with the locale's thousands
    // separator); without, the box shows what its owner writes there.
    void Associate(QLineEdit* box, bool grouped = false, bool writes = true);
    QLineEdit* Associated() const { return box_; }
    // Whether the Up and Down keys in the box work the arrows (they do unless switched off).
    void SetArrowKeys(bool on) { arrowKeys_ = on; }
    // Writes the position into the associated box (after a bound changed, for instance).
    void WriteBox();
    // Enables or disables the arrows and their box together.
    void EnableWithBox(bool enabled);

    // One step up (+1) or down (-1), as a press on an arrow does; raises OnClick.
    void Click(int direction);
    std::function<void(int direction)> OnClick;
    std::function<void()> OnMouseDown;
    std::function<void()> OnMouseUp;

    // The position as the box shows it.
    static QString Format(int value, bool grouped);

    QSize sizeHint() const override { return {width(), 20}; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool HandleArrowKey(int key);
    void Press(int direction);
    void Release();

    std::int16_t min_ = 0;
    std::int16_t max_ = 100;
    std::int16_t position_ = 0;
    std::int16_t increment_ = 1;
    QLineEdit* box_ = nullptr;
    bool grouped_ = false;
    bool writes_ = true;
    bool arrowKeys_ = true;
    int held_ = 0; // the direction of the arrow held down
    QToolButton* up_ = nullptr;
    QToolButton* down_ = nullptr;
    QTimer* repeat_ = nullptr;
};
