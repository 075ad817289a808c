#include "AdminOps.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStringDecoder>

namespace {

// Splits one CSV record (RFC 4180 quoting) starting at *pos; false on an unterminated
// quote. Advances *pos past the record's line end.
bool ReadCsvRecord(const QString& text, qsizetype* pos, QStringList* fields) {
    fields->clear();
    QString field;
    bool quoted = false;
    bool fieldWasQuoted = false;
    qsizetype i = *pos;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"') && field.isEmpty() && !fieldWasQuoted) {
            quoted = true;
            fieldWasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            *fields << field;
            field.clear();
            fieldWasQuoted = false;
        } else if (c == QLatin1Char('\n')) {
            break;
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (quoted) {
        return false;
    }
    *fields << field;
    *pos = i + 1;
    return true;
}

// A header names the columns: two or more fields, every one a column's name. A row of the
// book has a word with its spelling or translation, which name no column, so 字 or 词 alone
// in the first field is a word like any other.
bool IsHeader(const QStringList& fields) {
    static const QSet<QString> names = {
        QStringLiteral("word"),         QStringLiteral("word_name"),   QStringLiteral("phonetic"),
        QStringLiteral("symbol"),       QStringLiteral("word_symbol"), QStringLiteral("pinyin"),
        QStringLiteral("translation"),  QStringLiteral("word_trans"),  QStringLiteral("example"),
        QStringLiteral("word_example"), QStringLiteral("字"),          QStringLiteral("词"),
        QStringLiteral("拼音"),         QStringLiteral("注音"),        QStringLiteral("释义"),
        QStringLiteral("翻译"),         QStringLiteral("例句")};
    qsizetype named = 0;
    for (const QString& field : fields) {
        const QString name = field.trimmed().toLower();
        if (!name.isEmpty() && !names.contains(name)) {
            return false;
        }
        named += name.isEmpty() ? 0 : 1;
    }
    return named >= 2;
}

bool HasControl(const QString& s) {
    for (const QChar c : s) {
        if (c.category() == QChar::Other_Control) {
            return true;
        }
    }
    return false;
}

} // namespace

bool ReadBookFile(const QString& path, QList<TBookEntry>* entries, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    const QByteArray bytes = file.readAll();
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        *error = QStringLiteral("%1 is not UTF-8 text").arg(path);
        return false;
    }
    if (text.startsWith(QChar(0xFEFF))) {
        text.remove(0, 1);
    }
    const bool csv =
        QFileInfo(path).suffix().compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0;
    entries->clear();
    QSet<QString> seen;
    qsizetype pos = 0;
    for (int line = 1; pos < text.size(); ++line) {
        QStringList fields;
        if (csv) {
            if (!ReadCsvRecord(text, &pos, &fields)) {
                *error = QStringLiteral("%1:%2: unterminated quote").arg(path).arg(line);
                return false;
            }
        } else {
            qsizetype end = text.indexOf(QLatin1Char('\n'), pos);
            if (end < 0) {
                end = text.size();
            }
            QString row = text.mid(pos, end - pos);
            if (row.endsWith(QLatin1Char('\r'))) {
                row.chop(1);
            }
            fields = row.split(QLatin1Char('\t'));
            pos = end + 1;
        }
        if (fields.size() == 1 && fields.first().trimmed().isEmpty()) {
            continue; // blank line
        }
        if (line == 1 && IsHeader(fields)) {
            continue;
        }
        if (fields.size() > 4) {
            *error = QStringLiteral("%1:%2: %3 columns; expected word, phonetic spelling, "
                                    "translation, example")
                         .arg(path)
                         .arg(line)
                         .arg(fields.size());
            return false;
        }
        while (fields.size() < 4) {
            fields << QString();
        }
        TBookEntry e{fields[0].trimmed(), fields[1].trimmed(), fields[2].trimmed(),
                     fields[3].trimmed()};
        if (e.word.isEmpty()) {
            *error = QStringLiteral("%1:%2: the word is empty").arg(path).arg(line);
            return false;
        }
        if (HasControl(e.word)) {
            *error =
                QStringLiteral("%1:%2: the word holds a control character").arg(path).arg(line);
            return false;
        }
        if (seen.contains(e.word)) {
            *error =
                QStringLiteral("%1:%2: \"%3\" is listed twice").arg(path).arg(line).arg(e.word);
            return false;
        }
        seen.insert(e.word);
        entries->append(e);
    }
    if (entries->isEmpty()) {
        *error = QStringLiteral("%1 holds no words").arg(path);
        return false;
    }
    return true;
}
