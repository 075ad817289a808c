#include "engine/Sound.h"

#include "engine/EngineErrors.h"
#include "engine/ReciteCtrl.h"

#include <QFile>
#include <zlib.h>

namespace {

constexpr qint64 kLengthField = kSoundLengthBytes;
// The play files the deciphered recordings take turns in, so the player may still read the
// one before while the next is written.
constexpr int kPlaySlots = kStagingSlot;

// Deflate cannot expand data by more than about 1032:1; anything announcing more than that
// (plus slack for tiny files) is not a stream this program wrote.
constexpr qint64 kMaxInflateRatio = 1100;
constexpr qint64 kInflateSlack = 4096;
// No pronunciation comes near this; a larger announcement is refused whatever the ratio.
constexpr qint64 kMaxSoundBytes = 64 * 1024 * 1024;

[[noreturn]] void Damaged(const QString& path, const char* what) {
    throw EInflateError(QStringLiteral("The sound file \"%1\" is damaged: %2")
                            .arg(path, QLatin1String(what))
                            .toStdString());
}

} // namespace

void UnpackSoundFile(const QString& storedPath, const QString& stagingPath) {
    QFile in(storedPath);
    if (!in.open(QIODevice::ReadOnly)) {
        throw EFileError(QStringLiteral("Cannot open file \"%1\". %2")
                             .arg(storedPath, in.errorString())
                             .toStdString());
    }
    const QByteArray stored = in.readAll();
    in.close();
    if (stored.size() < kLengthField) {
        Damaged(storedPath, "it is shorter than its length field");
    }
    const auto* b = reinterpret_cast<const unsigned char*>(stored.constData());
    const auto announced = static_cast<qint32>(
        static_cast<quint32>(b[0]) | (static_cast<quint32>(b[1]) << 8) |
        (static_cast<quint32>(b[2]) << 16) | (static_cast<quint32>(b[3]) << 24));
    const qint64 compressed = stored.size() - kLengthField;
    if (announced < 0 || announced > kMaxSoundBytes ||
        announced > compressed * kMaxInflateRatio + kInflateSlack) {
        Damaged(storedPath, "its announced length is impossible");
    }
    QByteArray plain(announced, Qt::Uninitialized);
    uLongf plainLength = static_cast<uLongf>(announced);
    uLong sourceLength = static_cast<uLong>(compressed);
    const int rc = uncompress2(reinterpret_cast<Bytef*>(plain.data()), &plainLength,
                               reinterpret_cast<const Bytef*>(stored.constData() + kLengthField),
                               &sourceLength);
    if (rc == Z_BUF_ERROR && plainLength == static_cast<uLongf>(announced) && announced > 0) {
        Damaged(storedPath, "it inflates to more than its announced length");
    }
    if (rc != Z_OK) {
        Damaged(storedPath, "its compressed data is invalid");
    }
    if (plainLength != static_cast<uLongf>(announced)) {
        Damaged(storedPath, "it inflates to less than its announced length");
    }
    QFile out(stagingPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        throw EFileError(QStringLiteral("Cannot create file \"%1\". %2")
                             .arg(stagingPath, out.errorString())
                             .toStdString());
    }
    if (out.write(plain) != plain.size()) {
        throw EStreamError("Stream write error");
    }
}

QString TRecite::StagingPath() const {
    return FilePath(QStringLiteral("temp/%1.mp3").arg(kStagingSlot));
}

void TRecite::UnpackSound(const QString& path) {
    UnpackSoundFile(path, StagingPath());
}

void TRecite::PlaySound() {
    soundSlot_ = (soundSlot_ + 1) % kPlaySlots;
    const QString play = FilePath(QStringLiteral("temp/%1.mp3").arg(soundSlot_));
    DecipherFile(StagingPath().toStdString(), play.toStdString(), kAudioKey, kAudioKeySize);
    if (player_) {
        const QByteArray path = play.toUtf8();
        player_->Play(path.constData());
    }
}
