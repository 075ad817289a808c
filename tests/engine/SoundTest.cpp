#include "EngineFixture.h"
#include "engine/EngineErrors.h"

#include <zlib.h>

namespace {

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// A stored file whose header announces `announced` bytes for the zlib stream of `data`.
QByteArray StoredFile(qint32 announced, const QByteArray& data) {
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    QByteArray z(static_cast<qsizetype>(size), Qt::Uninitialized);
    compress(reinterpret_cast<Bytef*>(z.data()), &size,
             reinterpret_cast<const Bytef*>(data.constData()), static_cast<uLong>(data.size()));
    z.resize(static_cast<qsizetype>(size));
    QByteArray header(4, '\0');
    for (int i = 0; i < 4; ++i) {
        header[i] = static_cast<char>((static_cast<quint32>(announced) >> (8 * i)) & 0xff);
    }
    return header + z;
}

TEST_F(EngineTest, EachAnswerIsSpokenFromTheNextPlayFile) {
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    db.AddUser(101, QStringLiteral("乙"));
    db.AddStartSettings(101);
    db.Subscribe(101, 1, 1);
    const QByteArray a = AddRecording(QStringLiteral("a"), 5000);
    const QByteArray b = AddRecording(QStringLiteral("b"), 777);
    StartGroup();
    Ticks(1 + 4);
    EXPECT_EQ(ReadAll(TempFile(1)), a) << "the first word spoken after start-up";
    Ticks(kShowing);
    EXPECT_EQ(ReadAll(TempFile(2)), b);
    Ticks(2 * kShowing);
    engine->SelectUser(1); // another user and another group go on with the same files
    engine->SetState(rsLoading);
    Ticks(1 + 4 + 2 * kShowing);
    QStringList files;
    for (const QString& call : *playerLog) {
        if (call.startsWith(QLatin1String("play "))) {
            files << QFileInfo(call.mid(5)).fileName();
        }
    }
    EXPECT_EQ(files, (QStringList{"1.mp3", "2.mp3", "3.mp3", "4.mp3", "5.mp3", "0.mp3", "1.mp3"}));
    EXPECT_EQ(Probe(engine).SoundSlot(), 1);
    EXPECT_EQ(ReadAll(TempFile(0)), b);
    EXPECT_EQ(playerLog->first(), QStringLiteral("init"));
    EXPECT_EQ(playerLog->at(1), QStringLiteral("play ") + TempFile(1));
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(EngineTest, SilentWithoutRecordingOrWhenPronounceIsOff) {
    AddBook({QStringLiteral("a"), QStringLiteral("b")});
    AddRecording(QStringLiteral("b"));
    QDir(db.Dir()).mkpath(QStringLiteral("mp3/a.mp3")); // a folder is not a recording
    Start();
    engine->CurrentUser()->Config.Pronounce = 2;
    engine->SetState(rsLoading);
    Ticks(1 + 2 * kShowing);
    EXPECT_EQ(*playerLog, QStringList{"init"});
    engine->CurrentUser()->Config.Pronounce = 1;
    Ticks(4);
    EXPECT_EQ(view->events.last(), QStringLiteral("show a|trans of a"));
    EXPECT_EQ(playerLog->size(), 1) << "no recording for a";
    Ticks(kShowing);
    EXPECT_EQ(view->events.last(), QStringLiteral("show b|trans of b"));
    EXPECT_EQ(playerLog->size(), 2);
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(EngineTest, ADamagedRecordingIsReportedOnceAndTheAnswerStillShows) {
    AddBook({QStringLiteral("a")});
    WriteAll(QDir(db.Dir()).filePath(QStringLiteral("mp3/a.mp3")),
             QByteArray("\x10\0\0\0garbage", 11));
    StartGroup();
    Ticks(1 + 4);
    EXPECT_EQ(view->events.last(), QStringLiteral("show a|trans of a"));
    Ticks(3 * kShowing);
    EXPECT_EQ(reported.size(), 1);
    EXPECT_TRUE(reported.value(0).contains(QStringLiteral("a.mp3")))
        << reported.value(0).toStdString();
    EXPECT_EQ(*playerLog, QStringList{"init"});
    EXPECT_EQ(engine->State, rsRunning);
}

TEST_F(EngineTest, NamesThatAreNotPlainFileNamesAreNeverUsedAsPaths) {
    AddBook({QStringLiteral("../a"), QStringLiteral("..")});
    QDir(db.Dir()).mkpath(QStringLiteral("x"));
    AddRecording(QStringLiteral("a")); // reachable as mp3/../a.mp3 only through the name
    StartGroup();
    Ticks(1 + 2 * kShowing);
    EXPECT_EQ(*playerLog, QStringList{"init"});
    EXPECT_TRUE(reported.isEmpty());
    EXPECT_FALSE(IsSafeFileStem(QStringLiteral("a\\b")));
    EXPECT_FALSE(IsSafeFileStem(QStringLiteral("a\nb")));
    EXPECT_FALSE(IsSafeFileStem(QStringLiteral(".")));
    EXPECT_TRUE(IsSafeFileStem(QStringLiteral("你好")));
    EXPECT_TRUE(IsSafeFileStem(QStringLiteral("a..b")));
}

class UnpackTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        stored = QDir(db.Dir()).filePath(QStringLiteral("mp3/x.mp3"));
        staging = TempFile(6);
    }
    QString stored;
    QString staging;
};

TEST_F(UnpackTest, ARecordingRoundTripsByteForByte) {
    const QByteArray mp3 = AddRecording(QStringLiteral("x"), 5000);
    UnpackSoundFile(stored, staging);
    EXPECT_EQ(QFileInfo(staging).size(), 8 + 313 * 16) << "5000 bytes are 313 blocks";
    WriteAll(TempFile(3), "old contents that are longer than nothing");
    Start();
    Probe(engine).SoundSlot() = 2;
    Probe(engine).PlaySound();
    EXPECT_EQ(ReadAll(TempFile(3)), mp3);
}

TEST_F(UnpackTest, DamageIsRefusedWithAnError) {
    const QByteArray data(1000, 'x');
    const struct {
        const char* what;
        QByteArray file;
    } cases[] = {
        {"empty", QByteArray()},
        {"short header", QByteArray("\x01\x02", 2)},
        {"negative length", StoredFile(-1, data)},
        {"impossible length", StoredFile(0x7fffffff, data)},
        {"more than announced", StoredFile(999, data)},
        {"less than announced", StoredFile(1001, data)},
        {"not zlib", QByteArray("\x05\0\0\0hello", 9)},
        {"truncated stream", StoredFile(1000, data).left(12)},
    };
    for (const auto& c : cases) {
        WriteAll(stored, c.file);
        EXPECT_THROW(UnpackSoundFile(stored, staging), EInflateError) << c.what;
    }
    WriteAll(stored, StoredFile(1000, data));
    UnpackSoundFile(stored, staging);
    EXPECT_EQ(ReadAll(staging), data);
    EXPECT_THROW(UnpackSoundFile(stored, QDir(db.Dir()).filePath(QStringLiteral("no/such/6.mp3"))),
                 EFileError);
    EXPECT_THROW(UnpackSoundFile(stored + QStringLiteral(".missing"), staging), EFileError);
}

} // namespace
