#include "setup/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

namespace {

constexpr int kArrowsWidth = 17;

std::int16_t To16(int value) {
    return static_cast<std::int16_t>(std::clamp<int>(
        value, std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max()));
}

// Within min..max; a range turned upside down by a lowered bound counts from its minimum.
int Hold(int value, int min, int max) {
    return std::max(min, std::min(max, value));
}

} // namespace

TUpDown::TUpDown(QWidget* parent) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto arrow = [this, layout](Qt::ArrowType type, int direction) {
        auto* button = new QToolButton(this);
        button->setArrowType(type);
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
        button->setFixedWidth(kArrowsWidth);
        button->setMinimumHeight(6);
        connect(button, &QToolButton::clicked, this, [this, direction] { Click(direction); });
        layout->addWidget(button);
        return button;
    };
    up_ = arrow(Qt::UpArrow, 1);
    down_ = arrow(Qt::DownArrow, -1);
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

void TUpDown::Click(int direction) {
    position_ = To16(Hold(position_ + direction * increment_, min_, max_));
    WriteBox();
    if (OnClick) {
        OnClick(direction);
    }
}

QString TUpDown::Format(int value, bool grouped) {
    QString digits = QString::number(value < 0 ? -static_cast<long long>(value) : value);
    if (grouped) {
        // Every three digits from 1000 up, also where the locale would leave four-digit
        // numbers ungrouped.
        const QString separator = QLocale().groupSeparator();
        for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
            digits.insert(at, separator);
        }
    }
    return value < 0 ? QLatin1Char('-') + digits : digits;
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
    if (watched == box_ && event->type() == QEvent::KeyPress && isEnabled()) {
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
