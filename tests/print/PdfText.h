#pragma once

// What poppler reads from a PDF: pages with their words and where they stand (points).
#include <QString>
#include <QStringList>
#include <vector>

struct TPdfWord {
    QString text;
    double xMin = 0;
    double yMin = 0;
    double xMax = 0;
    double yMax = 0;
};

struct TPdfPage {
    double width = 0;
    double height = 0;
    std::vector<TPdfWord> words;

    QStringList Texts() const;
    // The words whose left edge lies in [from, to).
    std::vector<TPdfWord> Between(double from, double to) const;
};

// pdftotext -bbox-layout; an empty list when the file cannot be read.
std::vector<TPdfPage> ReadPdf(const QString& path);
// The font names pdffonts lists.
QStringList PdfFonts(const QString& path);
