#include "backup/platform/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString Clean(const QString& dir) {
    return QDir::cleanPath(QDir(dir).absolutePath());
}

// XDG Base Directory: a relative XDG_DATA_HOME is invalid and ignored.
QString UserDataHome() {
    const QString xdg = qEnvironmentVariable("XDG_DATA_HOME");
    if (!xdg.isEmpty() && QDir::isAbsolutePath(xdg)) {
        return xdg;
    }
    return QDir::home().filePath(QStringLiteral(".local/share"));
}

} // namespace

TDataFolder ResolveDataFolder(const QString& programDir, const QString& option) {
    if (!option.isEmpty()) {
        return {Clean(option), TDataFolderSource::Option};
    }
    const QString variable = qEnvironmentVariable("TAVELO_DATA_DIR");
    if (!variable.isEmpty()) {
        return {Clean(variable), TDataFolderSource::Variable};
    }
    // Asked of the file system (access), so a read-only mount or another owner counts too.
    if (QFileInfo(programDir).isWritable()) {
        return {Clean(programDir), TDataFolderSource::ProgramFolder};
    }
    return {Clean(QDir(UserDataHome()).filePath(QStringLiteral("tavelo"))),
            TDataFolderSource::UserFolder};
}

bool TakeDataDirOption(QStringList& args, QString* dir) {
    const QString key = QStringLiteral("--data-dir");
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == key) {
            if (i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
                return false;
            }
            *dir = args.at(i + 1);
            args.remove(i, 2);
            return true;
        }
        if (a.startsWith(key + QLatin1Char('='))) {
            *dir = a.mid(key.size() + 1);
            args.remove(i);
            return !dir->isEmpty();
        }
    }
    return true;
}

bool EnsureDataFolder(const QString& path, QString* error) {
    if (QFileInfo(path).isDir() || QDir().mkpath(path)) {
        return true;
    }
    *error = QStringLiteral("cannot create the folder %1").arg(path);
    return false;
}
