#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

// A second start brings the running program forward: the instance that holds the lock listens
// on a local socket beside it, and a second start asks it to show the word window.

// Where the socket of the instance `name` lies: the user's runtime folder, as the lock.
QString InstanceSocketPath(const QString& name);

// The running instance's side. Listen only while holding the instance lock: a socket left by
// a process that ended without removing it is replaced.
class TInstanceServer : public QObject {
public:
    explicit TInstanceServer(QObject* parent = nullptr);
    bool Listen(const QString& name);
    // What a request to show does; until it is set (the window is being made and will be
    // shown anyway) a request is answered at once.
    void SetShowHandler(std::function<void()> onShow);

private:
    void Serve();
    QLocalServer* server_;
    std::function<void()> onShow_;
};

// The second start's side: true when the running instance answered within the time.
bool AskRunningInstanceToShow(const QString& name, int timeoutMs = 1000);
