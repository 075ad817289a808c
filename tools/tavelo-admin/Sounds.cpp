#include "AdminOps.h"

#include "Business.h"
#include "Channels.h"
#include "Errors.h"
#include "SoundPack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

// Packs into a temporary name first, so an interrupted run never leaves half a file under
// the word's name.
bool PackOne(const QString& source, const QString& dest, QString* error) {
    if (QFileInfo(source).canonicalFilePath() == QFileInfo(dest).canonicalFilePath()) {
        *error = QStringLiteral("%1 is already in the sound folder; pack from another folder")
                     .arg(source);
        return false;
    }
    const QString partial = dest + QStringLiteral(".part");
    try {
        PackSoundFile(source.toStdString(), partial.toStdString());
    } catch (const std::exception& e) {
        QFile::remove(partial);
        *error = QString::fromUtf8(e.what());
        return false;
    }
    QFile::remove(dest);
    if (!QFile::rename(partial, dest)) {
        QFile::remove(partial);
        *error = QStringLiteral("cannot write %1").arg(dest);
        return false;
    }
    return true;
}

bool Run(const QString& program, const QStringList& args, QString* error) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        *error = QStringLiteral("%1 is not installed (Debian: apt-get install espeak-ng lame)")
                     .arg(program);
        return false;
    }
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *error = QStringLiteral("%1 failed: %2")
                     .arg(program, QString::fromLocal8Bit(p.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

} // namespace

bool PackSounds(const QString& source, const QString& mp3Dir, int* packed, QString* error) {
    *packed = 0;
    if (!QDir().mkpath(mp3Dir)) {
        *error = QStringLiteral("cannot create %1").arg(mp3Dir);
        return false;
    }
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
    for (const QString& file : files) {
        const QString dest = QDir(mp3Dir).filePath(QFileInfo(file).fileName());
        if (!PackOne(file, dest, error)) {
            return false;
        }
        ++*packed;
    }
    return true;
}

bool SpeakBook(TAdoChannel& channel, int bookID, const QString& mp3Dir, int* made, QString* error) {
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
    for (const QString& name : names) {
        const QString dest = QDir(mp3Dir).filePath(name + QStringLiteral(".mp3"));
        if (!IsSafeFileStem(name) || name.trimmed().isEmpty() || QFileInfo::exists(dest)) {
            continue;
        }
        if (!Run(QStringLiteral("espeak-ng"),
                 {QStringLiteral("-v"), QStringLiteral("cmn"), QStringLiteral("-s"),
                  QStringLiteral("130"), QStringLiteral("-w"), wav, name},
                 error) ||
            !Run(QStringLiteral("lame"),
                 {QStringLiteral("--quiet"), QStringLiteral("-b"), QStringLiteral("48"),
                  QStringLiteral("-m"), QStringLiteral("m"), wav, mp3},
                 error) ||
            !PackOne(mp3, dest, error)) {
            return false;
        }
        ++*made;
    }
    return true;
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
    f.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=Tavelo\nName[zh_CN]=背词\n"
                           "Comment=Learn Chinese characters and words\nExec=\"%1\"\nIcon=tavelo\n"
                           "Terminal=false\nX-GNOME-Autostart-enabled=true\n")
                .arg(exec)
                .toUtf8());
    return true;
}
