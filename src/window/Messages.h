#pragma once

#include <QEvent>
#include <QtGlobal>

// The private messages of the word window, as events of these fixed numbers.
inline constexpr QEvent::Type WM_RECITEHIDE = static_cast<QEvent::Type>(1324);
inline constexpr QEvent::Type WM_RECITEDESKTOP = static_cast<QEvent::Type>(1424);

// A private message with its two parameters; a sent message carries its result back.
class TReciteMessage : public QEvent {
public:
    explicit TReciteMessage(QEvent::Type type, qintptr wParam = 0, qintptr lParam = 0)
        : QEvent(type), WParam(wParam), LParam(lParam) {}
    qintptr WParam;
    qintptr LParam;
    qintptr Result = 0;
};
