#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace testplayer {

// A private PulseAudio server with one null sink, and a recorder on that sink's monitor, so a
// test can hear what was played. Starting sets PULSE_SERVER for this process; the destructor
// stops both processes (by their own ids) and restores the variable.
class NullSink {
public:
    static constexpr int Rate = 22050;

    NullSink() = default;
    NullSink(const NullSink&) = delete;
    NullSink& operator=(const NullSink&) = delete;
    ~NullSink();

    // False with a reason in Failure() when the server or the recorder does not come up.
    bool Start();
    QString Failure() const { return failure_; }

    // Mono 16-bit samples recorded so far; the caller runs the event loop meanwhile.
    QByteArray TakeRecording();

private:
    QTemporaryDir runtimeDir_;
    QString server_;
    qint64 daemonPid_ = 0;
    QProcess recorder_;
    QByteArray recorded_;
    QByteArray oldPulseServer_;
    bool hadPulseServer_ = false;
    QString failure_;
};

// Sample i of 16-bit little-endian samples.
qint16 SampleAt(const QByteArray& samples, qsizetype i);

// Root mean square of 16-bit little-endian samples.
double Rms(const QByteArray& samples, qsizetype first, qsizetype count);

} // namespace testplayer
