#include "WindowFixture.h"

#include "window/Frame.h"
#include "window/TrayIcon.h"

#include <QFile>

namespace {

using LayoutTest = WindowTest;

TEST_F(LayoutTest, CreationBuildsTheRoundedWindowAndItsPieces) {
    AddLearner(100, QStringLiteral("甲"));
    Create();
    EXPECT_EQ(form->size(), QSize(461, 290));
    EXPECT_EQ(form->windowType(), Qt::Tool); // no taskbar button
    EXPECT_TRUE(form->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    const std::pair<const char*, QRect> controls[] = {{"imgBack", {32, 24, 393, 217}},
                                                      {"lblWord", {32, 24, 393, 217}},
                                                      {"lblTrans", {32, 249, 393, 30}},
                                                      {"imgPicture", {232, 24, 193, 217}}};
    for (const auto& [name, geometry] : controls) {
        ASSERT_NE(Label(name), nullptr) << name;
        EXPECT_EQ(Label(name)->geometry(), geometry) << name;
    }
    EXPECT_EQ(Label("imgBack")->pixmap().size(), QSize(393, 217));
    EXPECT_EQ(Label("lblWord")->font().families().value(1), QStringLiteral("Noto Serif CJK SC"));

    // Outside the 50 x 50 corner ellipses nothing belongs to the window.
    const QRegion mask = form->mask();
    for (const QPoint p : {QPoint(0, 0), QPoint(5, 5), QPoint(455, 5), QPoint(5, 284),
                           QPoint(455, 284), QPoint(460, 289)}) {
        EXPECT_FALSE(mask.contains(p)) << p.x() << "," << p.y();
    }
    for (const QPoint p : {QPoint(12, 12), QPoint(448, 12), QPoint(12, 277), QPoint(448, 277),
                           QPoint(230, 0), QPoint(0, 145), QPoint(460, 145)}) {
        EXPECT_TRUE(mask.contains(p)) << p.x() << "," << p.y();
    }

    EXPECT_EQ(Engine()->Window, form.get());
    EXPECT_TRUE(TrayIcon()->isVisible());
    EXPECT_FALSE(Backdrop()->isVisible());
    EXPECT_TRUE(QFileInfo(QDir(db.Dir()).filePath(QStringLiteral("temp"))).isDir());
    EXPECT_EQ(*hotkeyLog, QStringList{QStringLiteral("claim")});
    form.reset();
    EXPECT_EQ(hotkeyLog->last(), QStringLiteral("release"));
}

// At the demo's size every demo translation fits the line whole, its Latin letters and
// punctuation drawn from a Latin face.
TEST_F(LayoutTest, EveryDemoTranslationFitsTheLine) {
    AddLearner(100, QStringLiteral("甲"));
    Create();
    QLabel* trans = Label("lblTrans");
    QFont font = trans->font();
    font.setPointSize(14);
    EXPECT_EQ(font.families().value(0), QStringLiteral("DejaVu Serif"));
    const QFontMetrics metrics(font);
    int glosses = 0;
    for (const char* name : {"characters.tsv", "words.tsv"}) {
        QFile file(QDir(QStringLiteral(TAVELO_SOURCE_DATA_DIR)).filePath(QLatin1String(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        for (const QString& line : lines.mid(1)) {
            const QString gloss = line.section(QLatin1Char('\t'), 2, 2);
            EXPECT_LE(metrics.horizontalAdvance(gloss), trans->contentsRect().width())
                << gloss.toStdString();
            glosses += gloss.isEmpty() ? 0 : 1;
        }
    }
    EXPECT_EQ(glosses, 422);
}

TEST_F(LayoutTest, FrameIsWhiteAboveAndLeftShadowedRightAndBelow) {
    AddLearner(100, QStringLiteral("甲"));
    Create();
    const QImage shot = form->grab().toImage();
    const QRgb shadow = form->palette().color(QPalette::Dark).rgb();
    EXPECT_EQ(shot.pixel(2, 145), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(230, 1), qRgb(255, 255, 255));
    EXPECT_EQ(shot.pixel(459, 145), shadow);
    EXPECT_EQ(shot.pixel(230, 288), shadow);
    EXPECT_EQ(shot.pixel(15, 145), form->palette().color(QPalette::Button).rgb());
}

TEST(FrameTest, WindowsArcsBecomeCounterClockwiseAngles) {
    // A quarter from three o'clock up to twelve, whichever way the corners are given.
    for (const QPoint corner : {QPoint(0, 0), QPoint(100, 100)}) {
        const TArc arc = ArcFromPoints(corner, QPoint(100, 100) - corner, {100, 50}, {50, 0});
        EXPECT_EQ(arc.rect, QRectF(0, 0, 100, 100));
        EXPECT_EQ(std::pair(arc.startAngle16, arc.spanAngle16), std::pair(0, 90 * 16));
    }
    const TArc back = ArcFromPoints({0, 0}, {100, 100}, {50, 0}, {100, 50});
    EXPECT_EQ(std::pair(back.startAngle16, back.spanAngle16), std::pair(90 * 16, 270 * 16));
    EXPECT_EQ(ArcFromPoints({0, 0}, {100, 100}, {0, 50}, {10, 50}).spanAngle16, 360 * 16);
}

} // namespace
