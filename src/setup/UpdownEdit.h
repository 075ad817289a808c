#pragma once

#include <QWidget>
#include <functional>

class QLineEdit;
class TUpDown;

// A whole-number box with up/down arrows at its right edge that also takes typed input:
// characters are filtered while typing, and the value is held within Min..Max when the key
// is released (the box then shows the bound, caret at the end).
class TUpdownEdit : public QWidget {
public:
    explicit TUpdownEdit(QWidget* parent = nullptr);

    QString Text() const;
    void SetText(const QString& text);
    QFont Font() const;
    void SetFont(const QFont& font);

    int Min() const;
    int Max() const;
    int Position() const;
    int Increment() const;
    void SetMin(int value);
    void SetMax(int value);
    void SetIncrement(int value);
    // Sets the position from code; the box shows "0" at 0, and shows the position when it
    // is empty or holds only a minus sign.
    void SetPosition(int value);

    std::function<void(int direction)> OnUpDownClick;
    std::function<void(int key)> OnKeyUp;

    QLineEdit* Box() const { return box_; }
    TUpDown* Arrows() const { return arrows_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool KeyDown(const QKeyEvent* event);
    bool Accepts(const QString& character) const;
    void KeyUp(int key);
    void Settle();
    void HoldInRange();
    void WritePosition();

    QLineEdit* box_ = nullptr;
    TUpDown* arrows_ = nullptr;
};
