#include "model/Prompts.h"

#include <QObject>
#include <cstdio>
#include <utility>

namespace {
TMessageHandler& MessageHandler() {
    static TMessageHandler handler;
    return handler;
}
TErrorHandler& ErrorHandler() {
    static TErrorHandler handler;
    return handler;
}
TBusyHandler& BusyHandler() {
    static TBusyHandler handler;
    return handler;
}
} // namespace

TMsgResult ShowMessageBox(const TMessage& message) {
    if (const TMessageHandler& h = MessageHandler()) {
        return h(message);
    }
    return message.buttons == TMsgButtons::Ok ? TMsgResult::Ok : TMsgResult::Cancel;
}

TMessageHandler SetMessageHandler(TMessageHandler handler) {
    return std::exchange(MessageHandler(), std::move(handler));
}

void ReportError(const QString& text) {
    if (const TErrorHandler& h = ErrorHandler()) {
        h(text);
    } else {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
    }
}

TErrorHandler SetErrorHandler(TErrorHandler handler) {
    return std::exchange(ErrorHandler(), std::move(handler));
}

void ReportErrorLater(QObject* context, const QString& text) {
    QMetaObject::invokeMethod(
        context, [text] { ReportError(text); }, Qt::QueuedConnection);
}

TBusyHandler SetBusyHandler(TBusyHandler handler) {
    return std::exchange(BusyHandler(), std::move(handler));
}

TBusyCursor::TBusyCursor() {
    if (const TBusyHandler& h = BusyHandler()) {
        h(true);
    }
}

TBusyCursor::~TBusyCursor() {
    if (const TBusyHandler& h = BusyHandler()) {
        h(false);
    }
}
