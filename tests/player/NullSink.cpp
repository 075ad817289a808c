#include "NullSink.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QThread>
#include <QtEndian>

#include <cmath>
#include <csignal>
#include <utility>

namespace testplayer {

NullSink::~NullSink() {
    if (recorder_.state() != QProcess::NotRunning) {
        recorder_.kill();
        recorder_.waitForFinished(2000);
    }
    // A throwaway server holds nothing worth waiting for a clean shutdown.
    if (daemonPid_ > 0)
        ::kill(static_cast<pid_t>(daemonPid_), SIGKILL);
    if (!server_.isEmpty()) {
        if (hadPulseServer_)
            qputenv("PULSE_SERVER", oldPulseServer_);
        else
            qunsetenv("PULSE_SERVER");
    }
}

bool NullSink::Start() {
    const auto fail = [this](const QString& reason) {
        failure_ = reason;
        return false;
    };
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("pulseaudio"));
    const QString parec = QStandardPaths::findExecutable(QStringLiteral("parec"));
    if (daemon.isEmpty() || parec.isEmpty())
        return fail(QStringLiteral("pulseaudio or parec is not installed"));
    if (!runtimeDir_.isValid())
        return fail(QStringLiteral("no temporary directory"));
    QFile::setPermissions(runtimeDir_.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir_.path());
    env.insert(QStringLiteral("HOME"), runtimeDir_.path());
    env.remove(QStringLiteral("PULSE_SERVER"));

    // -D returns once the daemon has forked; it writes its id into the runtime directory.
    QProcess start;
    start.setProcessEnvironment(env);
    start.start(daemon,
                {QStringLiteral("-D"), QStringLiteral("-n"), QStringLiteral("--exit-idle-time=-1"),
                 QStringLiteral("--load=module-null-sink sink_name=nullsink"),
                 QStringLiteral("--load=module-native-protocol-unix auth-anonymous=1")});
    if (!start.waitForFinished(5000) || start.exitCode() != 0)
        return fail(QStringLiteral("pulseaudio did not start: ") +
                    QString::fromLocal8Bit(start.readAllStandardError()));
    const QString socket = runtimeDir_.filePath(QStringLiteral("pulse/native"));
    QFile pidFile(runtimeDir_.filePath(QStringLiteral("pulse/pid")));
    if (pidFile.open(QIODevice::ReadOnly))
        daemonPid_ = pidFile.readAll().trimmed().toLongLong();
    if (daemonPid_ <= 0 || !QFile::exists(socket))
        return fail(QStringLiteral("pulseaudio left no socket or pid file"));
    server_ = QStringLiteral("unix:") + socket;

    hadPulseServer_ = qEnvironmentVariableIsSet("PULSE_SERVER");
    oldPulseServer_ = qgetenv("PULSE_SERVER");
    qputenv("PULSE_SERVER", server_.toLocal8Bit());

    QObject::connect(&recorder_, &QProcess::readyReadStandardOutput,
                     [this] { recorded_ += recorder_.readAllStandardOutput(); });
    recorder_.setProcessEnvironment(env);
    recorder_.start(parec,
                    {QStringLiteral("--server=") + server_,
                     QStringLiteral("--device=nullsink.monitor"), QStringLiteral("--raw"),
                     QStringLiteral("--format=s16le"), QStringLiteral("--channels=1"),
                     QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--latency-msec=20")});
    // The monitor delivers samples (silence) continuously once recording runs, though the null
    // sink renders its first block only after about two seconds.
    QDeadlineTimer deadline(3000);
    while (recorded_.isEmpty() && !deadline.hasExpired() &&
           recorder_.state() != QProcess::NotRunning) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(5);
    }
    if (recorded_.isEmpty())
        return fail(QStringLiteral("parec recorded nothing: ") +
                    QString::fromLocal8Bit(recorder_.readAllStandardError()));
    return true;
}

QByteArray NullSink::TakeRecording() {
    recorded_ += recorder_.readAllStandardOutput();
    return std::exchange(recorded_, {});
}

qint16 SampleAt(const QByteArray& samples, qsizetype i) {
    return qFromLittleEndian<qint16>(samples.constData() + i * 2);
}

double Rms(const QByteArray& samples, qsizetype first, qsizetype count) {
    double sum = 0.0;
    qsizetype n = 0;
    for (qsizetype i = first; i < first + count && (i + 1) * 2 <= samples.size(); ++i, ++n) {
        const double v = SampleAt(samples, i);
        sum += v * v;
    }
    return n == 0 ? 0.0 : std::sqrt(sum / static_cast<double>(n));
}

} // namespace testplayer
