#include "AdminOps.h"
#include "TestDatabase.h"
#include "engine/EngineErrors.h"
#include "engine/Sound.h"
#include "model/User.h"
#include "store/Channels.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class AdminTest : public ::testing::Test {
protected:
    QString Write(const QString& name, const QByteArray& bytes) {
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }
    // Reads a book file written with these bytes into entries.
    bool Read(const char* name, const QByteArray& bytes) {
        return ReadBookFile(Write(QLatin1String(name), bytes), &entries, &error);
    }
    struct TRun {
        int code;
        QString out;
        QString err;
    };
    // The tool itself, with the data folder variable set when one is given; a file size limit
    // plays a disk that fills up.
    static TRun Admin(const QStringList& args, const QString& dataDir = QString(),
                      rlim_t fileSizeLimit = RLIM_INFINITY) {
        QProcess p;
        if (!dataDir.isEmpty()) {
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("TAVELO_DATA_DIR"), dataDir);
            p.setProcessEnvironment(env);
        }
        if (fileSizeLimit != RLIM_INFINITY) {
            p.setChildProcessModifier([fileSizeLimit] {
                signal(SIGXFSZ, SIG_IGN); // a write beyond the limit fails instead of killing
                const rlimit limit{fileSizeLimit, fileSizeLimit};
                setrlimit(RLIMIT_FSIZE, &limit);
            });
        }
        p.start(QStringLiteral(TAVELO_ADMIN_BIN), args);
        p.waitForFinished(60000);
        return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()),
                QString::fromUtf8(p.readAllStandardError())};
    }
    QTemporaryDir dir;
    const QString newDb = dir.filePath(QStringLiteral("Tavelo.mdb"));
    TTestDatabase db;
    // Where recordings are stored, and where one is deciphered to be played.
    const QString mp3Dir = QDir(db.Dir()).filePath(QStringLiteral("mp3"));
    const QString staging = QDir(db.Dir()).filePath(QStringLiteral("6.mp3"));
    QList<TBookEntry> entries;
    QString error;
};

TEST_F(AdminTest, BookFilesInTsvAndCsvWithOrWithoutHeader) {
    ASSERT_TRUE(
        Read("a.tsv", "word\tsymbol\ttranslation\texample\n你\tnǐ\tnǐ you\t\n好\thǎo\r\n\n"))
        << error.toStdString();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].translation, QStringLiteral("nǐ you"));
    EXPECT_EQ(entries[1].symbol, QStringLiteral("hǎo"));
    EXPECT_EQ(entries[1].translation, QString());
    ASSERT_TRUE(Read("b.csv", "\xEF\xBB\xBF你好,nǐ hǎo,\"hello, hi\",\"he said \"\"你好\"\"\"\n"))
        << error.toStdString();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0].word, QStringLiteral("你好"))
        << "a byte order mark is skipped; no header here";
    EXPECT_EQ(entries[0].translation, QStringLiteral("hello, hi"));
    EXPECT_EQ(entries[0].example, QStringLiteral("he said \"你好\""));
    // 字 and 词 are words of a book like any other; a header names columns only.
    for (const QByteArray& first : {QByteArray("字\tzì\tcharacter\n"), QByteArray("词\n")}) {
        ASSERT_TRUE(Read("c.tsv", first + "好\thǎo\n"));
        EXPECT_EQ(entries.size(), 2) << first.toStdString();
    }
    ASSERT_TRUE(Read("d.csv", "词,拼音,释义\n好,hǎo,good\n"));
    EXPECT_EQ(entries.size(), 1);
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
        EXPECT_FALSE(Read(c.name, c.bytes)) << c.name;
        EXPECT_TRUE(error.contains(QLatin1String(c.message)))
            << c.name << ": " << error.toStdString();
    }
    EXPECT_FALSE(ReadBookFile(dir.filePath(QStringLiteral("missing.tsv")), &entries, &error));
}

TEST_F(AdminTest, InitCreatesDefaultsAndOnePrivilegedLearner) {
    TInitOptions options;
    options.learnerName = QStringLiteral("O'Brien'); delete from USERS; --");
    ASSERT_TRUE(InitDatabase(newDb, options, &error)) << error.toStdString();
    EXPECT_FALSE(InitDatabase(newDb, options, &error)) << "never over an existing file";
    TAdoChannel ch;
    ASSERT_TRUE(ch.OpenDatabase(newDb, QString()));
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

TEST_F(AdminTest, AFailedInitLeavesNothingBehind) {
    TInitOptions options;
    options.demo = true;
    options.dataDir = dir.path();
    Write(QStringLiteral("characters.tsv"), "你\tnǐ\n好\thǎo\n");
    Write(QStringLiteral("words.tsv"), "你好\ta\tb\tc\td\n"); // the second book fails
    const QStringList before = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_FALSE(InitDatabase(newDb, options, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("5 columns"))) << error.toStdString();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), before)
        << "no database, no half-made file, no journal";

    Write(QStringLiteral("words.tsv"), "你好\tnǐ hǎo\n");
    ASSERT_TRUE(InitDatabase(newDb, options, &error)) << error.toStdString();
    QStringList after = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
    after.removeOne(QStringLiteral("Tavelo.mdb"));
    EXPECT_EQ(after, before) << "the database and nothing else beside it";
    TAdoChannel ch;
    ASSERT_TRUE(ch.OpenDatabase(newDb, QString()));
    EXPECT_EQ(ListDatabase(ch).filter(QStringLiteral(". book ")).size(), 2);
    for (const int id : {DefaultUserID, FirstLearnerID}) {
        TConfig c(&ch);
        c.Load(id);
        EXPECT_EQ(c.FontSize, 96) << "the demo shows the word large, " << id;
        EXPECT_EQ(c.WordNum, 20) << id;
    }
}

// Progress rows that are refused, or silently dropped, undo the whole subscription.
TEST_F(AdminTest, ASubscriptionWithoutAllItsProgressRowsIsUndoneAndReported) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    db.AddBook(1, QStringLiteral("b"), 3, 1);
    const char* const triggers[] = {
        "create trigger T before insert on Recite begin select raise(abort, 'disk says no'); end",
        "create trigger T before insert on Recite when new.WORD_ID = 2 begin select "
        "raise(ignore); end",
    };
    for (const char* trigger : triggers) {
        db.Exec(QString::fromLatin1(trigger));
        EXPECT_FALSE(SubscribeBook(db.Channel(), 100, 1, &error)) << trigger;
        EXPECT_TRUE(error.startsWith(QStringLiteral("the subscription could not be written")))
            << error.toStdString();
        EXPECT_EQ(db.Count(QStringLiteral("from UserBooks")), 0) << trigger;
        EXPECT_EQ(db.Count(QStringLiteral("from Recite")), 0) << trigger;
        db.Exec(QStringLiteral("drop trigger T"));
    }
    db.Exec(QStringLiteral("insert into Recite(USER_ID, BOOK_ID, WORD_ID) values (100, 1, 9)"));
    ASSERT_TRUE(SubscribeBook(db.Channel(), 100, 1, &error)) << "a stray row does not count";
    EXPECT_EQ(db.Count(QStringLiteral("from Recite")), 4);
    EXPECT_EQ(db.Scalar(QStringLiteral("select SEQUENCE from UserBooks")).toInt(), 1);
}

// What the command line says and returns when a command fails, with the disk filling up at
// every stage of init.
TEST_F(AdminTest, TheToolsExitCodeAndMessageTellTheTruth) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    db.AddBook(1, QStringLiteral("b"), 3, 1);
    db.Exec(QStringLiteral(
        "create trigger T before insert on Recite begin select raise(abort, 'no'); end"));
    TRun r = Admin({"--db", db.Path(), "subscribe", "100", "1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("could not be written"))) << r.err.toStdString();

    const QString folder = dir.filePath(QStringLiteral("new"));
    const QString fresh = QDir(folder).filePath(QStringLiteral("Tavelo.mdb"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QStringList init = {
        "--db", fresh, "init", "--demo", "--data", TAVELO_SOURCE_DATA_DIR, "--no-speak"};
    int failures = 0;
    for (const rlim_t kb : {8, 32, 48, 64, 96, 112, 2048}) {
        r = Admin(init, QString(), kb * 1024);
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (r.code != 0) {
            ++failures;
            EXPECT_EQ(r.code, 1) << kb;
            EXPECT_TRUE(r.err.startsWith(QStringLiteral("tavelo-admin: "))) << r.err.toStdString();
            EXPECT_FALSE(r.out.contains(QStringLiteral("created"))) << kb;
            EXPECT_TRUE(left.isEmpty()) << kb << " KB: " << left.join(' ').toStdString();
            continue;
        }
        EXPECT_EQ(left, QStringList{QStringLiteral("Tavelo.mdb")}) << kb;
        TAdoChannel ch;
        ASSERT_TRUE(ch.OpenDatabase(fresh, QString()));
        EXPECT_EQ(ListDatabase(ch).filter(QStringLiteral(". book ")).size(), 2) << kb;
        ch.OpenDatabase(QString(), QString());
        QFile::remove(fresh);
    }
    EXPECT_GE(failures, 3) << "the limits reach into every stage";
    EXPECT_LT(failures, 7) << "and a roomy disk takes the whole database";
}

// Each command given something it must not act on exits with 1, says why, and leaves every
// file in the folder as it was; commands that change the database refuse while another
// process (the program of any session) holds the lock beside it.
TEST_F(AdminTest, RefusalsExitOneAndChangeNothing) {
    db.AddUser(100, QStringLiteral("甲"), 1);
    db.AddBook(1, QStringLiteral("b"), 3, 1);
    db.Channel().OpenDatabase(QString(), QString()); // the tool alone has it open
    const QString folder = db.Dir();
    const auto at = [&](const char* name) { return QDir(folder).filePath(QLatin1String(name)); };
    ASSERT_TRUE(QFile::link(db.Path(), at("link.mdb")));
    ASSERT_EQ(::link(QFile::encodeName(db.Path()).constData(),
                     QFile::encodeName(at("hard.mdb")).constData()),
              0);
    QFile notes(at("notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly) && notes.write("my notes") == 8);
    notes.close();
    const QString book = Write(QStringLiteral("book.tsv"), "好\thǎo\n");
    const auto state = [&] {
        QStringList files;
        for (const QFileInfo& f : QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden |
                                                             QDir::NoDotAndDotDot | QDir::System)) {
            QFile in(f.filePath());
            files << f.fileName() + QStringLiteral(" ") +
                         QString::fromLatin1(in.open(QIODevice::ReadOnly) ? in.readAll().toHex()
                                                                          : "");
        }
        return files;
    };
    const int holder = ::open(QFile::encodeName(db.Path() + QStringLiteral(".lock")).constData(),
                              O_RDWR | O_CREAT, 0644);
    ASSERT_GE(holder, 0);
    const auto pdf = [](const QString& to) {
        return QStringList{"print-list", "100", "--pdf", to};
    };
    const QString lockMessage = QStringLiteral("is held");
    const struct {
        QStringList args;
        QString says;
        bool locked = false;
    } cases[] = {
        {pdf(db.Path()), "is the database"},
        {pdf(at("link.mdb")), "is the database"},
        {pdf(at("hard.mdb")), "is the database"},
        {pdf(at("notes.txt")), "is not a PDF"},
        {pdf(folder), "is not a PDF"},
        {{"speak", "999"}, "no book 999"},
        {{"speak", "-5"}, "above 0"},
        {{"pack-sound", TAVELO_ADMIN_BIN}, "not an MP3"},
        {{"pack-sound", at("notes.txt")}, "not an MP3"},
        {{"subscribe", "100", "1"}, lockMessage, true},
        {{"import-book", book}, lockMessage, true},
        {{"restore", at("link.mdb")}, lockMessage, true},
    };
    const QStringList before = state();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        ASSERT_EQ(::flock(holder, c.locked ? LOCK_EX : LOCK_UN), 0);
        const TRun r = Admin(QStringList{"--db", db.Path()} + c.args);
        EXPECT_EQ(r.code, 1);
        EXPECT_TRUE(r.err.contains(c.says)) << r.err.toStdString();
        EXPECT_EQ(state(), before);
    }
    ::close(holder);
    EXPECT_EQ(Admin({"--db", QString(), "list"}).code, 1) << "an empty --db is no default";
}

TEST_F(AdminTest, ImportIsAllOrNothingAndSubscriptionMakesWordsDue) {
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
    const QString raw =
        Write(QStringLiteral("好.mp3"), QByteArray("ID3\x03\0\0\0\0\0\0\xFF\xFB\x90\x64", 14) +
                                            QByteArray("pretend mp3 data ").repeated(100));
    int count = 0;
    ASSERT_TRUE(PackSounds(dir.path(), mp3Dir, &count, &error)) << error.toStdString();
    EXPECT_EQ(count, 1);
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

// A word that looks like an option is spoken; a word that cannot be recorded stores none.
TEST_F(AdminTest, SpeakingIsAllOrNothingAndTakesWordsAsText) {
    const QString espeak = QStandardPaths::findExecutable(QStringLiteral("espeak-ng"));
    if (espeak.isEmpty() || QStandardPaths::findExecutable(QStringLiteral("lame")).isEmpty()) {
        GTEST_SKIP() << "espeak-ng or lame is not installed";
    }
    db.AddBook(1, QStringLiteral("b"), 0, 0);
    db.Exec(QStringLiteral("insert into Book(BOOK_ID, WORD_ID, WORD_NAME) values (1, 1, '-h'), "
                           "(1, 2, '--version'), (1, 3, '坏')"));
    // espeak-ng as found, but refusing the word 坏.
    const QString bin = dir.filePath(QStringLiteral("bin"));
    ASSERT_TRUE(QDir().mkpath(bin));
    QFile fake(QDir(bin).filePath(QStringLiteral("espeak-ng")));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write(QStringLiteral("#!/bin/sh\nfor a; do last=$a; done\n[ \"$last\" = 坏 ] && exit 3\n"
                              "exec %1 \"$@\"\n")
                   .arg(espeak)
                   .toUtf8());
    fake.close();
    fake.setPermissions(fake.permissions() | QFile::ExeOwner);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    int count = -1;
    EXPECT_FALSE(SpeakBook(db.Channel(), 1, mp3Dir, &count, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("\"坏\": espeak-ng failed (exit code 3)")))
        << error.toStdString();
    EXPECT_EQ(count, 0);
    EXPECT_TRUE(QDir(mp3Dir).isEmpty()) << QDir(mp3Dir).entryList().join(' ').toStdString();
    qputenv("PATH", path);

    db.Exec(QStringLiteral("delete from Book where WORD_NAME = '坏'"));
    ASSERT_TRUE(SpeakBook(db.Channel(), 1, mp3Dir, &count, &error)) << error.toStdString();
    EXPECT_EQ(count, 2);
    for (const char* word : {"-h", "--version"}) {
        UnpackSoundFile(QDir(mp3Dir).filePath(QLatin1String(word) + QStringLiteral(".mp3")),
                        staging);
        EXPECT_GT(QFileInfo(staging).size(), 1000) << word << " was spoken, not obeyed";
    }
}

TEST_F(AdminTest, AutostartEntryIsWrittenAndRemoved) {
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    const QString entry = dir.filePath(QStringLiteral("autostart/tavelo.desktop"));
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

// The conventions of a command, and the data folder the tool works in when no --db is given:
// a first init there makes the folder and copies the demo's recordings and pictures.
TEST_F(AdminTest, TheCommandLineAndTheDataFolder) {
    const QString var = dir.filePath(QStringLiteral("var"));
    const QString opt = dir.filePath(QStringLiteral("opt/"));
    struct TCase {
        QStringList args;
        int code;
        QString out; // the start of standard output
    };
    const TCase cases[] = {
        {{"--version"}, 0, "tavelo-admin "},
        {{"list", "--help"}, 0, "usage: tavelo-admin"},
        {{}, 2, ""},
        {{"--bogus", "list"}, 2, ""},
        {{"frobnicate"}, 2, ""},
        {{"data-dir", "--data-dir"}, 2, ""},
        {{"data-dir"}, 0, var},
        {{"--data-dir", opt, "data-dir"}, 0, QDir::cleanPath(opt)},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        const TRun r = Admin(c.args, var);
        EXPECT_EQ(r.code, c.code);
        EXPECT_TRUE(c.out.isEmpty() || r.out.startsWith(c.out)) << r.out.toStdString();
    }

    const QString demo = dir.filePath(QStringLiteral("demo"));
    ASSERT_TRUE(QDir().mkpath(demo + QStringLiteral("/mp3")) &&
                QDir().mkpath(demo + QStringLiteral("/jpg")) && QDir().mkpath(var + "/mp3"));
    for (const char* book : {"words.tsv", "characters.tsv"}) {
        QFile::copy(QStringLiteral(TAVELO_SOURCE_DATA_DIR "/") + QLatin1String(book),
                    demo + '/' + QLatin1String(book));
    }
    Write(QStringLiteral("demo/mp3/你.mp3"), "packaged");
    Write(QStringLiteral("demo/mp3/好.mp3"), "packaged");
    Write(QStringLiteral("demo/jpg/你.jpg"), "picture");
    Write(QStringLiteral("var/mp3/好.mp3"), "the learner's own");
    const TRun init = Admin({"init", "--demo", "--data", demo, "--no-speak"}, var);
    ASSERT_EQ(init.code, 0) << init.out.toStdString();
    EXPECT_TRUE(QFileInfo::exists(var + "/Tavelo.mdb"));
    const auto read = [](const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_EQ(read(var + "/mp3/你.mp3"), "packaged");
    EXPECT_EQ(read(var + "/jpg/你.jpg"), "picture");
    EXPECT_EQ(read(var + "/mp3/好.mp3"), "the learner's own") << "never overwritten";
}
