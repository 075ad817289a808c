#include "report/ReportData.h"

#include "store/AdoQuery.h"
#include "ui/TextRules.h"

QString CutToBytes(const QString& text, int maxBytes) {
    // A GBK character takes one byte (ASCII) or two; one that GBK lacks becomes one "?".
    if (text.size() * 2 <= maxBytes) {
        return text;
    }
    int bytes = 0;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text.at(i);
        const bool pair =
            c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate();
        const int size = c.unicode() < 0x80 || pair || c.isSurrogate() ? 1 : 2;
        if (bytes + size > maxBytes) {
            break;
        }
        bytes += size;
        i += pair ? 2 : 1;
    }
    return text.left(i);
}

void TReportDataSet::Append(const QString& wordName, const QString& symbol, const QString& trans) {
    TRow row;
    row.ID = kFirstID + static_cast<int>(rows_.size());
    row.WORD_NAME = CutToBytes(TrimBlanks(wordName), kWordNameSize);
    row.WORD_Symbol = CutToBytes(TrimBlanks(symbol), kSymbolSize);
    row.WORD_Trans = TrimBlanks(trans);
    rows_.push_back(std::move(row));
}

QString TReportDataSet::AsString(const QString& field) const {
    if (Eof()) {
        return QString();
    }
    const TRow& row = rows_[static_cast<size_t>(pos_)];
    if (field.compare(QLatin1String("WORD_NAME"), Qt::CaseInsensitive) == 0) {
        return row.WORD_NAME;
    }
    if (field.compare(QLatin1String("WORD_Symbol"), Qt::CaseInsensitive) == 0) {
        return row.WORD_Symbol;
    }
    if (field.compare(QLatin1String("WORD_Trans"), Qt::CaseInsensitive) == 0) {
        return row.WORD_Trans;
    }
    if (field.compare(QLatin1String("ID"), Qt::CaseInsensitive) == 0) {
        return QString::number(row.ID);
    }
    return QString();
}

void CopyWordList(TAdoQuery& list, TReportDataSet& dataSet, const std::function<void()>& afterRow) {
    const bool hasSymbol = list.HasField(QStringLiteral("WORD_SYMBOL"));
    list.First();
    while (!list.Eof()) {
        dataSet.Append(list.AsString(QStringLiteral("WORD_NAME")),
                       hasSymbol ? list.AsString(QStringLiteral("WORD_SYMBOL")) : QString(),
                       list.AsString(QStringLiteral("WORD_TRANS")));
        if (afterRow) {
            afterRow();
        }
        list.Next();
    }
}
