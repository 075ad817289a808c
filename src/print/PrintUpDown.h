#pragma once

// Up/down arrows without a box of their own, showing their position in an associated
// read-only field. A held arrow repeats; the handlers hear the press and the release.
#include <QWidget>
#include <functional>

class QLineEdit;
class QTimer;
class QToolButton;

class TPrintUpDown : public QWidget {
public:
    explicit TPrintUpDown(QWidget* parent = nullptr);

    void SetRange(int min, int max);
    int Min() const { return min_; }
    int Max() const { return max_; }
    // Setting the position from code runs no handler.
    void SetPosition(int position);
    int Position() const { return position_; }
    void SetAssociate(QLineEdit* edit);
    // The arrows and their field together.
    void SetEnabled(bool enabled);

    std::function<void()> OnMouseDown;
    std::function<void()> OnMouseUp;
    std::function<void()> OnClick; // every step of the arrows

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

private:
    void Press(int direction);
    void Release();
    void Step(int direction);
    void ShowPosition();

    QToolButton* up_;
    QToolButton* down_;
    QTimer* repeat_;
    QLineEdit* associate_ = nullptr;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int direction_ = 0;
};
