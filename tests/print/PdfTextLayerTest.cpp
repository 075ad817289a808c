// Mending a PDF's ToUnicode maps: radicals read as ideographs, the file kept readable, and
// a file that is not as expected left exactly as it was.
#include "report/PdfTextLayer.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

// Codes 1..6 as bfchar, bfrange with one destination and bfrange with an array.
const QByteArray kMap = "/CIDInit /ProcSet findresource begin\n12 dict begin\nbegincmap\n"
                        "1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n"
                        "2 beginbfchar\n<0001> <2F00>\n<0002> <0041>\nendbfchar\n"
                        "2 beginbfrange\n<0003> <0004> <2F08>\n<0005> <0006> [<31D0> <4E00>]\n"
                        "endbfrange\nendcmap\nend\nend\n";

QByteArray Deflate(const QByteArray& in) {
    uLongf size = compressBound(uLong(in.size()));
    QByteArray out(qsizetype(size), '\0');
    compress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(in.data()),
             uLong(in.size()));
    out.resize(qsizetype(size));
    return out;
}

// A font whose map is the given stream, an object after it, and a correct xref table.
QByteArray Pdf(const QByteArray& stream, const QByteArray& filter = QByteArray()) {
    const QList<QByteArray> objects = {"<< /Type /Font /ToUnicode 2 0 R >>",
                                       "<< /Length " + QByteArray::number(stream.size()) + filter +
                                           " >>\nstream\n" + stream + "\nendstream",
                                       "(after)"};
    QByteArray pdf = "%PDF-1.4\n";
    QByteArray xref = "xref\n0 4\n0000000000 65535 f \n";
    for (qsizetype i = 0; i < objects.size(); ++i) {
        xref += QByteArray::number(pdf.size()).rightJustified(10, '0') + " 00000 n \n";
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    return pdf + xref + "trailer\n<< /Size 4 /Root 1 0 R >>\nstartxref\n" +
           QByteArray::number(pdf.size()) + "\n%%EOF\n";
}

// Every in-use entry of the (last) xref table points at its object.
bool XrefHolds(const QByteArray& pdf) {
    const qsizetype at =
        pdf.mid(pdf.lastIndexOf("startxref") + 9).trimmed().split('\n')[0].toLongLong();
    const QList<QByteArray> lines = pdf.mid(at).split('\n');
    for (int i = 2; i < lines.size() && lines[i].size() >= 18; ++i) {
        if (lines[i][17] == 'n' && !pdf.mid(lines[i].left(10).toLongLong())
                                        .startsWith(QByteArray::number(i - 2) + " 0 obj")) {
            return false;
        }
    }
    return lines[0] == "xref";
}

TEST(PdfTextLayer, MendsEveryFormOfMapKeepsWhatIsPrintedAndRebuildsTheXref) {
    const QSet<char32_t> keep = {0x2F08}; // ⼈ itself stands in the printed text
    for (const bool compressed : {false, true}) {
        const QByteArray pdf = compressed ? Pdf(Deflate(kMap), " /Filter /FlateDecode") : Pdf(kMap);
        const auto mended = MendPdfText(pdf, keep);
        ASSERT_TRUE(mended) << compressed;
        EXPECT_TRUE(XrefHolds(*mended)) << mended->toStdString();
        for (const char* pair : {"<0001> <4E00>", "<0002> <0041>", "<0003> <2F08>", "<0004> <513F>",
                                 "<0005> <4E00>", "<0006> <4E00>"}) {
            EXPECT_TRUE(mended->contains(pair)) << pair << " compressed " << compressed;
        }
        EXPECT_TRUE(mended->endsWith("%%EOF\n"));
        EXPECT_FALSE(mended->contains("/FlateDecode"));
    }
    EXPECT_FALSE(MendToUnicodeMap("1 beginbfchar\n<0001> <4E00>\nendbfchar\n", {}))
        << "nothing to change";
}

TEST(PdfTextLayer, AFileNotAsExpectedIsLeftAsWritten) {
    const QByteArray good = Pdf(kMap);
    QByteArray badOffset = good;
    badOffset.replace("0000000009 00000 n", "0000000010 00000 n");
    QByteArray longStream = good;
    longStream.replace("/Length " + QByteArray::number(kMap.size()), "/Length 99999");
    const QList<std::pair<const char*, QByteArray>> cases = {
        {"truncated", good.left(good.size() / 2)},
        {"xref elsewhere", QByteArray(good).replace("startxref\n", "startxref\n1")},
        {"an offset off its object", badOffset},
        {"stream longer than the file", longStream},
        {"another filter", Pdf(kMap.toHex(), " /Filter /ASCIIHexDecode")},
        {"broken deflate", Pdf(Deflate(kMap).left(20), " /Filter /FlateDecode")},
        {"updated later", QByteArray(good).replace("/Size 4", "/Size 4 /Prev 9")},
        {"a broken map", Pdf(QByteArray(kMap).replace("<0002> <0041>", "<0002> 0041"))},
        {"not a PDF", good.mid(1)},
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("odd.pdf"));
    for (const auto& [name, bytes] : cases) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
        file.close();
        MendPdfTextLayer(path, QString());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), bytes) << name;
    }
    MendPdfTextLayer(path + QStringLiteral(".none"), QString()); // missing: nothing made
    EXPECT_FALSE(QFile::exists(path + QStringLiteral(".none")));
}

} // namespace
