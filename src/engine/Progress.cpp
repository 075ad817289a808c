// Progress writes that could not be made at once: retried, reported once, and kept in a file
// beside the database when the program ends before the file is free again.
#include "ReciteCtrl.h"

#include <QFile>
#include <QSaveFile>
#include <QTimer>

QString TRecite::PendingProgressPath() const {
    return FilePath(QStringLiteral("Tavelo.pending"));
}

void TRecite::FlushProgress() {
    Channel->FlushKept();
    AfterProgressWrite();
}

void TRecite::AfterProgressWrite() {
    const QStringList dropped = Channel->TakeDroppedWrites();
    if (!dropped.isEmpty()) {
        reportError_(QStringLiteral("有%1条学习进度数据库拒绝写入，已放弃：%2")
                         .arg(dropped.size())
                         .arg(dropped.first()));
    }
    if (Channel->KeptWrites().isEmpty()) {
        KeptTimer->stop();
        keptSince_.invalidate();
        keptReported_ = false;
        QFile::remove(PendingProgressPath());
        return;
    }
    if (!keptSince_.isValid()) {
        keptSince_.start();
    }
    if (!KeptTimer->isActive()) {
        KeptTimer->start();
    }
    const bool busy = Channel->KeptFailureIsBusy();
    if (keptReported_ || (busy && keptSince_.elapsed() < kKeptPatienceMs)) {
        return;
    }
    keptReported_ = true;
    const QString file = QString::fromLatin1(kDatabaseFileName);
    reportError_(busy ? QStringLiteral("学习进度暂时无法保存：%1文件被其他程序占用。"
                                       "已完成的进度不会丢失，文件可用时会自动保存。")
                            .arg(file)
                      : QStringLiteral("学习进度暂时无法保存：%1文件无法写入（%2）。"
                                       "已完成的进度不会丢失，可以写入时会自动保存。")
                            .arg(file, Channel->LastError()));
}

// Writes kept from an earlier run come first, before anything of this run.
void TRecite::LoadPendingProgress() {
    QFile file(PendingProgressPath());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    file.close();
    for (const QString& line : lines) {
        if (IsProgressWrite(line)) { // nothing else is ever run from the file
            Channel->Keep(line);
        }
    }
    FlushProgress();
}

void TRecite::SavePendingProgress() {
    if (Channel->KeptWrites().isEmpty() || Channel->FlushKept(FinalWaitMs)) {
        QFile::remove(PendingProgressPath());
        return;
    }
    QSaveFile file(PendingProgressPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        file.write(Channel->KeptWrites().join(QLatin1Char('\n')).toUtf8());
        file.write("\n");
        if (file.commit()) {
            return;
        }
    }
    ReportError(QStringLiteral("有%1条学习进度未能保存：%2文件被占用或无法写入，"
                               "%3也无法写入。")
                    .arg(Channel->KeptWrites().size())
                    .arg(QString::fromLatin1(kDatabaseFileName), PendingProgressPath()));
}
