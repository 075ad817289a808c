#include "setup/UpdownEdit.h"

#include "ui/TextRules.h"
#include "widgets/UpDown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace {

constexpr int kBoxWidth = 60;
constexpr int kBoxHeight = 25;
constexpr int kMaxChars = 6;
constexpr int kPageStep = 10;
constexpr char16_t kBackspace = u'\b';

bool ReadsAsInteger(const QString& text) {
    bool ok = false;
    TrimBlanks(text).toInt(&ok, 10);
    return ok;
}

// Keys that carry a control character yet belong to the dialog: moving the focus, its
// default and its cancel button.
bool IsDialogKey(int key) {
    return key == Qt::Key_Tab || key == Qt::Key_Backtab || key == Qt::Key_Return ||
           key == Qt::Key_Enter || key == Qt::Key_Escape;
}

// What an input method or a paste may bring: full-width digits and minus signs read as
// their ASCII forms.
QChar AsciiForm(QChar c) {
    if (c.category() == QChar::Number_DecimalDigit) {
        return QChar(u'0' + c.digitValue());
    }
    if (c == QChar(0xFF0D) || c == QChar(0x2212)) {
        return QLatin1Char('-');
    }
    return c;
}

} // namespace

TUpdownEdit::TUpdownEdit(QWidget* parent) : QWidget(parent) {
    box_ = new QLineEdit(this);
    box_->setMaxLength(kMaxChars);
    // Text reaches the box only through the filtered keys.
    box_->setContextMenuPolicy(Qt::NoContextMenu);
    box_->setAcceptDrops(false);
    box_->installEventFilter(this);
    // Text that arrives around the key filter (an input method's commit, a middle-click
    // paste, undo) is held to the same rules, so the box never shows what is not stored.
    connect(box_, &QLineEdit::textEdited, this, [this] { Settle(); });
    arrows_ = new TUpDown(this);
    // The box's Up and Down keys work the arrows, which then write the position themselves.
    arrows_->Associate(box_, false, false);
    arrows_->OnClick = [this](int direction) {
        WritePosition();
        if (OnUpDownClick) {
            OnUpDownClick(direction);
        }
    };
    setFocusProxy(box_);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    resize(kBoxWidth + arrows_->width(), kBoxHeight);
    setMinimumSize(size());
}

QString TUpdownEdit::Text() const {
    return box_->text();
}

void TUpdownEdit::SetText(const QString& text) {
    box_->setText(text);
}

QFont TUpdownEdit::Font() const {
    return box_->font();
}

void TUpdownEdit::SetFont(const QFont& font) {
    box_->setFont(font);
}

int TUpdownEdit::Min() const {
    return arrows_->Min();
}
int TUpdownEdit::Max() const {
    return arrows_->Max();
}
int TUpdownEdit::Position() const {
    return arrows_->Position();
}
int TUpdownEdit::Increment() const {
    return arrows_->Increment();
}
void TUpdownEdit::SetMin(int value) {
    arrows_->SetMin(value);
}
void TUpdownEdit::SetMax(int value) {
    arrows_->SetMax(value);
}
void TUpdownEdit::SetIncrement(int value) {
    arrows_->SetIncrement(value);
}

void TUpdownEdit::SetPosition(int value) {
    const int before = arrows_->Position();
    arrows_->SetPosition(value);
    if (arrows_->Position() != before) {
        WritePosition(); // the arrows write every change of their position
    }
    if (arrows_->Position() == 0) {
        box_->setText(QStringLiteral("0"));
    }
    if (box_->text().isEmpty() || box_->text() == QLatin1String("-")) {
        WritePosition();
    }
}

void TUpdownEdit::WritePosition() {
    box_->setText(QString::number(arrows_->Position()));
}

void TUpdownEdit::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const int arrowsWidth = arrows_->width();
    box_->setGeometry(0, 0, width() - arrowsWidth, height());
    arrows_->setGeometry(width() - arrowsWidth, 0, arrowsWidth, height());
}

bool TUpdownEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched == box_ && event->type() == QEvent::KeyPress) {
        return KeyDown(static_cast<QKeyEvent*>(event));
    }
    if (watched == box_ && event->type() == QEvent::KeyRelease) {
        KeyUp(static_cast<QKeyEvent*>(event)->key());
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

// True when the key is used up here and must not reach the box.
bool TUpdownEdit::KeyDown(const QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_PageUp:
        arrows_->SetPosition(arrows_->Position() + kPageStep);
        WritePosition();
        return true;
    case Qt::Key_PageDown:
        arrows_->SetPosition(arrows_->Position() - kPageStep);
        WritePosition();
        return true;
    case Qt::Key_Delete:
        return false; // an editing key, not a character: the release holds the value in range
    default:
        break;
    }
    if (IsDialogKey(event->key())) {
        return false;
    }
    if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll)) {
        return false; // change nothing
    }
    const QString text = event->text();
    if (text.isEmpty()) {
        return false; // caret movement, modifiers
    }
    return !Accepts(text);
}

bool TUpdownEdit::Accepts(const QString& character) const {
    if (character.size() != 1) {
        return false;
    }
    const QChar c = character.front();
    if (c == QLatin1Char('-') && box_->text().isEmpty()) {
        return true;
    }
    if ((c == QLatin1Char('-') || c.isDigit() || c == kBackspace) && c.unicode() < 0x80 &&
        ReadsAsInteger(box_->text() + c)) {
        return true;
    }
    return c == kBackspace;
}

void TUpdownEdit::Settle() {
    QString kept;
    for (const QChar raw : box_->text()) {
        const QChar c = AsciiForm(raw);
        if (c == QLatin1Char('-')
                ? kept.isEmpty()
                : (c.unicode() < 0x80 && c.isDigit() && ReadsAsInteger(kept + c))) {
            kept += c;
        }
    }
    if (kept != box_->text()) {
        box_->setText(kept);
    }
    HoldInRange();
}

void TUpdownEdit::HoldInRange() {
    bool ok = false;
    const int value = box_->text().toInt(&ok, 10); // not a number counts as 0
    const int read = ok ? value : 0;
    if (read > arrows_->Max() || read < arrows_->Min()) {
        arrows_->SetPosition(read);
        WritePosition();
        box_->end(false);
    } else {
        arrows_->SetPosition(read);
    }
}

void TUpdownEdit::KeyUp(int key) {
    HoldInRange();
    if (OnKeyUp) {
        OnKeyUp(key);
    }
}
