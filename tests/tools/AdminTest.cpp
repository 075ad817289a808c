#include "AdminOps.h"
#include "Business.h"
#include "Channels.h"
#include "EngineErrors.h"
#include "Sound.h"
#include "TestDatabase.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class AdminTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = QDir(dir.path()).filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    QTemporaryDir dir;
    QList<TBookEntry> entries;
    QString error;
};

TEST_F(AdminTest, BookFilesInTsvAndCsvWithOrWithoutHeader) {
    ASSERT_TRUE(
        ReadBookFile(Write(QStringLiteral("a.tsv"),
                           "word\tsymbol\ttranslation\texample\n你\tnǐ\tnǐ you\t\n好\thǎo\r\n\n"),
                     &entries, &error))
        << error.toStdString();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].translation, QStringLiteral("nǐ you"));
    EXPECT_EQ(entries[1].symbol, QStringLiteral("hǎo"));
    EXPECT_EQ(entries[1].translation, QString());
    ASSERT_TRUE(
        ReadBookFile(Write(QStringLiteral("b.csv"),
                           "\xEF\xBB\xBF你好,nǐ hǎo,\"hello, hi\",\"he said \"\"你好\"\"\"\n"),
                     &entries, &error))
        << error.toStdString();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].word, QStringLiteral("你好"))
        << "a byte order mark is skipped; no header here";
    EXPECT_EQ(entries[0].translation, QStringLiteral("hello, hi"));
    EXPECT_EQ(entries[0].example, QStringLiteral("he said \"你好\""));
}

TEST_F(AdminTest, MalformedBookFilesAreRefusedWithTheirLine) {
    const struct {
        const char* name;
        QByteArray bytes;
        const char* message;
    } cases[] = {
        {"columns.tsv", "a\tb\tc\td\te\n", ":1: 5 columns"},
        {"quote.csv", "a,\"b\n", ":1: unterminated quote"},
        {"empty.tsv", "a\n\tb\n", ":2: the word is empty"},
        {"twice.tsv", "a\nb\na\n", ":3: \"a\" is listed twice"},
        {"latin1.tsv", "caf\xe9\n", "is not UTF-8"},
        {"nothing.tsv", "word\tsymbol\n", "holds no words"},
    };
    for (const auto& c : cases) {
        EXPECT_FALSE(ReadBookFile(Write(QLatin1String(c.name), c.bytes), &entries, &error))
            << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.message)))
            << c.name << ": " << error.toStdString();
    }
    EXPECT_FALSE(
        ReadBookFile(QDir(dir.path()).filePath(QStringLiteral("missing.tsv")), &entries, &error));
}

TEST_F(AdminTest, InitCreatesDefaultsAndOnePrivilegedLearner) {
    const QString db = QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb"));
    TInitOptions options;
    options.learnerName = QStringLiteral("O'Brien'); delete from USERS; --");
    ASSERT_TRUE(InitDatabase(db, options, &error)) << error.toStdString();
    EXPECT_FALSE(InitDatabase(db, options, &error)) << "never over an existing file";
    TAdoChannel ch;
    ASSERT_TRUE(ch.OpenDatabase(db, QString()));
    TUserList users;
    LoadUsers(ch, users);
    ASSERT_EQ(users.Count(), 1);
    const TUser* u = users.Object(0);
    EXPECT_EQ(u->ID, FirstLearnerID);
    EXPECT_EQ(u->Name, options.learnerName);
    EXPECT_TRUE(u->IsPower);
    EXPECT_EQ(u->Config.WordNum, 20);
    EXPECT_EQ(u->Config.BaseTime, 500);
    EXPECT_EQ(u->Config.Pronounce, 1);
    TConfig defaults(&ch);
    defaults.Load(DefaultUserID);
    EXPECT_EQ(defaults.UpperLimit, 50);
    EXPECT_EQ(static_cast<unsigned>(defaults.FontColor), 0x80000008u);
    EXPECT_EQ(defaults.DesktopColor, 0x808000) << "teal";
}

TEST_F(AdminTest, DemoDatabaseShowsTheWordLarge) {
    Write(QStringLiteral("characters.tsv"), "的\tde\tof\n");
    Write(QStringLiteral("words.tsv"), "你好\tni hao\thello\n");
    const QString db = QDir(dir.path()).filePath(QStringLiteral("Tavelo.mdb"));
    TInitOptions options;
    options.demo = true;
    options.dataDir = dir.path();
    ASSERT_TRUE(InitDatabase(db, options, &error)) << error.toStdString();
    TAdoChannel ch;
    ASSERT_TRUE(ch.OpenDatabase(db, QString()));
    for (const int id : {DefaultUserID, FirstLearnerID}) {
        TConfig c(&ch);
        c.Load(id);
        EXPECT_EQ(c.FontSize, 96) << id;
        EXPECT_EQ(c.WordNum, 20) << id;
    }
}

TEST_F(AdminTest, ImportIsAllOrNothingAndSubscriptionMakesWordsDue) {
    TTestDatabase db;
    db.AddUser(100, QStringLiteral("甲"), 1);
    int book = 0;
    EXPECT_FALSE(ImportBook(db.Channel(), Write(QStringLiteral("bad.tsv"), "a\nb\tc\td\te\tf\n"),
                            QStringLiteral("bad"), &book, &error));
    EXPECT_EQ(db.Count(QStringLiteral("from BookStore")), 0);
    EXPECT_EQ(db.Count(QStringLiteral("from Book")), 0);
    db.Exec(QStringLiteral(
        "create trigger NoThird before insert on Book when new.WORD_NAME = 'c' begin "
        "select raise(abort, 'refused'); end"));
    EXPECT_FALSE(ImportBook(db.Channel(), Write(QStringLiteral("c.tsv"), "a\nb\nc\n"),
                            QStringLiteral("abc"), &book, &error));
    EXPECT_EQ(db.Count(QStringLiteral("from Book")), 0) << "nothing half-written";
    db.Exec(QStringLiteral("drop trigger NoThird"));
    ASSERT_TRUE(ImportBook(db.Channel(), Write(QStringLiteral("d.tsv"), "a\nb\n"),
                           QStringLiteral("d"), &book, &error));
    EXPECT_EQ(book, 1);
    int second = 0;
    ASSERT_TRUE(ImportBook(db.Channel(), Write(QStringLiteral("e.tsv"), "a\n"), QStringLiteral("e"),
                           &second, &error));
    EXPECT_EQ(second, 2);
    EXPECT_EQ(db.Scalar(QStringLiteral("select WORD_ID from Book where BOOK_ID = 2")).toInt(), 3)
        << "each entry a word id of its own";
    ASSERT_TRUE(SubscribeBook(db.Channel(), 100, 1, &error)) << error.toStdString();
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where USER_ID = 100")), 2);
    EXPECT_FALSE(SubscribeBook(db.Channel(), 100, 1, &error)) << "subscribed already";
    EXPECT_FALSE(SubscribeBook(db.Channel(), 99, 1, &error));
    EXPECT_FALSE(SubscribeBook(db.Channel(), 100, 7, &error));
    const QStringList lines = ListDatabase(db.Channel());
    EXPECT_TRUE(lines.contains(QStringLiteral("      1. book 1  d")));
}

TEST_F(AdminTest, PackedAndSpokenRecordingsUnpackToMp3) {
    TTestDatabase db;
    const QString mp3Dir = QDir(db.Dir()).filePath(QStringLiteral("mp3"));
    const QString raw =
        Write(QStringLiteral("好.mp3"), QByteArray("ID3 pretend mp3 data ").repeated(100));
    int count = 0;
    ASSERT_TRUE(PackSounds(dir.path(), mp3Dir, &count, &error)) << error.toStdString();
    EXPECT_EQ(count, 1);
    const QString staging = QDir(db.Dir()).filePath(QStringLiteral("6.mp3"));
    UnpackSoundFile(QDir(mp3Dir).filePath(QStringLiteral("好.mp3")), staging);
    EXPECT_FALSE(
        PackSounds(QDir(mp3Dir).filePath(QStringLiteral("好.mp3")), mp3Dir, &count, &error))
        << "a stored file is not packed over itself";

    if (QStandardPaths::findExecutable(QStringLiteral("espeak-ng")).isEmpty() ||
        QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty()) {
        GTEST_SKIP() << "espeak-ng or lame is not installed";
    }
    db.AddBook(1, QStringLiteral("b"), 0, 0);
    db.Exec(QStringLiteral(
        "insert into Book(BOOK_ID, WORD_ID, WORD_NAME) values (1, 1, '好'), (1, 2, '你'), "
        "(1, 3, '../x')"));
    ASSERT_TRUE(SpeakBook(db.Channel(), 1, mp3Dir, &count, &error)) << error.toStdString();
    EXPECT_EQ(count, 1) << "好 has a recording already, ../x is no file name";
    const QString stored = QDir(mp3Dir).filePath(QStringLiteral("你.mp3"));
    UnpackSoundFile(stored, staging);
    EXPECT_GT(QFileInfo(staging).size(), 1000);
    ASSERT_TRUE(SpeakBook(db.Channel(), 0, mp3Dir, &count, &error));
    EXPECT_EQ(count, 0);
}

TEST_F(AdminTest, AutostartEntryIsWrittenAndRemoved) {
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString entry = QDir(dir.path()).filePath(QStringLiteral("autostart/tavelo.desktop"));
    ASSERT_TRUE(SetAutostart(true, QStringLiteral("/opt/tavelo/tavelo"), &error));
    QFile f(entry);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("Exec=\"/opt/tavelo/tavelo\""));
    ASSERT_TRUE(SetAutostart(false, QString(), &error));
    EXPECT_FALSE(QFile::exists(entry));
    EXPECT_TRUE(SetAutostart(false, QString(), &error)) << "off twice is fine";
    qunsetenv("XDG_CONFIG_HOME");
}

} // namespace
