#include "report/ReportFile.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// "TVRP", then a 16-bit version; every number little-endian.
constexpr char kMagic[4] = {'T', 'V', 'R', 'P'};
constexpr quint16 kVersion = 1;
// Bounds that no real report reaches and that keep a damaged file from asking for much.
constexpr quint32 kMaxPages = 100000;
constexpr quint32 kMaxItemsPerPage = 100000;
constexpr quint32 kMaxText = 1 << 20;
constexpr double kMaxPaper = 14400; // points: 200 inches
constexpr double kMaxOffset = 1e5;  // points
constexpr double kMaxFontSize = 1000;
constexpr qint64 kMaxFileSize = 256LL << 20;
// What a report may cost to lay out and paint, in characters of a plain size (one unit a
// character, each item and page more); the preview paints every page whenever it is zoomed,
// so the bound keeps that within a few seconds (see the benchmark of the report: an item
// takes about as long as 17 characters of a plain line).
constexpr double kPlainFontSize = 12;
constexpr double kPageCost = 50;

class TWriter {
public:
    void U8(quint8 v) { data_.append(static_cast<char>(v)); }
    void U16(quint16 v) { Raw(qToLittleEndian(v)); }
    void U32(quint32 v) { Raw(qToLittleEndian(v)); }
    void F64(double v) {
        quint64 bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        Raw(qToLittleEndian(bits));
    }
    void Text(const QString& s) {
        const QByteArray utf8 = s.toUtf8();
        U32(static_cast<quint32>(utf8.size()));
        data_.append(utf8);
    }
    QByteArray Take() { return std::move(data_); }

private:
    template <typename T> void Raw(T v) {
        data_.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
    QByteArray data_;
};

// Reads from the bytes; any read past the end or any value out of bounds fails the read
// and every read after it.
class TReader {
public:
    explicit TReader(const QByteArray& data) : data_(data) {}
    bool Ok() const { return ok_; }
    bool AtEnd() const { return pos_ == data_.size(); }
    qsizetype Remaining() const { return data_.size() - pos_; }
    bool Fail() { return ok_ = false; }

    quint8 U8() {
        quint8 v = 0;
        Raw(&v, 1);
        return v;
    }
    quint16 U16() {
        quint16 v = 0;
        Raw(&v, sizeof v);
        return qFromLittleEndian(v);
    }
    quint32 U32() {
        quint32 v = 0;
        Raw(&v, sizeof v);
        return qFromLittleEndian(v);
    }
    double F64(double lo, double hi) {
        quint64 bits = 0;
        Raw(&bits, sizeof bits);
        bits = qFromLittleEndian(bits);
        double v = 0;
        std::memcpy(&v, &bits, sizeof v);
        if (!std::isfinite(v) || v < lo || v > hi) {
            Fail();
            return 0;
        }
        return v;
    }
    QString Text() {
        const quint32 size = U32();
        if (!ok_ || size > kMaxText || size > Remaining()) {
            Fail();
            return QString();
        }
        const QString s = QString::fromUtf8(data_.constData() + pos_, size);
        pos_ += size;
        return s;
    }
    bool Bytes(char* out, qsizetype size) { return Raw(out, size); }

private:
    bool Raw(void* out, qsizetype size) {
        if (!ok_ || size > Remaining()) {
            return Fail();
        }
        std::memcpy(out, data_.constData() + pos_, static_cast<size_t>(size));
        pos_ += size;
        return true;
    }
    const QByteArray& data_;
    qsizetype pos_ = 0;
    bool ok_ = true;
};

// The smallest item takes this many bytes, so a count beyond remaining / this is a lie.
constexpr qsizetype kMinItemBytes = 4 * 8 + 4 + 4 + 8 + 1 + 1 + 1 + 4;
constexpr qsizetype kMinPageBytes = 8 + 8 + 4;

bool ReadItem(TReader& in, TPreparedItem* item) {
    const double x = in.F64(-kMaxOffset, kMaxOffset);
    const double y = in.F64(-kMaxOffset, kMaxOffset);
    const double w = in.F64(0, kMaxOffset);
    const double h = in.F64(0, kMaxOffset);
    item->rect = QRectF(x, y, w, h);
    item->text = in.Text();
    item->fontName = in.Text();
    item->fontSize = in.F64(0.5, kMaxFontSize);
    const quint8 flags = in.U8();
    const quint8 horizontal = in.U8();
    const quint8 vertical = in.U8();
    item->color = in.U32();
    if (flags > 3 || horizontal > 2 || vertical > 2) {
        return in.Fail();
    }
    item->bold = (flags & 1) != 0;
    item->wordWrap = (flags & 2) != 0;
    item->hAlign = static_cast<THAlign>(horizontal);
    item->vAlign = static_cast<TVAlign>(vertical);
    return in.Ok();
}

} // namespace

QByteArray SerializeReport(const TPreparedReport& report) {
    TWriter out;
    for (char c : kMagic) {
        out.U8(static_cast<quint8>(c));
    }
    out.U16(kVersion);
    out.U32(static_cast<quint32>(report.pages.size()));
    for (const TPreparedPage& page : report.pages) {
        out.F64(page.size.width());
        out.F64(page.size.height());
        out.U32(static_cast<quint32>(page.items.size()));
        for (const TPreparedItem& item : page.items) {
            out.F64(item.rect.x());
            out.F64(item.rect.y());
            out.F64(item.rect.width());
            out.F64(item.rect.height());
            out.Text(item.text);
            out.Text(item.fontName);
            out.F64(item.fontSize);
            out.U8(static_cast<quint8>((item.bold ? 1 : 0) | (item.wordWrap ? 2 : 0)));
            out.U8(static_cast<quint8>(item.hAlign));
            out.U8(static_cast<quint8>(item.vAlign));
            out.U32(item.color);
        }
    }
    return out.Take();
}

double PaintCost(const TPreparedReport& report) {
    double cost = 0;
    for (const TPreparedPage& page : report.pages) {
        cost += kPageCost;
        for (const TPreparedItem& item : page.items) {
            // Every character is shaped and drawn; a large face draws more pixels a glyph.
            const double scale = std::max(1.0, item.fontSize / kPlainFontSize);
            cost += kItemPaintCost + static_cast<double>(item.text.size()) * scale * scale;
        }
    }
    return cost;
}

bool ParseReport(const QByteArray& data, TPreparedReport* report, QString* error) {
    const QString refusal = QStringLiteral("不是本程序保存的报表文件，或文件已损坏。");
    TReader in(data);
    char magic[4] = {};
    if (!in.Bytes(magic, 4) || std::memcmp(magic, kMagic, 4) != 0) {
        *error = refusal;
        return false;
    }
    if (const quint16 version = in.U16(); !in.Ok() || version != kVersion) {
        *error = in.Ok() ? QStringLiteral("报表文件的版本（%1）不受支持。").arg(version) : refusal;
        return false;
    }
    const quint32 pages = in.U32();
    if (!in.Ok() || pages > kMaxPages || pages > in.Remaining() / kMinPageBytes) {
        *error = refusal;
        return false;
    }
    TPreparedReport loaded;
    loaded.pages.reserve(pages);
    for (quint32 p = 0; p < pages; ++p) {
        TPreparedPage page;
        const double w = in.F64(1, kMaxPaper);
        const double h = in.F64(1, kMaxPaper);
        page.size = QSizeF(w, h);
        const quint32 items = in.U32();
        if (!in.Ok() || items > kMaxItemsPerPage || items > in.Remaining() / kMinItemBytes) {
            *error = refusal;
            return false;
        }
        page.items.reserve(items);
        for (quint32 i = 0; i < items; ++i) {
            if (!ReadItem(in, &page.items.emplace_back())) {
                *error = refusal;
                return false;
            }
        }
        loaded.pages.push_back(std::move(page));
    }
    if (!in.Ok() || !in.AtEnd()) {
        *error = refusal;
        return false;
    }
    if (PaintCost(loaded) > kMaxPaintCost) {
        *error = QStringLiteral("报表过大，无法在合理的时间内显示。");
        return false;
    }
    *report = std::move(loaded);
    return true;
}

bool SaveReportFile(const TPreparedReport& report, const QString& path, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(SerializeReport(report)) < 0 ||
        !file.commit()) {
        *error = QStringLiteral("无法写入文件“%1”。").arg(path);
        return false;
    }
    return true;
}

bool LoadReportFile(const QString& path, TPreparedReport* report, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("无法读取文件“%1”。").arg(path);
        return false;
    }
    if (file.size() > kMaxFileSize) {
        *error = QStringLiteral("“%1”不是本程序保存的报表文件，或文件已损坏。").arg(path);
        return false;
    }
    QString why;
    if (!ParseReport(file.readAll(), report, &why)) {
        *error = QStringLiteral("“%1”%2").arg(path, why);
        return false;
    }
    return true;
}
