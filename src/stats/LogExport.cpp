#include "stats/LogExport.h"

#include "stats/Statistics.h"
#include "store/Channels.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

namespace {

const char kBom[] = "\xEF\xBB\xBF";

QString CsvField(const QString& text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QByteArray HeaderLine() {
    return QByteArray(kBom) + LogCsvColumns().join(QLatin1Char(',')).toUtf8() + "\n";
}

// Ours: a file whose first line is our header (an export made earlier).
bool IsOurExport(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return false;
    }
    return file.readLine(4096) == HeaderLine();
}

} // namespace

QStringList LogCsvColumns() {
    return {QStringLiteral("USER_ID"),       QStringLiteral("BOOK_ID"),
            QStringLiteral("WORD_ID"),       QStringLiteral("WORD_NAME"),
            QStringLiteral("REVIEW_DATE"),   QStringLiteral("TIME"),
            QStringLiteral("KNOWN"),         QStringLiteral("ABILITY_BEFORE"),
            QStringLiteral("ABILITY_AFTER"), QStringLiteral("ROUND_BEFORE"),
            QStringLiteral("ROUND_AFTER"),   QStringLiteral("REVIEW_MODE")};
}

QString ExportLogCsv(TAdoChannel& channel, int userID, const QString& path, int* rows) {
    if (QFileInfo::exists(path) && !IsOurExport(path)) {
        return QStringLiteral("文件%1已存在且不是学习记录导出文件，不会覆盖。").arg(path);
    }
    if (QFileInfo(path).canonicalFilePath() ==
        QFileInfo(channel.DatabasePath()).canonicalFilePath()) {
        return QStringLiteral("不能写入数据库文件本身。");
    }
    TAdoQuery* q = channel.OpenQuery(
        SqlFormat("select l.USER_ID, l.BOOK_ID, l.WORD_ID, (select WORD_NAME from Book b where "
                  "b.BOOK_ID = l.BOOK_ID and b.WORD_ID = l.WORD_ID) as WORD_NAME, l.REVIEW_DATE, "
                  "l.KNOWN, l.ABILITY_BEFORE, l.ABILITY_AFTER, l.ROUND_BEFORE, l.ROUND_AFTER, "
                  "l.REVIEW_MODE from ReviewLog l where l.USER_ID = %d order by l.REVIEW_DATE",
                  {userID}),
        1);
    if (q == nullptr) {
        return QStringLiteral("无法读取学习记录：%1").arg(channel.LastError());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        q->Close();
        return QStringLiteral("无法写入文件%1：%2").arg(path, file.errorString());
    }
    file.write(HeaderLine());
    int count = 0;
    for (; !q->Eof(); q->Next(), ++count) {
        const double t = q->AsFloat(QStringLiteral("REVIEW_DATE"));
        QStringList f;
        for (const char* c : {"USER_ID", "BOOK_ID", "WORD_ID"}) {
            f << QString::number(q->AsInteger(QString::fromLatin1(c)));
        }
        f << CsvField(q->AsString(QStringLiteral("WORD_NAME")));
        f << QString::number(t, 'f', 6);
        f << DateTimeFromDayNumber(t).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        for (const char* c : {"KNOWN", "ABILITY_BEFORE", "ABILITY_AFTER", "ROUND_BEFORE",
                              "ROUND_AFTER", "REVIEW_MODE"}) {
            f << QString::number(q->AsInteger(QString::fromLatin1(c)));
        }
        file.write(f.join(QLatin1Char(',')).toUtf8() + "\n");
    }
    q->Close();
    if (!file.commit()) {
        return QStringLiteral("无法写入文件%1：%2").arg(path, file.errorString());
    }
    if (rows != nullptr) {
        *rows = count;
    }
    return {};
}

QString StatisticsText(const TStatistics& s, const QString& learner) {
    QStringList lines;
    lines << QStringLiteral("学习者：%1").arg(learner);
    if (!s.HasLog) {
        lines << QStringLiteral("数据库中没有学习记录。");
    }
    lines << QStringLiteral("今天：背记 %1 次，认识 %2 次，新词 %3 个，用时 %4 分钟")
                 .arg(s.TodayPasses)
                 .arg(s.TodayKnown)
                 .arg(s.TodayNew)
                 .arg(s.TodaySeconds / 60);
    QStringList due;
    for (int n : s.Forecast) {
        due << QString::number(n);
    }
    lines << QStringLiteral("到期预测（现在、之后每天）：%1").arg(due.join(QLatin1Char(' ')));
    for (int days : {30, 90, 365}) {
        const TDayPasses sum = SumOfDays(s, days);
        lines << QStringLiteral("最近%1天：背记 %2 次，认识 %3 次，复习 %4 次，复习认识 %5 次")
                     .arg(days)
                     .arg(sum.Passes)
                     .arg(sum.Known)
                     .arg(sum.Reviews)
                     .arg(sum.ReviewsKnown);
    }
    QStringList bands;
    for (int n : s.Bands) {
        bands << QString::number(n);
    }
    lines << QStringLiteral("熟练度分布：%1").arg(bands.join(QLatin1Char(' ')));
    for (const TBookProgress& b : s.Books) {
        lines << QStringLiteral("词库 %1：已学 %2 / 共 %3").arg(b.Desc).arg(b.Seen).arg(b.Total);
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

QString StatisticsJson(const TStatistics& s, int userID, const QString& learner) {
    const auto ints = [](const QVector<int>& v) {
        QJsonArray a;
        for (int n : v) {
            a << n;
        }
        return a;
    };
    QJsonArray days;
    for (const TDayPasses& d : s.Days) {
        days << QJsonArray{d.Passes, d.Known, d.Reviews, d.ReviewsKnown};
    }
    QJsonArray books;
    for (const TBookProgress& b : s.Books) {
        books << QJsonObject{{QStringLiteral("id"), b.BookID},
                             {QStringLiteral("name"), b.Desc},
                             {QStringLiteral("seen"), b.Seen},
                             {QStringLiteral("total"), b.Total}};
    }
    const QJsonObject o{
        {QStringLiteral("learner"), userID},
        {QStringLiteral("name"), learner},
        {QStringLiteral("hasLog"), s.HasLog},
        {QStringLiteral("today"), QJsonObject{{QStringLiteral("passes"), s.TodayPasses},
                                              {QStringLiteral("known"), s.TodayKnown},
                                              {QStringLiteral("newWords"), s.TodayNew},
                                              {QStringLiteral("seconds"), s.TodaySeconds}}},
        {QStringLiteral("forecast"), ints(s.Forecast)},
        {QStringLiteral("days"), days}, // oldest first: passes, known, reviews, reviews known
        {QStringLiteral("bands"), ints(s.Bands)},
        {QStringLiteral("books"), books}};
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Indented));
}
