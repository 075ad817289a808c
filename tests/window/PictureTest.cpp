#include "WindowFixture.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

namespace {

class PictureTest : public WindowTest {
protected:
    void Start(const QStringList& words) {
        CreateWithWords(words);
        User()->Config.ShowPicture = true;
        Key(Qt::Key_Return);
        Ticks(1); // the first word, alone
    }
    QPixmap Picture() const { return Label("imgPicture")->pixmap(); }
    bool PictureShown() const { return !Picture().isNull(); }
    // Which file is on display, told by its colour (a JPEG keeps it only roughly).
    bool Shows(Qt::GlobalColor color) const {
        const QColor shown = Picture().toImage().pixelColor(Picture().rect().center());
        const QColor want(color);
        return qAbs(shown.red() - want.red()) < 40 && qAbs(shown.green() - want.green()) < 40 &&
               qAbs(shown.blue() - want.blue()) < 40;
    }
    int WordWidth() const { return Label("lblWord")->width(); }
    void SetPictureTime(const QString& word, const QDateTime& time) {
        QFile file(PicturePathOf(word));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    }
};

// A pixmap's cache key is new at every read of the file, so an unchanged key means no reload.
TEST_F(PictureTest, ClearedPictureIsShownAgainAndNotReloadedWithinAWord) {
    WritePicture(QStringLiteral("a"));
    WritePicture(QStringLiteral("x/y")); // a name that would leave the jpg folder
    Start({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x/y")});
    EXPECT_TRUE(PictureShown());
    EXPECT_EQ(WordWidth(), 196);
    const qint64 firstRead = Picture().cacheKey();
    Ticks(4); // the answer of the same word
    EXPECT_EQ(Picture().cacheKey(), firstRead);
    for (const char* word : {"b", "x/y"}) {
        Ticks(kShowing);
        ASSERT_EQ(WordLabel(), QString::fromLatin1(word));
        EXPECT_FALSE(PictureShown());
        EXPECT_EQ(WordWidth(), 393);
    }
    Ticks(kShowing);
    ASSERT_EQ(WordLabel(), QStringLiteral("a"));
    EXPECT_TRUE(PictureShown());
    EXPECT_NE(Picture().cacheKey(), firstRead);

    User()->Config.ShowPicture = false;
    Ticks(3 * kShowing); // a once more
    ASSERT_EQ(WordLabel(), QStringLiteral("a"));
    EXPECT_FALSE(PictureShown());
}

TEST_F(PictureTest, PathsDifferingInLetterCaseShareThePictureUntilTheStatusLine) {
    WritePicture(QStringLiteral("Ab"), Qt::red);
    WritePicture(QStringLiteral("aB"), Qt::blue);
    Start({QStringLiteral("Ab"), QStringLiteral("aB")});
    ASSERT_TRUE(Shows(Qt::red));
    const qint64 firstRead = Picture().cacheKey();
    Ticks(kShowing);
    ASSERT_EQ(WordLabel(), QStringLiteral("aB"));
    EXPECT_TRUE(Shows(Qt::red));
    EXPECT_EQ(Picture().cacheKey(), firstRead);
    Key(Qt::Key_F2); // idle again: the status line has no picture
    EXPECT_FALSE(PictureShown());
}

TEST_F(PictureTest, DamagedPictureIsNoPictureReportedOnceUntilReplaced) {
    QDir(db.Dir()).mkpath(QStringLiteral("jpg"));
    QFile bad(PicturePathOf(QStringLiteral("a")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\xff\xd8\xff\xe0 not the rest of a JPEG");
    bad.close();
    const QDateTime damagedTime = QFileInfo(bad).lastModified();
    Start({QStringLiteral("a")});
    EXPECT_FALSE(PictureShown());
    EXPECT_EQ(WordWidth(), 393);
    EXPECT_TRUE(reported.isEmpty()); // after the current event, not inside the tick

    // A good picture under the damaged one's file time: shown only if the file were read again.
    WritePicture(QStringLiteral("a"));
    SetPictureTime(QStringLiteral("a"), damagedTime);
    Ticks(3 * kShowing);
    Settle();
    EXPECT_FALSE(PictureShown());
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(PicturePathOf(QStringLiteral("a"))));

    SetPictureTime(QStringLiteral("a"), damagedTime.addSecs(60));
    Ticks(kShowing);
    EXPECT_TRUE(PictureShown());
    Settle();
    EXPECT_EQ(reported.size(), 1);
}

} // namespace
