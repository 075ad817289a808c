#pragma once

#include <QFont>
#include <QStringList>

// The Song-style faces, "宋体" first. fontconfig aliases no SimSun, so the Song-style faces of
// this system follow it and stand in where it is missing.
QStringList SongFaces();

// The Song face at a size in pixels (windows and dialogs) or in points (printed text).
QFont SongFontPixels(int pixels);
QFont SongFontPoints(int points);
