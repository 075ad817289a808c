#include "print/PrintUpDown.h"

#include <QLineEdit>
#include <QLocale>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace {
constexpr int kRepeatDelay = 400; // ms before a held arrow repeats
constexpr int kRepeatInterval = 60;
} // namespace

TPrintUpDown::TPrintUpDown(QWidget* parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)),
      repeat_(new QTimer(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton* b : {up_, down_}) {
        b->setArrowType(b == up_ ? Qt::UpArrow : Qt::DownArrow);
        b->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
        b->setFixedWidth(17);
        b->setFocusPolicy(Qt::NoFocus);
        layout->addWidget(b);
        const int direction = b == up_ ? 1 : -1;
        connect(b, &QToolButton::pressed, this, [this, direction] { Press(direction); });
        connect(b, &QToolButton::released, this, [this] { Release(); });
    }
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    connect(repeat_, &QTimer::timeout, this, [this] {
        repeat_->setInterval(kRepeatInterval);
        Step(direction_);
    });
}

void TPrintUpDown::SetRange(int min, int max) {
    min_ = min;
    max_ = std::max(min, max);
    SetPosition(position_);
}

void TPrintUpDown::SetPosition(int position) {
    position_ = std::clamp(position, min_, max_);
    ShowPosition();
}

void TPrintUpDown::SetAssociate(QLineEdit* edit) {
    associate_ = edit;
    ShowPosition();
}

void TPrintUpDown::SetEnabled(bool enabled) {
    setEnabled(enabled);
    if (associate_ != nullptr) {
        associate_->setEnabled(enabled);
    }
    if (!enabled) {
        repeat_->stop();
    }
}

void TPrintUpDown::ShowPosition() {
    if (associate_ != nullptr) {
        associate_->setText(QLocale().toString(position_));
    }
}

void TPrintUpDown::Step(int direction) {
    const int next = std::clamp(position_ + direction, min_, max_);
    if (next != position_) {
        position_ = next;
        ShowPosition();
        if (OnClick) {
            OnClick();
        }
    }
}

void TPrintUpDown::Press(int direction) {
    direction_ = direction;
    Step(direction);
    repeat_->start(kRepeatDelay);
    if (OnMouseDown) {
        OnMouseDown();
    }
}

void TPrintUpDown::Release() {
    repeat_->stop();
    if (OnMouseUp) {
        OnMouseUp();
    }
}
