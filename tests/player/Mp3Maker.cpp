#include "Mp3Maker.h"

#include <QByteArray>
#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>
#include <numbers>
#include <random>

namespace testplayer {
namespace {

constexpr int SampleRate = 22050;

QByteArray ToneWav(int milliseconds, double frequency) {
    const auto samples = static_cast<quint32>(SampleRate / 1000.0 * milliseconds);
    const quint32 dataBytes = samples * 2;
    QByteArray wav;
    QDataStream out(&wav, QIODevice::WriteOnly);
    out.setByteOrder(QDataStream::LittleEndian);
    out.writeRawData("RIFF", 4);
    out << quint32{36 + dataBytes};
    out.writeRawData("WAVEfmt ", 8);
    out << quint32{16};
    out << quint16{1}; // PCM
    out << quint16{1}; // mono
    out << quint32{SampleRate};
    out << quint32{SampleRate * 2};
    out << quint16{2};
    out << quint16{16};
    out.writeRawData("data", 4);
    out << dataBytes;
    for (quint32 i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double v = 0.5 * std::sin(2.0 * std::numbers::pi * frequency * t);
        out << static_cast<qint16>(v * 32767.0);
    }
    return wav;
}

bool WriteFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size();
}

QByteArray Noise(int bytes) {
    std::mt19937 gen(20240601u);
    QByteArray data;
    data.reserve(bytes);
    for (int i = 0; i < bytes; ++i)
        data.append(static_cast<char>(gen() & 0xFFu));
    return data;
}

} // namespace

QString LameExecutable() {
    return QStandardPaths::findExecutable(QStringLiteral("lame"));
}

bool WriteToneMp3(const QString& mp3Path, int milliseconds, double frequency) {
    const QString wavPath = mp3Path + QStringLiteral(".wav");
    if (!WriteFile(wavPath, ToneWav(milliseconds, frequency)))
        return false;
    // Constant bit rate keeps the duration the backend estimates close to the real one.
    const int rc = QProcess::execute(
        LameExecutable(), {QStringLiteral("--quiet"), QStringLiteral("--cbr"), QStringLiteral("-b"),
                           QStringLiteral("64"), wavPath, mp3Path});
    QFile::remove(wavPath);
    return rc == 0 && QFile::exists(mp3Path);
}

bool WriteNoise(const QString& path, int bytes) {
    return WriteFile(path, Noise(bytes));
}

bool Damage(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite) || f.size() < 3)
        return false;
    const qint64 third = f.size() / 3;
    return f.seek(third) && f.write(Noise(static_cast<int>(third))) == third;
}

} // namespace testplayer
