#include "BackupFixture.h"

#include "store/Channels.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

void BackupTest::SetUp() {
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    db.AddUser(DefaultUserID, QStringLiteral("default"));
    db.AddStartSettings(DefaultUserID);
    db.AddUser(100, QStringLiteral("甲 'quoted'"), 1);
    db.AddUser(101, QStringLiteral("乙"));
    db.AddStartSettings(100);
    db.AddBook(1, QStringLiteral("书一"), 300, 1000, QStringLiteral("字"));
    db.AddBook(2, QStringLiteral("book \"two\""), 200, 5000);
    db.Subscribe(100, 1, 1);
    db.Subscribe(100, 2, 2);
    db.Subscribe(101, 2, 1);
    db.Exec(QStringLiteral("update Recite set ABILITY = WORD_ID % 17, WORD_ROUND = WORD_ID % 5, "
                           "RANDOM_NUM = WORD_ID * 7 % 1000, UPDATE_DATE = 46000.25 + WORD_ID / "
                           "1000.0"));
    db.Exec(QStringLiteral("update Book set WORD_SYMBOL = null, PICT_NAME = 'p.jpg' where "
                           "WORD_ID % 3 = 0"));
}

void BackupTest::TearDown() {
    qunsetenv("XDG_RUNTIME_DIR");
}

QStringList BackupTest::Snapshot(const QString& path) {
    TAdoChannel channel;
    if (!channel.OpenDatabase(path, QString())) {
        return {QStringLiteral("cannot open")};
    }
    QStringList rows;
    for (const char* table : {"USERS", "CONFIG", "BookStore", "Book", "UserBooks", "Recite"}) {
        TAdoQuery* q = channel.OpenQuery(
            QStringLiteral("select * from %1 order by rowid").arg(QLatin1String(table)), 1);
        for (; q != nullptr && !q->Eof(); q->Next()) {
            QStringList fields{QLatin1String(table)};
            for (int i = 0; i < q->FieldCount(); ++i) {
                const QVariant v = q->Value(q->FieldName(i));
                fields << (v.isNull() ? QStringLiteral("<null>") : v.toString());
            }
            rows << fields.join(QLatin1Char('|'));
        }
    }
    return rows;
}

QByteArray BackupTest::Bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList BackupTest::Names(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}
