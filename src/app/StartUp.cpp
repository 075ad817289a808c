#include "app/StartUp.h"

#include "backup/Backup.h"
#include "backup/platform/InstanceLock.h"
#include "store/Channels.h"

#include <QDir>
#include <QFileInfo>

bool CheckProgramFolder(const QString& dir, TMessage* refusal) {
    const QString name = QString::fromLatin1(kDatabaseFileName);
    const QString path = QDir(dir).filePath(name);
    refusal->caption = QStringLiteral("提示");
    refusal->buttons = TMsgButtons::Ok;
    refusal->icon = TMsgIcon::Warning;
    // A folder of that name is no database.
    if (!QFileInfo(path).isFile()) {
        refusal->text = QStringLiteral("执行目录下没有%1文件！").arg(name);
        return false;
    }
    // A file that is not SQLite, is damaged or cannot take the program's writes is refused
    // before anything writes to it; so is one that lacks tables.
    switch (CheckDatabaseFile(path)) {
    case TFileFitness::Usable:
        break;
    case TFileFitness::NotDatabase:
        refusal->text = QStringLiteral("执行目录下的%1文件不是本程序可用的数据库！").arg(name);
        return false;
    case TFileFitness::Damaged:
        refusal->text = QStringLiteral("执行目录下的%1文件已损坏，请换用备份！").arg(name);
        return false;
    case TFileFitness::ReadOnlyFile:
        refusal->text = QStringLiteral("执行目录下的%1文件是只读的，学习记录无法保存！").arg(name);
        return false;
    case TFileFitness::ReadOnlyFolder:
        refusal->text = QStringLiteral("执行目录不可写入，%1文件的学习记录无法保存！").arg(name);
        return false;
    }
    TAdoChannel channel;
    if (!channel.OpenDatabase(path, QString())) {
        refusal->text = QStringLiteral("执行目录下的%1文件不是本程序可用的数据库！").arg(name);
        return false;
    }
    const QStringList missing = MissingSchemaParts(channel);
    if (!missing.isEmpty()) {
        refusal->text = QStringLiteral("执行目录下的%1文件缺少：%2")
                            .arg(name, missing.join(QStringLiteral("、")));
        return false;
    }
    TAdoQuery* q =
        channel.OpenQuery(QStringLiteral("select count(*) as N from USERS where ID >= 100"), 1);
    if (q == nullptr || q->AsInteger(QStringLiteral("N")) == 0) {
        refusal->text = QStringLiteral("数据库中没有学员（用户编号100以上）！");
        return false;
    }
    q->Close();
    return true;
}

bool LockProgramDatabase(TInstanceLock& lock, const QString& dir, TMessage* refusal) {
    const QString path = QDir(dir).filePath(QString::fromLatin1(kDatabaseFileName));
    bool opened = false;
    if (lock.AcquireFile(DatabaseLockPath(path), &opened) || !opened) {
        return true;
    }
    refusal->caption = QStringLiteral("提示");
    refusal->buttons = TMsgButtons::Ok;
    refusal->icon = TMsgIcon::Warning;
    refusal->text = QStringLiteral("%1正被另一个程序使用（另一位用户的本程序，或 tavelo-admin），"
                                   "请等它结束后再启动！")
                        .arg(QString::fromLatin1(kDatabaseFileName));
    return false;
}
