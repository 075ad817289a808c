#include "PdfText.h"

#include <QProcess>
#include <QRegularExpression>

namespace {

QString Run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return QString();
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString Unescape(QString s) {
    s.replace(QLatin1String("&lt;"), QLatin1String("<"));
    s.replace(QLatin1String("&gt;"), QLatin1String(">"));
    s.replace(QLatin1String("&quot;"), QLatin1String("\""));
    s.replace(QLatin1String("&apos;"), QLatin1String("'"));
    s.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return s;
}

} // namespace

QStringList TPdfPage::Texts() const {
    QStringList texts;
    for (const TPdfWord& w : words) {
        texts << w.text;
    }
    return texts;
}

std::vector<TPdfWord> TPdfPage::Between(double from, double to) const {
    std::vector<TPdfWord> found;
    for (const TPdfWord& w : words) {
        if (w.xMin >= from && w.xMin < to) {
            found.push_back(w);
        }
    }
    return found;
}

std::vector<TPdfPage> ReadPdf(const QString& path) {
    const QString xml = Run(QStringLiteral("pdftotext"),
                            {QStringLiteral("-bbox-layout"), path, QStringLiteral("-")});
    static const QRegularExpression page(
        QStringLiteral(R"re(<page width="([\d.]+)" height="([\d.]+)">)re"));
    static const QRegularExpression word(QStringLiteral(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
    std::vector<TPdfPage> pages;
    const QStringList parts = xml.split(QStringLiteral("<page "));
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString part = QStringLiteral("<page ") + parts[i];
        const auto m = page.match(part);
        if (!m.hasMatch()) {
            continue;
        }
        TPdfPage p;
        p.width = m.captured(1).toDouble();
        p.height = m.captured(2).toDouble();
        for (auto it = word.globalMatch(part); it.hasNext();) {
            const auto w = it.next();
            p.words.push_back({Unescape(w.captured(5)), w.captured(1).toDouble(),
                               w.captured(2).toDouble(), w.captured(3).toDouble(),
                               w.captured(4).toDouble()});
        }
        pages.push_back(std::move(p));
    }
    return pages;
}

QStringList PdfFonts(const QString& path) {
    QStringList names;
    const QStringList lines = Run(QStringLiteral("pdffonts"), {path}).split(QLatin1Char('\n'));
    for (qsizetype i = 2; i < lines.size(); ++i) {
        const QString name = lines[i].section(QLatin1Char(' '), 0, 0);
        if (!name.isEmpty()) {
            names << name;
        }
    }
    return names;
}
