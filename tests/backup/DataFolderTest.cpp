// Where the data lives: the option, the variable, a writable program folder, the learner's
// own folder, in that order.
#include "backup/platform/DataFolder.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct TEnvironment {
    QByteArray name;
    QByteArray saved;
    bool had;
    TEnvironment(const char* n, const QByteArray& value)
        : name(n), saved(qgetenv(n)), had(qEnvironmentVariableIsSet(n)) {
        value.isNull() ? qunsetenv(n) : qputenv(n, value);
    }
    ~TEnvironment() { had ? qputenv(name, saved) : qunsetenv(name); }
};

} // namespace

TEST(DataFolder, TheFirstThatAppliesNamesTheFolder) {
    QTemporaryDir tmp;
    const QString writable = tmp.filePath(QStringLiteral("prog"));
    // Root may write every folder; one that is not there cannot be written by anyone.
    const QString locked = tmp.filePath(QStringLiteral("locked"));
    ASSERT_TRUE(QDir().mkpath(writable));
    const QString home = QDir::homePath();
    struct TCase {
        const char* what;
        QString programDir, option;
        QByteArray variable, xdgDataHome;
        QString want;
        TDataFolderSource source;
    };
    const QByteArray none;
    const TCase cases[] = {
        {"option first", locked, QStringLiteral("/x/opt/"), "/x/var", "/x/xdg", "/x/opt",
         TDataFolderSource::Option},
        {"then the variable", writable, QString(), "/x/var/../v", "/x/xdg", "/x/v",
         TDataFolderSource::Variable},
        {"a writable program folder", writable, QString(), none, "/x/xdg", writable,
         TDataFolderSource::ProgramFolder},
        {"read-only: XDG_DATA_HOME", locked, QString(), none, "/x/xdg", "/x/xdg/tavelo",
         TDataFolderSource::UserFolder},
        {"a relative XDG_DATA_HOME is ignored", locked, QString(), none, "rel",
         home + "/.local/share/tavelo", TDataFolderSource::UserFolder},
        {"no XDG_DATA_HOME", locked, QString(), none, none, home + "/.local/share/tavelo",
         TDataFolderSource::UserFolder},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.what);
        const TEnvironment variable("TAVELO_DATA_DIR", c.variable);
        const TEnvironment xdg("XDG_DATA_HOME", c.xdgDataHome);
        const TDataFolder got = ResolveDataFolder(c.programDir, c.option);
        EXPECT_EQ(got.path, c.want);
        EXPECT_EQ(got.source, c.source);
    }
}

TEST(DataFolder, TheOptionIsTakenInEitherSpelling) {
    struct TCase {
        QStringList args;
        bool ok;
        QString dir;
        QStringList rest;
    };
    const TCase cases[] = {
        {{"init", "--data-dir", "/d", "--demo"}, true, "/d", {"init", "--demo"}},
        {{"--data-dir=/d", "list"}, true, "/d", {"list"}},
        {{"list"}, true, {}, {"list"}},
        {{"list", "--data-dir"}, false, {}, {"list", "--data-dir"}},
        {{"--data-dir="}, false, {}, {}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.args.join(' ').toStdString());
        QStringList args = c.args;
        QString dir;
        EXPECT_EQ(TakeDataDirOption(args, &dir), c.ok);
        EXPECT_EQ(dir, c.dir);
        EXPECT_EQ(args, c.rest);
    }
}
