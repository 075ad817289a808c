// Arbitrary stored sound files through the program's unpack and decipher steps: each input
// becomes mp3/x.mp3 in a private folder, is inflated into the staging file and deciphered
// into a play file, exactly as the engine does before playing.
#include "cipher/AES.h"
#include "engine/EngineErrors.h"
#include "engine/Sound.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

struct TFolder {
    QTemporaryDir dir;
    QString stored = QDir(dir.path()).filePath(QStringLiteral("x.mp3"));
    QString staging = QDir(dir.path()).filePath(QStringLiteral("6.mp3"));
    QString play = QDir(dir.path()).filePath(QStringLiteral("1.mp3"));
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TFolder folder;
    {
        QFile f(folder.stored);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            std::abort();
        }
        f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    QFile::remove(folder.staging);
    try {
        UnpackSoundFile(folder.stored, folder.staging);
    } catch (const ETaveloError&) {
        return 0; // refused: the expected outcome for most inputs
    }
    // A file that unpacked holds exactly the announced length.
    const qint64 announced = size >= 4
                                 ? static_cast<qint32>(static_cast<uint32_t>(data[0]) |
                                                       (static_cast<uint32_t>(data[1]) << 8) |
                                                       (static_cast<uint32_t>(data[2]) << 16) |
                                                       (static_cast<uint32_t>(data[3]) << 24))
                                 : -1;
    if (QFileInfo(folder.staging).size() != announced) {
        std::fprintf(stderr, "staging size %lld, announced %lld\n",
                     static_cast<long long>(QFileInfo(folder.staging).size()),
                     static_cast<long long>(announced));
        std::abort();
    }
    try {
        DecipherFile(folder.staging.toStdString(), folder.play.toStdString(), kAudioKey,
                     AESKeySize128);
    } catch (const ETaveloError&) {
    }
    return 0;
}
