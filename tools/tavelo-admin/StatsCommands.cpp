#include "StatsCommands.h"

#include "Console.h"
#include "model/ReviewLog.h"
#include "stats/LogExport.h"
#include "stats/Statistics.h"

#include "model/User.h"
#include "store/Channels.h"

#include <QFileInfo>
#include <QTextStream>

const char kStatsUsage[] =
    "\na learner's history:\n"
    "  stats LEARNER_ID [--json]\n"
    "        the day's passes, the words coming due in the next 30 days, the passes per\n"
    "        day, the words per ability band and per book\n"
    "  export-log LEARNER_ID --csv FILE\n"
    "        write every pass of the learner as CSV (UTF-8, a header row, one pass a\n"
    "        line); an existing FILE is replaced only when it is such an export\n";

namespace {

int Fail(const QString& message) {
    Err() << "tavelo-admin: " << message << Qt::endl;
    return 1;
}

bool Open(TAdoChannel& channel, const QString& db, QString* error) {
    if (!QFileInfo(db).isFile() || !channel.OpenDatabase(db, QString())) {
        *error = QStringLiteral("%1 is not a database (create it with: tavelo-admin init)").arg(db);
        return false;
    }
    if (!MissingSchemaParts(channel).isEmpty()) {
        *error = QStringLiteral("%1 is not a Tavelo database").arg(db);
        return false;
    }
    return true;
}

int Run(const QString& command, QStringList args, const QString& db) {
    const bool json = command == QLatin1String("stats") && args.removeAll(QStringLiteral("--json"));
    QString csv;
    if (command == QLatin1String("export-log")) {
        const qsizetype i = args.indexOf(QStringLiteral("--csv"));
        if (i < 0 || i + 1 >= args.size() || args.at(i + 1).isEmpty()) {
            return Fail(QStringLiteral("export-log needs LEARNER_ID --csv FILE"));
        }
        csv = args.at(i + 1);
        args.remove(i, 2);
    }
    bool ok = false;
    const int id = args.value(0).toInt(&ok);
    if (args.size() != 1 || !ok) {
        return Fail(QStringLiteral("%1 needs one LEARNER_ID").arg(command));
    }
    TAdoChannel channel;
    QString error;
    if (!Open(channel, db, &error)) {
        return Fail(error);
    }
    TUserList users;
    LoadUsers(channel, users);
    const TUser* user = nullptr;
    for (int i = 0; i < users.Count(); ++i) {
        user = users.Object(i)->ID == id ? users.Object(i) : user;
    }
    if (user == nullptr) {
        return Fail(QStringLiteral("no learner with id %1").arg(id));
    }
    if (!csv.isEmpty()) {
        if (!HasReviewLog(channel)) {
            return Fail(QStringLiteral("the database keeps no log of passes yet"));
        }
        int rows = 0;
        error = ExportLogCsv(channel, id, csv, &rows);
        if (!error.isEmpty()) {
            return Fail(error);
        }
        Out() << rows << " passes written to " << csv << Qt::endl;
        return 0;
    }
    const TStatistics s = LoadStatistics(channel, *user, SystemClock()());
    Out() << (json ? StatisticsJson(s, id, user->Name) : StatisticsText(s, user->Name));
    Out().flush();
    return 0;
}

} // namespace

bool RunStatsCommand(const QString& command, const QStringList& args, const QString& db,
                     int* exitCode) {
    if (command != QLatin1String("stats") && command != QLatin1String("export-log")) {
        return false;
    }
    *exitCode = Run(command, args, db);
    return true;
}
