#pragma once

// print-list: a learner's word list, filtered like the print dialog, as a PDF report.
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <memory>

class QCoreApplication;
class TAdoChannel;

struct TPrintListOptions {
    int learnerID = 0;
    int maxAbility = 4; // the print dialog's starting limits
    int minPasses = 1;
    int columns = 0; // 0: the learner's stored column count
    QString pdf;
};

struct TPrintListResult {
    int words = 0;
    int pages = 0;
    int columns = 0; // the columns the report used
};

// Writes the report with the learner's stored print settings (date, page numbers,
// translation, paper), the column count from the options when given. Needs a
// QGuiApplication (fonts); no screen.
bool PrintList(TAdoChannel& channel, const TPrintListOptions& options, TPrintListResult* result,
               QString* error);

// The command line: "LEARNER_ID [--max-ability N] [--min-passes M] [--columns C] --pdf FILE".
// Returns the exit code; reports on out and err.
int RunPrintList(TAdoChannel& channel, QStringList args, QTextStream& out, QTextStream& err);

// The application object: one that can draw text (on the offscreen platform, so no screen
// is needed) for print-list, a plain core application for every other command.
std::unique_ptr<QCoreApplication> MakeAdminApplication(int& argc, char** argv);
