#include "report/PdfTextLayer.h"

#include "report/UnifiedIdeograph.h"

#include <QFile>
#include <QSaveFile>
#include <algorithm>
#include <map>
#include <set>
#include <vector>
#include <zlib.h>

namespace {

constexpr qsizetype kMaxStream = 16 * 1024 * 1024; // far above any font's map
constexpr int kBlock = 100;                        // entries per bfchar block, as PDF allows

bool IsSpace(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

void SkipSpace(const QByteArray& d, qsizetype* pos) {
    while (*pos < d.size() && IsSpace(d[*pos])) {
        ++*pos;
    }
}

std::optional<qint64> ReadInt(const QByteArray& d, qsizetype* pos) {
    SkipSpace(d, pos);
    const qsizetype start = *pos;
    while (*pos < d.size() && *pos - start < 12 && d[*pos] >= '0' && d[*pos] <= '9') {
        ++*pos;
    }
    if (*pos == start) {
        return std::nullopt;
    }
    return d.mid(start, *pos - start).toLongLong();
}

bool ReadWord(const QByteArray& d, qsizetype* pos, QByteArrayView word) {
    SkipSpace(d, pos);
    if (!QByteArrayView(d).sliced(std::min(*pos, d.size())).startsWith(word)) {
        return false;
    }
    *pos += word.size();
    return true;
}

// ---- ToUnicode CMaps

struct TToken {
    char kind = '<'; // '<' a hex string (bytes decoded), '[' or ']'
    QByteArray bytes;
    int digits = 0;
};

// The tokens of a bfchar or bfrange block: hex strings and brackets only.
std::optional<std::vector<TToken>> Tokens(const QByteArray& text) {
    std::vector<TToken> tokens;
    qsizetype pos = 0;
    for (SkipSpace(text, &pos); pos < text.size(); SkipSpace(text, &pos)) {
        const char c = text[pos];
        if (c == '[' || c == ']') {
            tokens.push_back({c, {}, 0});
            ++pos;
            continue;
        }
        const qsizetype close = text.indexOf('>', pos);
        if (c != '<' || close < 0) {
            return std::nullopt;
        }
        const QByteArray hex = text.mid(pos + 1, close - pos - 1);
        const bool valid = std::all_of(hex.begin(), hex.end(), [](char h) {
            return (h >= '0' && h <= '9') || (h >= 'a' && h <= 'f') || (h >= 'A' && h <= 'F');
        });
        if (!valid || hex.isEmpty() || hex.size() % 2 != 0) {
            return std::nullopt;
        }
        tokens.push_back({'<', QByteArray::fromHex(hex), int(hex.size())});
        pos = close + 1;
    }
    return tokens;
}

quint32 Code(const QByteArray& bytes) {
    quint32 code = 0;
    for (char b : bytes) {
        code = code << 8 | quint8(b);
    }
    return code;
}

std::optional<QString> Utf16(const QByteArray& bytes) {
    if (bytes.size() % 2 != 0) {
        return std::nullopt;
    }
    QString s;
    for (qsizetype i = 0; i < bytes.size(); i += 2) {
        s += QChar(quint16(quint8(bytes[i]) << 8 | quint8(bytes[i + 1])));
    }
    return s;
}

// Adds one block's mappings to map. False when the block cannot be read.
bool ReadBlock(const QByteArray& text, bool range, std::map<quint32, QString>* map, int* digits) {
    const auto tokens = Tokens(text);
    if (!tokens) {
        return false;
    }
    const std::vector<TToken>& t = *tokens;
    for (size_t i = 0; i < t.size();) {
        if (t[i].kind != '<' || t[i].bytes.size() > 4 || i + 1 >= t.size()) {
            return false;
        }
        *digits = t[i].digits;
        const quint32 lo = Code(t[i].bytes);
        if (!range) {
            const auto dst = t[i + 1].kind == '<' ? Utf16(t[i + 1].bytes) : std::nullopt;
            if (!dst) {
                return false;
            }
            (*map)[lo] = *dst;
            i += 2;
            continue;
        }
        if (t[i + 1].kind != '<' || i + 2 >= t.size()) {
            return false;
        }
        const quint32 hi = Code(t[i + 1].bytes);
        if (hi < lo || hi - lo > 0xFFFF) {
            return false;
        }
        i += 2;
        if (t[i].kind == '<') { // one destination, counting up in its last unit
            auto dst = Utf16(t[i].bytes);
            if (!dst || dst->isEmpty()) {
                return false;
            }
            for (quint32 code = lo; code <= hi; ++code) {
                (*map)[code] = *dst;
                (*dst)[dst->size() - 1] = QChar(quint16(dst->back().unicode() + 1));
            }
            ++i;
            continue;
        }
        if (t[i].kind != '[') {
            return false;
        }
        ++i;
        for (quint32 code = lo; i < t.size() && t[i].kind == '<'; ++code, ++i) {
            const auto dst = Utf16(t[i].bytes);
            if (!dst || code > hi) {
                return false;
            }
            (*map)[code] = *dst;
        }
        if (i >= t.size() || t[i].kind != ']') {
            return false;
        }
        ++i;
    }
    return true;
}

QByteArray Hex(quint32 value, int digits) {
    return QByteArray::number(value, 16).toUpper().rightJustified(digits, '0');
}

// ---- PDF files

struct TXrefRow {
    qint64 offset = 0;
    QByteArray gen;
    char type = 'f';
};

struct TXref {
    qsizetype at = 0;
    std::vector<std::pair<qint64, std::vector<TXrefRow>>> sections; // first object, rows
    QByteArray trailer;
    std::map<qint64, qint64> offsets; // object in use -> offset
};

// The file's one classic cross-reference table, every in-use offset checked to hold its object.
std::optional<TXref> ReadXref(const QByteArray& d) {
    const qsizetype start = d.lastIndexOf("startxref");
    if (start < 0 || d.size() - start > 1024) {
        return std::nullopt;
    }
    qsizetype pos = start + 9;
    const auto at = ReadInt(d, &pos);
    if (!at || *at <= 0 || *at >= start) {
        return std::nullopt;
    }
    TXref x;
    x.at = *at;
    pos = x.at;
    if (!ReadWord(d, &pos, "xref")) {
        return std::nullopt;
    }
    while (!ReadWord(d, &pos, "trailer")) {
        const auto first = ReadInt(d, &pos);
        const auto count = ReadInt(d, &pos);
        SkipSpace(d, &pos);
        if (!first || !count || pos + *count * 20 > start) {
            return std::nullopt;
        }
        std::vector<TXrefRow> rows;
        for (qint64 i = 0; i < *count; ++i, pos += 18, SkipSpace(d, &pos)) {
            if (pos + 18 > start) {
                return std::nullopt;
            }
            const char type = d[pos + 17];
            bool ok = false;
            const qint64 offset = d.mid(pos, 10).toLongLong(&ok);
            if (!ok || (type != 'n' && type != 'f')) {
                return std::nullopt;
            }
            rows.push_back({offset, d.mid(pos + 11, 5), type});
            if (type == 'n') {
                qsizetype p = offset;
                if (offset >= x.at || ReadInt(d, &p) != *first + i) {
                    return std::nullopt;
                }
                x.offsets[*first + i] = offset;
            }
        }
        x.sections.emplace_back(*first, std::move(rows));
    }
    x.trailer = d.mid(pos, start - pos);
    if (x.trailer.contains("/Prev") || x.trailer.contains("/XRefStm")) {
        return std::nullopt; // updated later: more than one table to keep true
    }
    return x;
}

std::optional<QByteArray> Inflate(const QByteArray& in) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        return std::nullopt;
    }
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = uInt(in.size());
    QByteArray out;
    char buffer[16384];
    int rc = Z_OK;
    while (rc == Z_OK && out.size() < kMaxStream) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END ? std::optional<QByteArray>(out) : std::nullopt;
}

struct TStreamObject {
    qsizetype begin = 0; // "N G obj"
    qsizetype end = 0;   // after "endobj"
    QByteArray gen;
    QByteArray data; // decoded
};

std::optional<qint64> StreamLength(const QByteArray& d, const TXref& x, const QByteArray& dict) {
    qsizetype pos = dict.indexOf("/Length");
    if (pos < 0 || pos + 7 >= dict.size() || !IsSpace(dict[pos + 7])) {
        return std::nullopt;
    }
    pos += 7;
    const auto length = ReadInt(dict, &pos);
    qsizetype ref = pos;
    if (!length || !ReadInt(dict, &ref) || !ReadWord(dict, &ref, "R")) {
        return length;
    }
    const auto it = x.offsets.find(*length); // "/Length M 0 R": object M holds it
    if (it == x.offsets.end()) {
        return std::nullopt;
    }
    qsizetype p = it->second;
    return ReadInt(d, &p) && ReadInt(d, &p) && ReadWord(d, &p, "obj") ? ReadInt(d, &p)
                                                                      : std::nullopt;
}

std::optional<TStreamObject> ReadStreamObject(const QByteArray& d, const TXref& x, qint64 num) {
    const auto it = x.offsets.find(num);
    if (it == x.offsets.end()) {
        return std::nullopt;
    }
    TStreamObject s;
    s.begin = it->second;
    qsizetype pos = s.begin;
    ReadInt(d, &pos);
    SkipSpace(d, &pos);
    const qsizetype genStart = pos;
    if (!ReadInt(d, &pos)) {
        return std::nullopt;
    }
    s.gen = d.mid(genStart, pos - genStart);
    const qsizetype keyword = d.indexOf("stream", pos);
    if (!ReadWord(d, &pos, "obj") || !ReadWord(d, &pos, "<<") || keyword < 0 || keyword > x.at) {
        return std::nullopt;
    }
    const QByteArray dict = d.mid(pos, keyword - pos);
    const auto length = StreamLength(d, x, dict);
    qsizetype data = keyword + 6;
    data += d.mid(data, 2) == "\r\n" ? 2 : 1;
    if (!length || *length < 0 || *length > kMaxStream || data + *length > x.at) {
        return std::nullopt;
    }
    s.data = d.mid(data, *length);
    pos = data + *length;
    if (!ReadWord(d, &pos, "endstream") || !ReadWord(d, &pos, "endobj")) {
        return std::nullopt;
    }
    s.end = pos;
    if (dict.contains("/Filter")) {
        const bool flate = dict.contains("/FlateDecode") && !dict.contains("/DecodeParms") &&
                           dict.count('/') == 3; // /Length, /Filter, /FlateDecode
        const auto plain = flate ? Inflate(s.data) : std::nullopt;
        if (!plain) {
            return std::nullopt;
        }
        s.data = *plain;
    }
    return s;
}

} // namespace

std::optional<QByteArray> MendToUnicodeMap(const QByteArray& cmap, const QSet<char32_t>& keep) {
    std::map<quint32, QString> map;
    int digits = 4;
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype pos = cmap.indexOf("beginbf"); pos >= 0; pos = cmap.indexOf("beginbf", last)) {
        const bool range = cmap.mid(pos, 12) == "beginbfrange";
        const QByteArray end = range ? "endbfrange" : "endbfchar";
        const qsizetype bodyStart = pos + (range ? 12 : 11);
        const qsizetype close = cmap.indexOf(end, bodyStart);
        if (close < 0 || !ReadBlock(cmap.mid(bodyStart, close - bodyStart), range, &map, &digits)) {
            return std::nullopt;
        }
        if (first < 0) { // the block's count stands before its keyword
            first = pos;
            while (first > 0 && (IsSpace(cmap[first - 1]) ||
                                 (cmap[first - 1] >= '0' && cmap[first - 1] <= '9'))) {
                --first;
            }
        }
        last = close + end.size();
    }
    bool changed = false;
    for (auto& [code, text] : map) {
        const QList<uint> chars = text.toUcs4();
        const char32_t ideograph = chars.size() == 1 ? EquivalentUnifiedIdeograph(chars[0]) : 0;
        if (ideograph != 0 && !keep.contains(chars[0])) {
            text = QString::fromUcs4(&ideograph, 1);
            changed = true;
        }
    }
    if (!changed) {
        return std::nullopt;
    }
    QByteArray out = cmap.left(first) + '\n';
    for (auto it = map.begin(); it != map.end();) {
        const qsizetype n = std::min<qsizetype>(kBlock, std::distance(it, map.end()));
        out += QByteArray::number(n) + " beginbfchar\n";
        for (qsizetype i = 0; i < n; ++i, ++it) {
            out += '<' + Hex(it->first, digits) + "> <";
            for (QChar unit : it->second) {
                out += Hex(unit.unicode(), 4);
            }
            out += ">\n";
        }
        out += "endbfchar\n";
    }
    return out + cmap.mid(last);
}

std::optional<QByteArray> MendPdfText(const QByteArray& pdf, const QSet<char32_t>& keep) {
    const auto xref = pdf.startsWith("%PDF-") ? ReadXref(pdf) : std::nullopt;
    if (!xref) {
        return std::nullopt;
    }
    std::set<qint64> maps;
    for (qsizetype i = pdf.indexOf("/ToUnicode"); i >= 0 && i < xref->at;
         i = pdf.indexOf("/ToUnicode", i + 1)) {
        qsizetype pos = i + 10;
        const auto num = ReadInt(pdf, &pos);
        if (num && ReadInt(pdf, &pos) && ReadWord(pdf, &pos, "R")) {
            maps.insert(*num);
        }
    }
    struct TEdit {
        qsizetype begin;
        qsizetype end;
        QByteArray text;
    };
    std::vector<TEdit> edits;
    for (qint64 num : maps) {
        const auto object = ReadStreamObject(pdf, *xref, num);
        if (!object) {
            return std::nullopt; // not what it seems: leave the whole file as written
        }
        const auto mended = MendToUnicodeMap(object->data, keep);
        if (mended) {
            edits.push_back({object->begin, object->end,
                             QByteArray::number(num) + ' ' + object->gen + " obj\n<< /Length " +
                                 QByteArray::number(mended->size()) + " >>\nstream\n" + *mended +
                                 "\nendstream\nendobj"});
        }
    }
    if (edits.empty()) {
        return std::nullopt;
    }
    std::sort(edits.begin(), edits.end(),
              [](const TEdit& a, const TEdit& b) { return a.begin < b.begin; });
    QByteArray out;
    std::vector<std::pair<qsizetype, qint64>> shifts; // edit's start, shift of what follows it
    qsizetype from = 0;
    qint64 shift = 0;
    for (const TEdit& e : edits) {
        if (e.begin < from) {
            return std::nullopt;
        }
        out += pdf.mid(from, e.begin - from) + e.text;
        from = e.end;
        shift += e.text.size() - (e.end - e.begin);
        shifts.emplace_back(e.begin, shift);
    }
    out += pdf.mid(from, xref->at - from);
    const auto moved = [&shifts](qint64 offset) {
        qint64 by = 0;
        for (const auto& [begin, s] : shifts) {
            by = offset > begin ? s : by;
        }
        return offset + by;
    };
    const qint64 at = out.size();
    out += "xref\n";
    for (const auto& [firstObject, rows] : xref->sections) {
        out += QByteArray::number(firstObject) + ' ' + QByteArray::number(qsizetype(rows.size())) +
               '\n';
        for (const TXrefRow& row : rows) {
            const qint64 offset = row.type == 'n' ? moved(row.offset) : row.offset;
            out += QByteArray::number(offset).rightJustified(10, '0') + ' ' + row.gen + ' ' +
                   row.type + " \n";
        }
    }
    return out + "trailer" + xref->trailer + "startxref\n" + QByteArray::number(at) + "\n%%EOF\n";
}

void MendPdfTextLayer(const QString& path, const QString& printedText) {
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray pdf = in.readAll();
    in.close();
    QSet<char32_t> keep;
    for (uint c : printedText.toUcs4()) {
        if (EquivalentUnifiedIdeograph(c) != 0) {
            keep.insert(c);
        }
    }
    const auto mended = MendPdfText(pdf, keep);
    if (!mended) {
        return;
    }
    QSaveFile out(path); // whole or not at all: the file as written stays until this is complete
    if (out.open(QIODevice::WriteOnly) && out.write(*mended) == mended->size()) {
        out.commit();
    }
}
