#include "BackupCommands.h"

#include "Console.h"
#include "backup/Backup.h"

#include <QDir>
#include <QFileInfo>
#include <QTextStream>

const char kBackupUsage[] =
    "\ncopies of the database:\n"
    "  backup [FILE]\n"
    "        copy the database (consistently, also while Tavelo runs) into backups/\n"
    "        beside it, or to FILE\n"
    "  list-backups\n"
    "        show the copies in backups/: when taken, size, learners\n"
    "  check [FILE]\n"
    "        check that the database (or FILE) is intact and usable by Tavelo;\n"
    "        exit code 0 when it is, 1 when not\n"
    "  restore FILE\n"
    "        replace the database with FILE (a name in backups/ will do) after checking\n"
    "        it; the current database is copied into backups/ first. Quit Tavelo first.\n";

namespace {

QString Learners(int n) {
    return n == 1 ? QStringLiteral("1 learner") : QStringLiteral("%1 learners").arg(n);
}

int Fail(const QString& message) {
    Err() << "tavelo-admin: " << message << Qt::endl;
    return 1;
}

QString Size(qint64 bytes) {
    if (bytes < 1024 * 1024) {
        return QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
    }
    return QStringLiteral("%1 MB").arg(static_cast<double>(bytes) / (1024.0 * 1024.0), 0, 'f', 1);
}

int Backup(const QStringList& args, const QString& db) {
    if (args.size() > 1) {
        return Fail(QStringLiteral("backup takes an optional FILE"));
    }
    TBackupError error;
    QString copy;
    bool ok = false;
    if (args.isEmpty()) {
        ok = TakeBackup(db, QDateTime::currentDateTime(), true, &copy, &error);
    } else {
        copy = QFileInfo(args.first()).absoluteFilePath();
        ok = CopyDatabase(db, copy, &error);
    }
    if (!ok) {
        return Fail(QStringLiteral("backup failed: %1").arg(error.text));
    }
    Out() << "copied " << db << " to " << copy << Qt::endl;
    return 0;
}

int ListCopies(const QString& db) {
    const QString folder = BackupFolder(db);
    const QList<TBackupInfo> list = ListBackups(folder);
    if (list.isEmpty()) {
        Out() << "no copies in " << folder << Qt::endl;
        return 0;
    }
    Out() << "copies in " << folder << " (newest first):" << Qt::endl;
    for (const TBackupInfo& b : list) {
        const QString learners =
            b.learners < 0 ? QStringLiteral("unreadable") : Learners(b.learners);
        Out() << b.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) << "  "
              << Size(b.size).rightJustified(9) << "  " << learners.leftJustified(12) << "  "
              << QFileInfo(b.path).fileName() << '\n';
    }
    Out().flush();
    return 0;
}

int Check(const QStringList& args, const QString& db) {
    if (args.size() > 1) {
        return Fail(QStringLiteral("check takes an optional FILE"));
    }
    const QString file = args.isEmpty() ? db : args.first();
    QStringList problems;
    int learners = 0;
    if (!CheckDatabase(file, &problems, &learners)) {
        Out() << file << ": NOT usable: " << problems.join(QStringLiteral("; ")) << Qt::endl;
        return 1;
    }
    Out() << file << ": ok (intact, all tables, " << Learners(learners) << ")" << Qt::endl;
    return 0;
}

int Restore(const QStringList& args, const QString& db) {
    if (args.size() != 1) {
        return Fail(QStringLiteral("restore needs one FILE"));
    }
    // A bare name from list-backups is found in backups/.
    QString file = args.first();
    const QString inFolder = QDir(BackupFolder(db)).filePath(file);
    if (!QFileInfo::exists(file) && !file.contains(QLatin1Char('/')) &&
        QFileInfo::exists(inFolder)) {
        file = inFolder;
    }
    QString safety;
    QString error;
    if (!RestoreDatabase(file, db, QDateTime::currentDateTime(), &safety, &error)) {
        return Fail(QStringLiteral("restore refused, the database is unchanged: %1").arg(error));
    }
    Out() << "restored " << file << " into " << db << Qt::endl;
    if (!safety.isEmpty()) {
        Out() << "the database before is kept as " << safety << Qt::endl;
    }
    return 0;
}

} // namespace

bool RunBackupCommand(const QString& command, const QStringList& args, const QString& db,
                      int* exitCode) {
    if (command == QLatin1String("backup")) {
        *exitCode = Backup(args, db);
    } else if (command == QLatin1String("list-backups")) {
        *exitCode = args.isEmpty() ? ListCopies(db)
                                   : Fail(QStringLiteral("list-backups takes no arguments"));
    } else if (command == QLatin1String("check")) {
        *exitCode = Check(args, db);
    } else if (command == QLatin1String("restore")) {
        *exitCode = Restore(args, db);
    } else {
        return false;
    }
    return true;
}
