#pragma once

// Drawing prepared pages on any paint device, and the PDF export.
#include "report/Prepared.h"

#include <QFont>
#include <QPageLayout>
#include <QString>

class QPainter;

// The font of a memo: the named face first, then a simplified Chinese face (sans for Arial,
// Song-style for the others), so Han characters never fall back to a Japanese one. "宋体"
// and "SimSun" name the Song face.
QFont ReportFont(const QString& name, double pointSize, bool bold);

// The paper of a prepared page, without margins (items are placed from the paper's corner).
QPageLayout PageLayoutOf(const TPreparedPage& page);

// Draws one page; the painter's origin is the paper's top-left corner, in device pixels.
void PaintPage(QPainter& painter, const TPreparedPage& page);

// Writes every page to a PDF file. False with a message in *error when it cannot.
bool ExportPdf(const TPreparedReport& report, const QString& path, QString* error);
