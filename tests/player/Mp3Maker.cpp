#include "Mp3Maker.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

namespace testplayer {
namespace {

constexpr int SampleRate = 22050;

void AppendLe16(QByteArray& out, std::uint16_t v) {
    char b[2];
    qToLittleEndian(v, b);
    out.append(b, 2);
}

void AppendLe32(QByteArray& out, std::uint32_t v) {
    char b[4];
    qToLittleEndian(v, b);
    out.append(b, 4);
}

QByteArray ToneWav(int milliseconds, double frequency) {
    const auto samples = static_cast<std::uint32_t>(SampleRate / 1000.0 * milliseconds);
    const std::uint32_t dataBytes = samples * 2;
    QByteArray wav;
    wav.append("RIFF");
    AppendLe32(wav, 36 + dataBytes);
    wav.append("WAVEfmt ");
    AppendLe32(wav, 16);
    AppendLe16(wav, 1); // PCM
    AppendLe16(wav, 1); // mono
    AppendLe32(wav, SampleRate);
    AppendLe32(wav, SampleRate * 2);
    AppendLe16(wav, 2);
    AppendLe16(wav, 16);
    wav.append("data");
    AppendLe32(wav, dataBytes);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double t = static_cast<double>(i) / SampleRate;
        const double v = 0.5 * std::sin(2.0 * std::numbers::pi * frequency * t);
        AppendLe16(wav, static_cast<std::uint16_t>(static_cast<std::int16_t>(v * 32767.0)));
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
