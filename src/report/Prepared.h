#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QtGui/qrgb.h>
#include <cstdint>
#include <vector>

// Built pages: what painting, saving and exporting work on. Building evaluates every value
// once; painting only draws, however often a preview asks for it.

enum class THAlign : std::uint8_t { Left, Right, Center };
enum class TVAlign : std::uint8_t { Top, Bottom, Center };

// One text on a page; positions and sizes in points from the paper's top-left corner.
struct TPreparedItem {
    QRectF rect;
    QString text;
    QString fontName;
    double fontSize = 10; // points
    bool bold = false;
    bool wordWrap = true;
    THAlign hAlign = THAlign::Left;
    TVAlign vAlign = TVAlign::Top;
    QRgb color = 0xff000000;
};

struct TPreparedPage {
    QSizeF size; // points, as printed (a landscape page is wider than high)
    std::vector<TPreparedItem> items;
};

struct TPreparedReport {
    std::vector<TPreparedPage> pages;
};
