#include "JetCommand.h"

#include "Console.h"
#include "jet/JetImport.h"

int RunImportJet(QStringList args, const QString& db) {
    const bool replace = args.removeAll(QStringLiteral("--replace")) > 0;
    if (args.size() != 1 || args.first().startsWith(QLatin1String("--"))) {
        Err() << "tavelo-admin: import-jet needs one Access (Jet 4) FILE" << Qt::endl;
        return 1;
    }
    TJetImportOptions options;
    options.replace = replace;
    TJetReport report;
    QString kept;
    QString error;
    if (!ImportJet(args.first(), db, options, &report, &kept, &error)) {
        Err() << "tavelo-admin: " << error << Qt::endl;
        return 1;
    }
    Out() << "imported " << args.first() << " into " << db << Qt::endl;
    if (!kept.isEmpty()) {
        Out() << "the database before the import is kept as " << kept << Qt::endl;
    }
    for (const QString& line : report.Lines()) {
        Out() << line << '\n';
    }
    Out().flush();
    return 0;
}
