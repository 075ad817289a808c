#include "ui/Fonts.h"

QStringList SongFaces() {
    return {QStringLiteral("宋体"), QStringLiteral("Noto Serif CJK SC"),
            QStringLiteral("AR PL UMing CN")};
}

QFont SongFontPixels(int pixels) {
    QFont font;
    font.setFamilies(SongFaces());
    font.setPixelSize(pixels);
    return font;
}

QFont SongFontPoints(int points) {
    QFont font;
    font.setFamilies(SongFaces());
    font.setPointSize(points);
    return font;
}
