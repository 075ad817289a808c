#include "WindowFixture.h"

#include <QDateTime>
#include <QFile>

namespace {

class PictureTest : public WindowTest {
protected:
    void Start(const QStringList& words) {
        CreateWithWords(words);
        User()->Config.ShowPicture = true;
        Key(Qt::Key_Return);
        Ticks(1); // the first word, alone
    }
    bool PictureShown() const { return !Label("imgPicture")->pixmap().isNull(); }
    int WordWidth() const { return Label("lblWord")->width(); }
};

TEST_F(PictureTest, ClearedPictureIsShownAgainAndNotReloadedWithinAWord) {
    WritePicture(QStringLiteral("a"));
    WritePicture(QStringLiteral("x/y")); // a name that would leave the jpg folder
    Start({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("x/y")});
    EXPECT_TRUE(PictureShown());
    EXPECT_EQ(WordWidth(), 196);
    EXPECT_EQ(form->PicturePath, PicturePathOf(QStringLiteral("a")));
    Ticks(4); // the answer of the same word
    EXPECT_EQ(form->PictureLoads(), 1);
    for (const char* word : {"b", "x/y"}) {
        Ticks(kShowing);
        ASSERT_EQ(WordLabel(), QString::fromLatin1(word));
        EXPECT_FALSE(PictureShown());
        EXPECT_EQ(WordWidth(), 393);
        EXPECT_TRUE(form->PicturePath.isEmpty());
    }
    Ticks(kShowing);
    ASSERT_EQ(WordLabel(), QStringLiteral("a"));
    EXPECT_TRUE(PictureShown());
    EXPECT_EQ(form->PictureLoads(), 2);

    User()->Config.ShowPicture = false;
    Ticks(3 * kShowing); // a once more
    ASSERT_EQ(WordLabel(), QStringLiteral("a"));
    EXPECT_FALSE(PictureShown());
}

TEST_F(PictureTest, PathsDifferingInLetterCaseShareThePictureUntilTheStatusLine) {
    WritePicture(QStringLiteral("Ab"));
    WritePicture(QStringLiteral("aB"));
    Start({QStringLiteral("Ab"), QStringLiteral("aB")});
    Ticks(kShowing);
    ASSERT_EQ(WordLabel(), QStringLiteral("aB"));
    EXPECT_TRUE(PictureShown());
    EXPECT_EQ(form->PictureLoads(), 1);
    EXPECT_EQ(form->PicturePath, PicturePathOf(QStringLiteral("Ab")));
    Key(Qt::Key_F2); // idle again: the status line has no picture
    EXPECT_FALSE(PictureShown());
    EXPECT_TRUE(form->PicturePath.isEmpty());
}

TEST_F(PictureTest, DamagedPictureIsNoPictureReportedOnceUntilReplaced) {
    QDir(db.Dir()).mkpath(QStringLiteral("jpg"));
    QFile bad(PicturePathOf(QStringLiteral("a")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\xff\xd8\xff\xe0 not the rest of a JPEG");
    bad.close();
    Start({QStringLiteral("a")});
    EXPECT_FALSE(PictureShown());
    EXPECT_EQ(WordWidth(), 393);
    EXPECT_TRUE(reported.isEmpty()); // after the current event, not inside the tick
    Ticks(3 * kShowing);
    Settle();
    ASSERT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported[0].contains(PicturePathOf(QStringLiteral("a"))));
    EXPECT_EQ(form->PictureLoads(), 1); // not read again while unchanged

    WritePicture(QStringLiteral("a"));
    QFile good(PicturePathOf(QStringLiteral("a")));
    ASSERT_TRUE(good.open(QIODevice::ReadWrite));
    good.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    good.close();
    Ticks(kShowing);
    EXPECT_TRUE(PictureShown());
    Settle();
    EXPECT_EQ(reported.size(), 1);
}

} // namespace
