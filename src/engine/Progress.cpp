// Progress writes that could not be made at once: kept in a file beside the database the moment
// they are made, retried, reported once, and made first by the next run when this one ends
// before the file is free again.
#include "engine/ReciteCtrl.h"
#include "store/Schema.h"

#include <QTimer>
#include <algorithm>

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
        Report(QStringLiteral("有%1条学习进度数据库拒绝写入，已放弃：%2")
                   .arg(dropped.size())
                   .arg(dropped.first()));
    }
    if (Channel->KeptWrites().isEmpty()) {
        keptTimer_->stop();
        keptSince_.invalidate();
        keptReported_ = false;
        return;
    }
    if (!keptSince_.isValid()) {
        keptSince_.start();
        keptAttempts_ = 0;
    }
    // Each attempt may hold the window for the short wait: a file held for long is tried
    // less and less often.
    const int interval = std::min(kKeptRetryMs << std::min(keptAttempts_++, 4), kKeptRetryMaxMs);
    if (keptTimer_->interval() != interval) {
        keptTimer_->setInterval(interval);
    }
    if (!keptTimer_->isActive()) {
        keptTimer_->start();
    }
    // Passes that are neither in the database nor in the pending file live only in memory:
    // the learner must know at once, whatever holds the file.
    const bool onDisk = Channel->KeptJournalComplete();
    const bool busy = Channel->KeptFailureIsBusy();
    if (keptReported_ || (onDisk && busy && keptSince_.elapsed() < kKeptPatienceMs)) {
        return;
    }
    keptReported_ = true;
    const QString file = QString::fromLatin1(kDatabaseFileName);
    if (!onDisk) {
        Report(QStringLiteral("学习进度暂时无法保存：%1文件和%2都无法写入（%3）。"
                              "请不要退出程序，可以写入时会自动保存。")
                   .arg(file, PendingProgressPath(), Channel->LastError()));
        return;
    }
    Report(busy ? QStringLiteral("学习进度暂时无法保存：%1文件被其他程序占用。"
                                 "已完成的进度不会丢失，文件可用时会自动保存。")
                      .arg(file)
                : QStringLiteral("学习进度暂时无法保存：%1文件无法写入（%2）。"
                                 "已完成的进度不会丢失，可以写入时会自动保存。")
                      .arg(file, Channel->LastError()));
}

// Writes kept by an earlier run come first, before anything of this run. From here on every
// kept write is in the pending file before the pass that made it ends.
void TRecite::LoadPendingProgress() {
    const auto opening = Channel->OpenKeptJournal(PendingProgressPath(), IsProgressWrite);
    if (opening.setAside) {
        // Never read: a pipe there would hold the start for ever.
        Report(opening.setAsideAs.isEmpty()
                   ? QStringLiteral("%1不是普通文件，无法使用，也无法改名。"
                                    "数据库被占用时学习进度只能保存在内存中。")
                         .arg(PendingProgressPath())
                   : QStringLiteral("%1不是普通文件，已改名为%2，未读取其中内容。")
                         .arg(PendingProgressPath(), opening.setAsideAs));
    }
    FlushProgress();
}

// The end of the program waits a while for a held file; what is still kept is in the pending
// file already, unless the disk refused it then, so it is tried once more.
void TRecite::SavePendingProgress() {
    if (Channel->FlushKept(finalWaitMs_) || Channel->SyncKeptJournal()) {
        return;
    }
    ReportError(QStringLiteral("有%1条学习进度未能保存：%2文件被占用或无法写入，"
                               "%3也无法写入。")
                    .arg(Channel->KeptWrites().size())
                    .arg(QString::fromLatin1(kDatabaseFileName), PendingProgressPath()));
}
