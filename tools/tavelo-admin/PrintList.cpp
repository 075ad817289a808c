#include "PrintList.h"

#include "AdminOps.h"
#include "backup/platform/Files.h"
#include "model/User.h"
#include "report/ReportDM.h"
#include "report/ReportPainter.h"
#include "store/Channels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QGuiApplication>
#include <algorithm>
#include <cstring>

namespace {

// The rules of the print setup dialog: A5 holds one column, a printed translation two.
int ColumnsFor(const TConfig& settings, int wanted) {
    int columns = std::clamp(wanted > 0 ? wanted : settings.ColumnCount, 1, 4);
    if (settings.PaperType == 1) {
        columns = 1;
    } else if (settings.PrintTranslation == 1) {
        columns = std::min(columns, 2);
    }
    return columns;
}

bool TakeNumber(QStringList& args, const QString& key, int min, int max, int* value,
                QString* error) {
    const qsizetype i = args.indexOf(key);
    if (i < 0) {
        return true;
    }
    bool ok = false;
    const int v = args.value(i + 1).toInt(&ok);
    if (i + 1 >= args.size() || !ok || v < min || v > max) {
        *error = QStringLiteral("%1 needs a number from %2 to %3").arg(key).arg(min).arg(max);
        return false;
    }
    *value = v;
    args.remove(i, 2);
    return true;
}

// The report replaces an existing file only when that is a PDF, and never the database,
// however it is reached (a link, another name for the same file). *real is where to write.
bool CheckTarget(const QString& target, const QString& database, QString* real, QString* error) {
    const QFileInfo info(target);
    if (!database.isEmpty() && SameFile(target, database)) {
        *error = QStringLiteral("%1 is the database; nothing was written").arg(target);
        return false;
    }
    *real = info.absoluteFilePath();
    if (!info.exists()) {
        return true;
    }
    QFile existing(target);
    if (!info.isFile() || !existing.open(QIODevice::ReadOnly) ||
        !existing.read(5).startsWith("%PDF-")) {
        *error = QStringLiteral("%1 exists and is not a PDF; it was left as it is").arg(target);
        return false;
    }
    *real = info.canonicalFilePath(); // through a link, the file it points to is replaced
    return true;
}

// Written under a temporary name beside the target and renamed when complete, so the old
// file stays whole until the new one is.
bool WritePdf(const TPreparedReport& report, const QString& target, QString* error) {
    const QFileInfo info(target);
    const QString partial = info.dir().filePath(
        QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(QCoreApplication::applicationPid()));
    if (!ExportPdf(report, partial, error) || !SyncFile(partial) || !ReplaceFile(partial, target)) {
        QFile::remove(partial);
        if (error->isEmpty()) {
            *error = QStringLiteral("%1 cannot be written").arg(target);
        }
        return false;
    }
    SyncFolder(info.absolutePath());
    return true;
}

} // namespace

bool PrintList(TAdoChannel& channel, const TPrintListOptions& options, TPrintListResult* result,
               QString* error) {
    if (!LearnerIDs(channel).contains(options.learnerID)) {
        *error = QStringLiteral("there is no learner %1").arg(options.learnerID);
        return false;
    }
    TUser user(&channel);
    user.ID = options.learnerID;
    user.Config.Load(user.ID);
    TAdoQuery* list = user.OpenPrintQuery();
    if (list == nullptr || !list->SetFilter(QStringLiteral("(ABILITY <= %1) and (WORD_ROUND >= %2)")
                                                .arg(options.maxAbility)
                                                .arg(options.minPasses))) {
        *error = QStringLiteral("the word list of learner %1 cannot be read").arg(user.ID);
        return false;
    }
    QString target;
    if (!CheckTarget(options.pdf, channel.DatabasePath(), &target, error)) {
        return false;
    }
    TReportDataSet dataSet;
    CopyWordList(*list, dataSet);
    list->Close();

    TdmReport report;
    report.ColumnCount = ColumnsFor(user.Config, options.columns);
    report.PrintDate = user.Config.PrintDate;
    report.PrintPageNumber = user.Config.PrintPageNumber;
    report.PrintTranslation = user.Config.PrintTranslation;
    report.PaperType = user.Config.PaperType;
    report.DataSet = &dataSet;
    report.BuildReport();
    if (!WritePdf(report.frReport1.Prepared(), target, error)) {
        return false;
    }
    result->words = dataSet.RecordCount();
    result->pages = static_cast<int>(report.frReport1.Prepared().pages.size());
    result->columns = report.ColumnCount;
    return true;
}

int RunPrintList(TAdoChannel& channel, QStringList args, QTextStream& out, QTextStream& err) {
    TPrintListOptions options;
    QString error;
    const qsizetype pdf = args.indexOf(QStringLiteral("--pdf"));
    if (pdf >= 0 && pdf + 1 < args.size()) {
        options.pdf = args.at(pdf + 1);
        args.remove(pdf, 2);
    }
    bool ok =
        TakeNumber(args, QStringLiteral("--max-ability"), 0, 10000, &options.maxAbility, &error) &&
        TakeNumber(args, QStringLiteral("--min-passes"), 0, 30000, &options.minPasses, &error) &&
        TakeNumber(args, QStringLiteral("--columns"), 1, 4, &options.columns, &error);
    if (ok && (args.size() != 1 || options.pdf.isEmpty())) {
        error = QStringLiteral("print-list needs LEARNER_ID and --pdf FILE");
        ok = false;
    }
    if (ok) {
        options.learnerID = args.first().toInt(&ok);
        if (!ok) {
            error = QStringLiteral("print-list: %1 is no learner id").arg(args.first());
        }
    }
    TPrintListResult result;
    if (!ok || !PrintList(channel, options, &result, &error)) {
        err << "tavelo-admin: " << error << Qt::endl;
        return 1;
    }
    out << result.words << " words, " << result.pages << " pages, " << result.columns
        << (result.columns == 1 ? " column" : " columns") << ": " << options.pdf << Qt::endl;
    return 0;
}

std::unique_ptr<QCoreApplication> MakeAdminApplication(int& argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "print-list") == 0) {
            // Text is laid out with the system's fonts; no screen is needed for a PDF.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            return std::make_unique<QGuiApplication>(argc, argv);
        }
    }
    return std::make_unique<QCoreApplication>(argc, argv);
}
