#pragma once

#include <QString>
#include <functional>

// Every question, warning and error box of the program goes through here, so the windows
// can show real boxes and tests can answer in advance. Without a handler, a question is
// answered Cancel and nothing is shown.
enum class TMsgButtons { Ok, OkCancel };
enum class TMsgIcon { Information, Question, Warning, Error };
enum class TMsgResult { Ok, Cancel };

struct TMessage {
    QString text;
    QString caption;
    TMsgButtons buttons = TMsgButtons::Ok;
    TMsgIcon icon = TMsgIcon::Information;
    // The button that Enter presses (Cancel for questions whose OK loses data).
    TMsgResult defaultButton = TMsgResult::Ok;
};

using TMessageHandler = std::function<TMsgResult(const TMessage&)>;

TMsgResult ShowMessageBox(const TMessage& message);
// Installs a handler and returns the one before it.
TMessageHandler SetMessageHandler(TMessageHandler handler);

// The general error report: a message box with the error's text. Without a handler the
// text goes to standard error.
class QObject;
using TErrorHandler = std::function<void(const QString& text)>;
void ReportError(const QString& text);
TErrorHandler SetErrorHandler(TErrorHandler handler);
// ReportError after the current event, so that no modal box opens inside a timer tick or a
// paint; dropped if context is destroyed first.
void ReportErrorLater(QObject* context, const QString& text);

// The busy (hourglass) cursor of long operations.
using TBusyHandler = std::function<void(bool busy)>;
TBusyHandler SetBusyHandler(TBusyHandler handler);

// Shows the busy cursor for its lifetime, also when the operation ends by an error.
class TBusyCursor {
public:
    TBusyCursor();
    ~TBusyCursor();
    TBusyCursor(const TBusyCursor&) = delete;
    TBusyCursor& operator=(const TBusyCursor&) = delete;
};
