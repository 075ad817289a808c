#pragma once

// Mending the text layer of the PDFs Qt writes. Qt's PDF writer gives each glyph back as the
// lowest character the font maps to it, and the Chinese faces map the radicals and strokes
// (U+2E80..U+2FDF, U+31C0..U+31EF) to the glyphs of the unified ideographs: 一 人 生 would
// copy from the file as ⼀ ⼈ ⽣.
#include <QByteArray>
#include <QSet>
#include <QString>
#include <optional>

// A ToUnicode CMap with every radical or stroke read as its unified ideograph, except the
// characters in keep. nullopt when there is nothing to change or the map cannot be read.
std::optional<QByteArray> MendToUnicodeMap(const QByteArray& cmap, const QSet<char32_t>& keep);

// The PDF with every font's ToUnicode map mended and its cross-reference table rebuilt.
// nullopt when nothing needs a change or the file is not one this can rewrite safely (one
// classic cross-reference table whose offsets all hold their objects, no later updates).
std::optional<QByteArray> MendPdfText(const QByteArray& pdf, const QSet<char32_t>& keep);

// Mends the PDF at path in place, keeping the radicals that printedText itself holds. A file
// it cannot read, rewrite or replace whole is left as it was written.
void MendPdfTextLayer(const QString& path, const QString& printedText);
