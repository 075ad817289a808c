#pragma once

#include <QApplication>
#include <functional>

class QSocketNotifier;

// The application object: every event is delivered inside a guard, so an error raised by a
// handler (a file, inflation, deciphering or database error) reaches the general error
// report instead of ending the program.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    ~TApplication() override;
    bool notify(QObject* receiver, QEvent* event) override;

    // SIGTERM (the desktop's shutdown), SIGHUP and SIGINT end the program through `quit`,
    // the path of the tray menu's exit, called from the event loop and not inside the
    // signal handler.
    void QuitOnSignals(std::function<void()> quit);

private:
    QSocketNotifier* signalNotifier_ = nullptr;
    std::function<void()> quit_;
};
