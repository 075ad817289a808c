#pragma once

#include <QFont>

// "宋体" of the dialogs: the Song-style face this system has (fontconfig aliases no SimSun).
inline QFont SongFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN")});
    return font;
}
inline QFont SongFontPixels(int pixels) {
    QFont font = SongFont();
    font.setPixelSize(pixels);
    return font;
}
inline QFont SongFontPoints(int points) {
    QFont font = SongFont();
    font.setPointSize(points);
    return font;
}
