#include "app/JetConversion.h"

#include "backup/platform/Files.h"
#include "jet/JetFile.h"
#include "jet/JetImport.h"
#include "model/Prompts.h"
#include "store/Channels.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProgressDialog>

namespace {

void Tell(const QString& text, TMsgIcon icon) {
    TMessage m;
    m.text = text;
    m.caption = QStringLiteral("提示");
    m.icon = icon;
    ShowMessageBox(m);
}

} // namespace

QString KeptJetName(const QString& dir) {
    QString name = QStringLiteral("Tavelo-Access.mdb");
    for (int i = 2; QFileInfo::exists(QDir(dir).filePath(name)); ++i) {
        name = QStringLiteral("Tavelo-Access-%1.mdb").arg(i);
    }
    return name;
}

bool OfferJetConversion(const QString& dir) {
    const QString name = QString::fromLatin1(kDatabaseFileName);
    const QString path = QDir(dir).filePath(name);
    if (!QFileInfo(path).isFile() || SniffFileKind(path) != TFileKind::Jet4) {
        return true;
    }
    const QString kept = KeptJetName(dir);
    TMessage ask;
    ask.caption = QStringLiteral("提示");
    ask.icon = TMsgIcon::Question;
    ask.buttons = TMsgButtons::OkCancel;
    ask.text = QStringLiteral("执行目录下的%1文件是旧版（Access）的数据库。\n\n"
                              "是否把它转换为本程序的数据库？学员、设置、词库和学习记录"
                              "都将转入；原文件改名为%2，保留在同一目录下。")
                   .arg(name, kept);
    if (ShowMessageBox(ask) != TMsgResult::Ok) {
        return false;
    }
    QProgressDialog progress(QStringLiteral("正在转换数据库%1……").arg(name), QString(), 0, 1000);
    progress.setWindowTitle(QStringLiteral("Tavelo"));
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setWindowFlag(Qt::WindowStaysOnTopHint);
    progress.setMinimumDuration(0);
    progress.setObjectName(QStringLiteral("dlgConvert"));
    progress.setValue(0);
    progress.show();
    QApplication::processEvents();

    const QString partial =
        QStringLiteral("%1.%2.part").arg(path).arg(QCoreApplication::applicationPid());
    QFile::remove(partial);
    TJetReport report;
    QString error;
    const bool built =
        BuildFromJet(path, partial, &report, &error, [&progress](qint64 done, qint64 total) {
            progress.setValue(total > 0 ? static_cast<int>(done * 1000 / total) : 1000);
            QApplication::processEvents();
        });
    progress.close();
    if (!built) {
        Tell(QStringLiteral("%1文件转换失败，原文件未作改动。\n\n%2").arg(name, error),
             TMsgIcon::Error);
        return false;
    }
    // The Access file steps aside first; should the converted file fail to take its name, it
    // goes back, so the folder is as it was.
    const QString keptPath = QDir(dir).filePath(kept);
    if (!QFile::rename(path, keptPath)) {
        QFile::remove(partial);
        Tell(QStringLiteral("%1文件无法改名为%2，原文件未作改动。").arg(name, kept),
             TMsgIcon::Error);
        return false;
    }
    if (!QFile::rename(partial, path)) {
        QFile::rename(keptPath, path);
        QFile::remove(partial);
        Tell(QStringLiteral("转换后的数据库无法存为%1，原文件未作改动。").arg(name),
             TMsgIcon::Error);
        return false;
    }
    SyncFolder(dir);
    return true;
}
