#pragma once

#include <QApplication>

// The application object: every event is delivered inside a guard, so an error raised by a
// handler (a file, inflation, deciphering or database error) reaches the general error
// report instead of ending the program.
class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
