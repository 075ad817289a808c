#include "AdminOps.h"

#include "SoundPack.h"
#include "common/Errors.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <utility>
#include <vector>

namespace {

// Recordings are packed under temporary names first and take their words' names together
// at the end, so a run that fails stores nothing and never leaves half a file under a
// word's name. What was not moved in is removed when the staging ends.
class TStaging {
public:
    TStaging() = default;
    TStaging(const TStaging&) = delete;
    TStaging& operator=(const TStaging&) = delete;
    ~TStaging() {
        for (const auto& [staged, dest] : files_) {
            QFile::remove(staged);
        }
    }

    bool Pack(const QString& source, const QString& dest, QString* error) {
        if (QFileInfo(source).canonicalFilePath() == QFileInfo(dest).canonicalFilePath()) {
            *error = QStringLiteral("%1 is already in the sound folder; pack from another folder")
                         .arg(source);
            return false;
        }
        const QString staged = dest + QStringLiteral(".part");
        files_.emplace_back(staged, dest);
        try {
            PackSoundFile(source.toStdString(), staged.toStdString());
        } catch (const std::exception& e) {
            *error = QString::fromUtf8(e.what());
            return false;
        }
        return true;
    }

    // *moved counts the recordings now stored under their words' names.
    bool MoveIn(int* moved, QString* error) {
        *moved = 0;
        for (const auto& [staged, dest] : files_) {
            QFile::remove(dest);
            if (!QFile::rename(staged, dest)) {
                *error = QStringLiteral("cannot write %1 (%2 of %3 recordings stored)")
                             .arg(dest)
                             .arg(*moved)
                             .arg(files_.size());
                return false;
            }
            ++*moved;
        }
        files_.clear();
        return true;
    }

private:
    std::vector<std::pair<QString, QString>> files_; // staged name, word's name
};

bool Run(const QString& program, const QStringList& args, QString* error) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = QStringLiteral("%1 is not installed (Debian: apt-get install espeak-ng lame)")
                     .arg(program);
        return false;
    }
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(p.readAllStandardError()).trimmed();
        *error = QStringLiteral("%1 failed (%2)%3")
                     .arg(program,
                          p.state() != QProcess::NotRunning ? QStringLiteral("no answer in 60 s")
                          : p.exitStatus() != QProcess::NormalExit
                              ? QStringLiteral("crashed")
                              : QStringLiteral("exit code %1").arg(p.exitCode()),
                          said.isEmpty() ? QString() : QStringLiteral(": ") + said);
        p.kill();
        p.waitForFinished(1000);
        return false;
    }
    return true;
}

} // namespace

bool PackSounds(const QString& source, const QString& mp3Dir, int* packed, QString* error) {
    *packed = 0;
    QStringList files;
    const QFileInfo info(source);
    if (info.isDir()) {
        for (const QFileInfo& f :
             QDir(source).entryInfoList({QStringLiteral("*.mp3")}, QDir::Files, QDir::Name)) {
            files << f.filePath();
        }
    } else if (info.isFile()) {
        files << source;
    } else {
        *error = QStringLiteral("%1 does not exist").arg(source);
        return false;
    }
    // Every file is checked before any is packed: a run that refuses stores nothing.
    for (const QString& file : files) {
        QFile f(file);
        if (!f.open(QIODevice::ReadOnly)) {
            *error = QStringLiteral("cannot read %1: %2").arg(file, f.errorString());
            return false;
        }
        const QByteArray bytes = f.readAll();
        if (!IsMp3(std::span(reinterpret_cast<const uint8_t*>(bytes.constData()),
                             static_cast<std::size_t>(bytes.size())))) {
            *error = QStringLiteral("%1 is not an MP3 recording; nothing was stored").arg(file);
            return false;
        }
    }
    if (!QDir().mkpath(mp3Dir)) {
        *error = QStringLiteral("cannot create %1").arg(mp3Dir);
        return false;
    }
    TStaging staging;
    for (const QString& file : files) {
        if (!staging.Pack(file, QDir(mp3Dir).filePath(QFileInfo(file).fileName()), error)) {
            return false;
        }
    }
    return staging.MoveIn(packed, error);
}

bool SpeakBook(TAdoChannel& channel, int bookID, const QString& mp3Dir, int* made, QString* error,
               const TSpeakProgress& progress) {
    *made = 0;
    QStringList names;
    TAdoQuery* q = channel.OpenQuery(
        bookID > 0
            ? SqlFormat("select distinct WORD_NAME from Book where BOOK_ID = %d order by WORD_ID",
                        {bookID})
            : QStringLiteral("select distinct WORD_NAME from Book order by BOOK_ID, WORD_ID"),
        1);
    for (; q != nullptr && !q->Eof(); q->Next()) {
        names << q->AsString(QStringLiteral("WORD_NAME"));
    }
    if (q == nullptr) {
        *error = QStringLiteral("cannot read the books: %1").arg(channel.LastError());
        return false;
    }
    QTemporaryDir work;
    if (!work.isValid() || !QDir().mkpath(mp3Dir)) {
        *error = QStringLiteral("cannot create %1").arg(mp3Dir);
        return false;
    }
    const QString wav = work.filePath(QStringLiteral("word.wav"));
    const QString mp3 = work.filePath(QStringLiteral("word.mp3"));
    // The words to record are known before the first, so progress can count toward them.
    names.removeIf([&mp3Dir](const QString& name) {
        return !IsSafeFileStem(name) || name.trimmed().isEmpty() ||
               QFileInfo::exists(QDir(mp3Dir).filePath(name + QStringLiteral(".mp3")));
    });
    const auto report = [&progress, total = static_cast<int>(names.size())](int done) {
        if (progress) {
            progress(done, total);
        }
    };
    report(0);
    TStaging staging;
    int done = 0;
    for (const QString& name : names) {
        const QString dest = QDir(mp3Dir).filePath(name + QStringLiteral(".mp3"));
        // "--" ends the options: a word may begin with a dash.
        if (!Run(QStringLiteral("espeak-ng"),
                 {QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("-s"),
                  QStringLiteral("130"), QStringLiteral("-w"), wav, QStringLiteral("--"), name},
                 error) ||
            !Run(QStringLiteral("lame"),
                 {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("48"),
                  QStringLiteral("-m"), QStringLiteral("m"), wav, mp3},
                 error) ||
            !staging.Pack(mp3, dest, error)) {
            *error = QStringLiteral("no recording stored: \"%1\": %2").arg(name, *error);
            return false;
        }
        QFile::remove(wav); // a word that makes no sound must not pass on the last one's
        report(++done);
    }
    return staging.MoveIn(made, error);
}

bool SetAutostart(bool on, const QString& program, QString* error) {
    const QString dir =
        QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
            .filePath(QStringLiteral("autostart"));
    const QString entry = QDir(dir).filePath(QStringLiteral("tavelo.desktop"));
    if (!on) {
        if (QFileInfo::exists(entry) && !QFile::remove(entry)) {
            *error = QStringLiteral("cannot remove %1").arg(entry);
            return false;
        }
        return true;
    }
    QFile f(entry);
    if (!QDir().mkpath(dir) || !f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        *error = QStringLiteral("cannot write %1").arg(entry);
        return false;
    }
    QString exec = program;
    exec.replace(QLatin1Char('"'), QLatin1String("\\\""));
    const qint64 written = f.write(
        QStringLiteral("[Desktop Entry]\nType=Application\nName=Tavelo\nName[zh_CN]=背词\n"
                       "Comment=Learn Chinese characters and words\nExec=\"%1\"\nIcon=tavelo\n"
                       "Terminal=false\nX-GNOME-Autostart-enabled=true\n")
            .arg(exec)
            .toUtf8());
    if (written < 0 || !f.flush()) {
        f.close();
        QFile::remove(entry);
        *error = QStringLiteral("cannot write %1").arg(entry);
        return false;
    }
    return true;
}
