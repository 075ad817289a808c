#pragma once

#include <QString>
#include <QStringList>

inline const char kJetUsage[] =
    "  import-jet FILE [--replace]\n"
    "        bring an Access (Jet 4) Tavelo.mdb over into a new database (the database, or\n"
    "        --db FILE): every learner, setting, book and progress row; an existing database\n"
    "        is replaced only with --replace, after a copy into backups/\n";

// import-jet with its arguments (after the command); the exit code.
int RunImportJet(QStringList args, const QString& db);
