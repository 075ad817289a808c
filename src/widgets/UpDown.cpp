#include "widgets/UpDown.h"

#include "ui/TextRules.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {

constexpr int kArrowsWidth = 17;
constexpr int kRepeatDelay = 400; // ms before a held arrow repeats
constexpr int kRepeatInterval = 60;

std::int16_t To16(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

// Within min..max; a range turned upside down by a lowered bound counts from its minimum.
int Hold(int value, int min, int max) {
    return std::max(min, std::min(max, value));
}

} // namespace

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), repeat_(new QTimer(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto arrow = [this, layout](Qt::ArrowType type, int direction, const char* name) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(type);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        button->setFixedWidth(kArrowsWidth);
        button->setMinimumHeight(6);
        connect(button, &QToolButton::pressed, this, [this, direction] { Press(direction); });
        connect(button, &QToolButton::released, this, [this] { Release(); });
        layout->addWidget(button);
        return button;
    };
    up_ = arrow(Qt::UpArrow, 1, "up");
    down_ = arrow(Qt::DownArrow, -1, "down");
    connect(repeat_, &QTimer::timeout, this, [this] {
        // An arrow no longer held down (the pointer left it while pressed) stops repeating.
        if (!(held_ > 0 ? up_ : down_)->isDown()) {
            repeat_->stop();
            return;
        }
        repeat_->setInterval(kRepeatInterval);
        Click(held_);
    });
    // As high as the row it stands in (the box beside it), never taller.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    Associate(nullptr);
}

void TUpDown::SetMin(int value) {
    min_ = To16(value);
}

void TUpDown::SetMax(int value) {
    max_ = To16(value);
}

void TUpDown::SetRange(int min, int max) {
    SetMin(min);
    SetMax(std::max(min, max));
    SetPosition(position_);
}

void TUpDown::SetIncrement(int value) {
    increment_ = To16(value);
}

void TUpDown::SetPosition(int value) {
    position_ = To16(Hold(value, min_, max_));
    WriteBox();
}

void TUpDown::Associate(QLineEdit* box, bool grouped, bool writes) {
    if (box_ != nullptr) {
        box_->removeEventFilter(this);
    }
    box_ = box;
    grouped_ = grouped;
    writes_ = writes;
    // With a box, the box takes the keys; without, the arrows do, and show a focus frame
    // around themselves.
    if (box_ != nullptr) {
        box_->installEventFilter(this);
    }
    setFocusPolicy(box_ != nullptr ? Qt::NoFocus : Qt::StrongFocus);
    const int frame = box_ != nullptr ? 0 : 1;
    layout()->setContentsMargins(frame, frame, frame, frame);
    setFixedWidth(kArrowsWidth + 2 * frame);
    WriteBox();
}

void TUpDown::WriteBox() {
    if (box_ != nullptr && writes_) {
        box_->setText(Format(position_, grouped_));
    }
}

void TUpDown::EnableWithBox(bool enabled) {
    setEnabled(enabled);
    if (box_ != nullptr) {
        box_->setEnabled(enabled);
    }
}

void TUpDown::Press(int direction) {
    held_ = direction;
    Click(direction);
    repeat_->start(kRepeatDelay);
    if (OnMouseDown) {
        OnMouseDown();
    }
}

void TUpDown::Release() {
    repeat_->stop();
    if (OnMouseUp) {
        OnMouseUp();
    }
}

void TUpDown::Click(int direction) {
    position_ = To16(Hold(position_ + direction * increment_, min_, max_));
    WriteBox();
    if (OnClick) {
        OnClick(direction);
    }
}

QString TUpDown::Format(int value, bool grouped) {
    return grouped ? GroupedNumber(value) : QString::number(value);
}

bool TUpDown::HandleArrowKey(int key) {
    if (key == Qt::Key_Up) {
        Click(1);
        return true;
    }
    if (key == Qt::Key_Down) {
        Click(-1);
        return true;
    }
    return false;
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && arrowKeys_ && event->type() == QEvent::KeyPress && isEnabled()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier) {
            return HandleArrowKey(key->key());
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TUpDown::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (hasFocus()) {
        QStylePainter painter(this);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
    }
}

void TUpDown::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        repeat_->stop();
    }
}

void TUpDown::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TUpDown::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

void TUpDown::keyPressEvent(QKeyEvent* event) {
    if (!HandleArrowKey(event->key())) {
        QWidget::keyPressEvent(event);
    }
}
