#include "DemoMedia.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool CopyDemoMedia(const QString& demoDir, const QString& dataDir, int* copied, QString* error) {
    *copied = 0;
    for (const QString& sub : {QStringLiteral("mp3"), QStringLiteral("jpg")}) {
        const QDir from(QDir(demoDir).filePath(sub));
        if (!from.exists()) {
            continue;
        }
        const QDir to(QDir(dataDir).filePath(sub));
        if (!QDir().mkpath(to.path())) {
            *error = QStringLiteral("cannot create %1").arg(to.path());
            return false;
        }
        for (const QString& name : from.entryList(QDir::Files)) {
            const QString target = to.filePath(name);
            if (QFileInfo::exists(target)) {
                continue;
            }
            // Under a temporary name first, so a copy cut short never passes for a recording.
            const QString part = to.filePath(QStringLiteral(".%1.part").arg(name));
            QFile::remove(part);
            if (!QFile::copy(from.filePath(name), part) || !QFile::rename(part, target)) {
                QFile::remove(part);
                *error = QStringLiteral("cannot copy %1 into %2").arg(name, to.path());
                return false;
            }
            // A copy of a read-only packaged file is read-only too; the learner owns this one.
            QFile(target).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup |
                                         QFile::ReadOther);
            ++*copied;
        }
    }
    return true;
}
