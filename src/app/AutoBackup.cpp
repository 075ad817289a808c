#include "app/AutoBackup.h"

#include "model/Prompts.h"

#include <QMetaObject>
#include <QTimer>
#include <utility>

namespace {
// A new day is noticed within a minute; the check itself reads only the clock.
constexpr int kCheckIntervalMs = 60 * 1000;
// Pages per step through the program's connection: about a megabyte, well under a
// millisecond from the page cache.
constexpr int kSharedPagesPerStep = 256;
} // namespace

TAutoBackup::TAutoBackup(QString databasePath, TClock clock, QObject* parent)
    : QObject(parent), databasePath_(std::move(databasePath)), clock_(std::move(clock)),
      tmBackup(new QTimer(this)) {
    tmBackup->setObjectName(QStringLiteral("tmBackup"));
    tmBackup->setInterval(kCheckIntervalMs);
    connect(tmBackup, &QTimer::timeout, this, &TAutoBackup::CheckDay);
}

TAutoBackup::~TAutoBackup() {
    cancel_ = true;
    if (worker_.joinable()) {
        worker_.join();
    }
}

void TAutoBackup::Start() {
    tmBackup->start();
    CheckDay();
}

void TAutoBackup::CheckDay() {
    const QDateTime now = DateTimeFromDayNumber(clock_());
    if (running_ || now.date() == lastDay_) {
        return;
    }
    lastDay_ = now.date();
    running_ = true;
    if (worker_.joinable()) {
        worker_.join(); // ended already: its outcome has been delivered
    }
    worker_ = std::thread([this, now] {
        TCopyOptions options;
        options.cancel = &cancel_;
        options.connection = connection_;
        // Through the shared connection each step holds up the program's statements.
        if (SharableConnection(connection_)) {
            options.pagesPerStep = kSharedPagesPerStep;
        }
        TBackupError error;
        const TAutoResult result = BackupIfDue(databasePath_, now, nullptr, &error, options);
        // Queued to this object: dropped with it if the program ends first.
        QMetaObject::invokeMethod(
            this, [this, result, error] { Finished(result, error); }, Qt::QueuedConnection);
    });
}

void TAutoBackup::Finished(TAutoResult result, const TBackupError& error) {
    running_ = false;
    lastResult_ = result;
    if (result != TAutoResult::Failed) {
        reported_ = false;
        return;
    }
    if (reported_ || error.fault == TBackupFault::Cancelled) {
        return;
    }
    reported_ = true;
    TMessage m;
    m.caption = QStringLiteral("提示");
    m.buttons = TMsgButtons::Ok;
    m.icon = TMsgIcon::Warning;
    m.text = FailureText(error, BackupFolder(databasePath_));
    ShowMessageBox(m);
}

QString TAutoBackup::FailureText(const TBackupError& error, const QString& folder) {
    QString reason;
    switch (error.fault) {
    case TBackupFault::NoSpace:
        reason = QStringLiteral("磁盘空间不足");
        break;
    case TBackupFault::NotWritable:
        reason = QStringLiteral("备份文件夹无法写入");
        break;
    case TBackupFault::Source:
        reason = QStringLiteral("数据库文件无法读取");
        break;
    case TBackupFault::Busy:
        reason = QStringLiteral("数据库一直被其他程序占用");
        break;
    default:
        reason = QStringLiteral("写入出错");
        break;
    }
    return QStringLiteral("数据库自动备份失败（%1）：%2\n学习记录未受影响，程序照常运行。")
        .arg(reason, folder);
}
