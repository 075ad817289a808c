#include "report/ReportPainter.h"

#include "ui/Fonts.h"

#include "report/PdfTextLayer.h"

#include <QFile>
#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

QFont ReportFont(const QString& name, double pointSize, bool bold) {
    QStringList families;
    if (!name.isEmpty() && name != QStringLiteral("宋体") &&
        name.compare(QLatin1String("SimSun"), Qt::CaseInsensitive) != 0) {
        families << name;
    }
    // Qt does not follow fontconfig's aliases for a listed family: name the faces that
    // stand in for Arial here.
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0) {
        // DejaVu Sans has every pinyin letter; Han characters beside it in a sans face too.
        families << QStringLiteral("DejaVu Sans") << QStringLiteral("Noto Sans CJK SC");
    } else if (families.isEmpty()) {
        // The Song face's own Latin letters lose their digits in a PDF's text layer when
        // bold; a serif that has every pinyin letter stands in for them.
        families << QStringLiteral("DejaVu Serif");
    }
    families << SongFaces();
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize > 0 ? pointSize : 10);
    font.setBold(bold);
    return font;
}

QPageLayout PageLayoutOf(const TPreparedPage& page) {
    const QSizeF size = page.size;
    const bool landscape = size.width() > size.height();
    const QSizeF portrait = landscape ? size.transposed() : size;
    return QPageLayout(QPageSize(portrait, QPageSize::Point, QString(), QPageSize::FuzzyMatch),
                       landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(),
                       QPageLayout::Point);
}

namespace {

int AlignmentFlags(const TPreparedItem& item) {
    int flags = 0;
    switch (item.hAlign) {
    case THAlign::Left:
        flags |= Qt::AlignLeft;
        break;
    case THAlign::Right:
        flags |= Qt::AlignRight;
        break;
    case THAlign::Center:
        flags |= Qt::AlignHCenter;
        break;
    }
    switch (item.vAlign) {
    case TVAlign::Top:
        flags |= Qt::AlignTop;
        break;
    case TVAlign::Bottom:
        flags |= Qt::AlignBottom;
        break;
    case TVAlign::Center:
        flags |= Qt::AlignVCenter;
        break;
    }
    return flags;
}

// One line: line breaks and other control characters read as blanks.
QString SingleLine(const QString& text) {
    QString line = text;
    for (QChar& c : line) {
        if (c.unicode() < 0x20) {
            c = QLatin1Char(' ');
        }
    }
    return line;
}

// The memo's lines on the main face's baselines and line spacing: a Han character drawn
// from the CJK face (taller, with its own ascent) neither lowers its line nor pushes the
// lines after it down, so mixed rows stay level with the rows beside them.
void DrawMemoText(QPainter& painter, const QRectF& r, const TPreparedItem& item, const QFont& font,
                  const QString& text) {
    const QFontMetricsF main(font, painter.device());
    QTextLayout layout(item.wordWrap ? text : SingleLine(text), font, painter.device());
    QTextOption option(Qt::Alignment(AlignmentFlags(item) & Qt::AlignHorizontal_Mask));
    option.setWrapMode(item.wordWrap ? QTextOption::WordWrap : QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(r.width());
        const double baseline = main.ascent() + lines * main.lineSpacing();
        line.setPosition(QPointF(0, baseline - line.ascent()));
        ++lines;
    }
    layout.endLayout();
    const double height = lines == 0 ? 0 : (lines - 1) * main.lineSpacing() + main.height();
    double top = r.top();
    if (item.vAlign == TVAlign::Bottom) {
        top = r.bottom() - height;
    } else if (item.vAlign == TVAlign::Center) {
        top = r.top() + (r.height() - height) / 2;
    }
    layout.draw(&painter, QPointF(r.left(), top));
}

} // namespace

void PaintPage(QPainter& painter, const TPreparedPage& page) {
    const QPaintDevice* device = painter.device();
    const double sx = device->logicalDpiX() / 72.0;
    const double sy = device->logicalDpiY() / 72.0;
    painter.save();
    for (const TPreparedItem& item : page.items) {
        const QRectF r(item.rect.x() * sx, item.rect.y() * sy, item.rect.width() * sx,
                       item.rect.height() * sy);
        const QFont font = ReportFont(item.fontName, item.fontSize, item.bold);
        painter.setFont(font);
        painter.setPen(QColor::fromRgba(item.color));
        painter.setClipRect(r);
        QString text = item.text;
        if (!item.wordWrap) {
            // Clipping would leave the hidden part in a PDF's text: cut it visibly instead.
            const QFontMetricsF metrics(font, device);
            text = metrics.elidedText(SingleLine(text), Qt::ElideRight, r.width());
        }
        DrawMemoText(painter, r, item, font, text);
    }
    painter.restore();
}

bool ExportPdf(const TPreparedReport& report, const QString& path, QString* error) {
    {
        QFile probe(path);
        if (!probe.open(QIODevice::WriteOnly)) {
            *error = QStringLiteral("无法写入文件“%1”。").arg(path);
            return false;
        }
    }
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("Tavelo"));
    writer.setTitle(QStringLiteral("单词表"));
    TPreparedPage blank;
    blank.size = QPageSize(QPageSize::A4).size(QPageSize::Point);
    const TPreparedPage& first = report.pages.empty() ? blank : report.pages.front();
    writer.setPageLayout(PageLayoutOf(first));
    QPainter painter;
    if (!painter.begin(&writer)) {
        *error = QStringLiteral("无法写入文件“%1”。").arg(path);
        return false;
    }
    for (size_t i = 0; i < report.pages.size(); ++i) {
        if (i > 0) {
            writer.setPageLayout(PageLayoutOf(report.pages[i]));
            writer.newPage();
        }
        PaintPage(painter, report.pages[i]);
    }
    painter.end();
    QString printed;
    for (const TPreparedPage& page : report.pages) {
        for (const TPreparedItem& item : page.items) {
            printed += item.text;
        }
    }
    MendPdfTextLayer(path, printed);
    return true;
}
