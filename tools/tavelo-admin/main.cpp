// tavelo-admin: sets up and inspects a Tavelo database without touching SQL.
#include "AdminOps.h"
#include "BackupCommands.h"
#include "Console.h"
#include "JetCommand.h"
#include "PrintList.h"
#include "SetupProgress.h"
#include "StatsCommands.h"
#include "backup/Backup.h"

#include "DemoMedia.h"
#include "backup/platform/DataFolder.h"
#include "backup/platform/InstanceLock.h"
#include "common/Errors.h"
#include "store/Channels.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: tavelo-admin [--db FILE | --data-dir DIR] COMMAND [ARGS]\n"
    "       tavelo-admin --help | --version\n"
    "\n"
    "The database is FILE, else Tavelo.mdb in Tavelo's data folder: DIR, else\n"
    "$TAVELO_DATA_DIR, else this program's folder when it can be written, else\n"
    "$XDG_DATA_HOME/tavelo (~/.local/share/tavelo).\n"
    "\n"
    "commands:\n"
    "  data-dir\n"
    "        show the data folder\n"
    "  init [--demo] [--data DIR] [--name NAME] [--no-speak] [--progress-window]\n"
    "        create a new database: the default settings and one privileged learner\n"
    "        (id 100, named NAME); with --demo also import the demo books from DIR and\n"
    "        subscribe the learner to them\n"
    "  import-book FILE [--name NAME]\n"
    "        add a book from a UTF-8 TSV or CSV file with the columns word, phonetic\n"
    "        spelling, translation, example. A first row is taken as a header only when\n"
    "        it has two or more fields and every one is a column name (word, phonetic,\n"
    "        symbol, translation, example, or 字, 词, 拼音, 注音, 释义, 翻译, 例句);\n"
    "        a word with its spelling or translation is never one\n"
    "  subscribe LEARNER_ID BOOK_ID\n"
    "        subscribe a learner to a book: all its words become due\n"
    "  list  show learners, books and subscriptions\n"
    "  pack-sound MP3_FILE_OR_FOLDER\n"
    "        store MP3 recordings (named after their words) compressed and enciphered\n"
    "        in the mp3 folder beside the database\n"
    "  speak [BOOK_ID]\n"
    "        record every word of the book (or of all books) that has no recording yet,\n"
    "        with espeak-ng's Mandarin voice and lame, and store it\n"
    "  autostart on|off\n"
    "        start Tavelo (beside this program) when the desktop session starts, or not\n"
    "  print-list LEARNER_ID [--max-ability N] [--min-passes M] [--columns C] --pdf FILE\n"
    "        write the learner's words with ability <= N (4) and passes >= M (1) as a\n"
    "        word-list report in PDF, with the learner's print settings\n"
    "\n"
    "init --demo copies the demo recordings and pictures that came with the program and\n"
    "records the words still silent, unless --no-speak is given; with --progress-window\n"
    "and a screen, work that takes longer than a second shows its progress in a window.\n"
    "import-book, subscribe and restore change the database: they take the lock\n"
    "FILE.lock beside it and refuse while Tavelo (of any user or session) or another of\n"
    "them holds it. Every refusal exits with 1 and changes nothing.\n";

int Fail(const QString& message) {
    Err() << "tavelo-admin: " << message << Qt::endl;
    return 1;
}

// Takes "--key value" out of args; empty when absent.
QString TakeOption(QStringList& args, const QString& key) {
    const qsizetype i = args.indexOf(key);
    if (i < 0 || i + 1 >= args.size()) {
        return QString();
    }
    const QString value = args.at(i + 1);
    args.remove(i, 2);
    return value;
}

bool TakeFlag(QStringList& args, const QString& key) {
    return args.removeAll(key) > 0;
}

// The demo books beside the program: demo/ (with their recordings), or data/ of an older
// installation.
QString DefaultDataDir() {
    const QDir program(QCoreApplication::applicationDirPath());
    const QString demo = program.filePath(QStringLiteral("demo"));
    return QFileInfo(demo).isDir() ? demo : program.filePath(QStringLiteral("data"));
}

// Recordings live in mp3/ beside the database.
QString SoundDir(const QString& db) {
    return QFileInfo(db).absoluteDir().filePath(QStringLiteral("mp3"));
}

bool OpenExisting(TAdoChannel& channel, const QString& db, QString* error) {
    if (!QFileInfo(db).isFile()) {
        *error = QStringLiteral("%1 does not exist (create it with: tavelo-admin init)").arg(db);
        return false;
    }
    if (!channel.OpenDatabase(db, QString())) {
        *error = QStringLiteral("%1 is not an SQLite database").arg(db);
        return false;
    }
    const QStringList missing = MissingSchemaParts(channel);
    if (!missing.isEmpty()) {
        *error = QStringLiteral("%1 is not a Tavelo database; it lacks %2")
                     .arg(db, missing.join(QStringLiteral(", ")));
        return false;
    }
    return true;
}

// Copies the demo's recordings and pictures into the database's folder, then records the
// words still silent. The failure is told in Chinese first: a window may show it.
bool SetUpDemoMedia(const QString& demoDir, const QString& db, bool speak,
                    const TSetupReport& report, QString* error) {
    const auto tell = [&report](const QString& text, int done, int total) {
        if (report) {
            report(text, done, total);
        }
    };
    error->clear();
    tell(QStringLiteral("正在复制示范词语的读音和图片……"), 0, 0);
    int copied = 0;
    QString why;
    if (!CopyDemoMedia(demoDir, QFileInfo(db).absolutePath(), &copied, &why)) {
        *error = QStringLiteral("示范词语的读音和图片未能复制，背词照常可用。\n%1").arg(why);
        // The words are still recorded below: a silent demo is the worse of the two.
    }
    if (!speak) {
        return error->isEmpty();
    }
    TAdoChannel channel;
    int made = 0;
    why.clear();
    const auto counted = [&tell](int done, int total) {
        tell(QStringLiteral("正在录制示范词语的读音……"), done, total);
        if (done > 0 && (done % 50 == 0 || done == total)) {
            Out() << "recorded " << done << " of " << total << Qt::endl;
        }
    };
    if (!channel.OpenDatabase(db, QString()) ||
        !SpeakBook(channel, 0, SoundDir(db), &made, &why, counted)) {
        *error = QStringLiteral("示范词语的读音未能录制，背词照常可用，只是这些词没有读音。\n%1")
                     .arg(why.isEmpty() ? channel.LastError() : why);
        return false;
    }
    Out() << made << " recordings made in " << SoundDir(db) << Qt::endl;
    return error->isEmpty();
}

int Usage(const QString& problem) {
    Err() << kUsage << kBackupUsage << kStatsUsage << kJetUsage << "\ntavelo-admin: " << problem
          << Qt::endl;
    return 2;
}

int Run(QStringList args) {
    if (const qsizetype at = args.indexOf(QStringLiteral("--db"));
        at >= 0 && args.value(at + 1).isEmpty()) {
        return Fail(QStringLiteral("--db needs a FILE; an empty name is no database"));
    }
    QString db = TakeOption(args, QStringLiteral("--db"));
    QString dataDir;
    if (!TakeDataDirOption(args, &dataDir)) {
        return Usage(QStringLiteral("--data-dir needs a folder"));
    }
    const TDataFolder folder = ResolveDataFolder(QCoreApplication::applicationDirPath(), dataDir);
    if (db.isEmpty()) {
        db = QDir(folder.path).filePath(QString::fromLatin1(kDatabaseFileName));
    }
    if (args.isEmpty()) {
        return Usage(QStringLiteral("no command given"));
    }
    if (args.first().startsWith(QLatin1Char('-'))) {
        return Usage(QStringLiteral("unknown option %1").arg(args.first()));
    }
    const QString command = args.takeFirst();
    // Access (Jet 4) import: its own command file.
    if (command == QLatin1String("import-jet")) {
        return RunImportJet(args, db);
    }
    QString error;
    if (command == QLatin1String("data-dir")) {
        Out() << folder.path << Qt::endl;
        return 0;
    }
    if (command == QLatin1String("init")) {
        TInitOptions options;
        options.demo = TakeFlag(args, QStringLiteral("--demo"));
        const QString data = TakeOption(args, QStringLiteral("--data"));
        options.dataDir = data.isEmpty() ? DefaultDataDir() : data;
        const QString name = TakeOption(args, QStringLiteral("--name"));
        if (!name.trimmed().isEmpty()) {
            options.learnerName = name.trimmed();
        }
        const bool speak = options.demo && !TakeFlag(args, QStringLiteral("--no-speak"));
        const bool window =
            TakeFlag(args, QStringLiteral("--progress-window")) && CanShowProgressWindow();
        if (!args.isEmpty()) {
            return Fail(QStringLiteral("init: unexpected %1").arg(args.first()));
        }
        if (!EnsureDataFolder(QFileInfo(db).absolutePath(), &error) ||
            !InitDatabase(db, options, &error)) {
            return Fail(error);
        }
        Out() << "created " << db << Qt::endl;
        if (!options.demo) {
            return 0;
        }
        // A demo without its recordings still teaches: a failure is told, not an exit code.
        const auto media = [&](const TSetupReport& report, QString* failure) {
            return SetUpDemoMedia(options.dataDir, db, speak, report, failure);
        };
        if (window ? !RunWithProgressWindow(media, kSetupWindowDelay, &error)
                   : !media(TSetupReport(), &error)) {
            Err() << "tavelo-admin: " << error << Qt::endl;
        }
        return 0;
    }
    TAdoChannel channel;
    if (command == QLatin1String("print-list")) {
        return OpenExisting(channel, db, &error) ? RunPrintList(channel, args, Out(), Err())
                                                 : Fail(error);
    }
    if (command == QLatin1String("import-book")) {
        QString name = TakeOption(args, QStringLiteral("--name"));
        if (args.size() != 1) {
            return Fail(QStringLiteral("import-book needs one FILE"));
        }
        if (name.trimmed().isEmpty()) {
            name = QFileInfo(args.first()).completeBaseName();
        }
        int bookID = 0;
        TInstanceLock lock; // held to the end by every command that changes the database
        if (!LockDatabase(lock, db, &error) || !OpenExisting(channel, db, &error) ||
            !ImportBook(channel, args.first(), name.trimmed(), &bookID, &error)) {
            return Fail(error);
        }
        Out() << "book " << bookID << " \"" << name.trimmed() << "\" imported" << Qt::endl;
        return 0;
    }
    if (command == QLatin1String("subscribe")) {
        bool okUser = false;
        bool okBook = false;
        const int user = args.value(0).toInt(&okUser);
        const int book = args.value(1).toInt(&okBook);
        if (args.size() != 2 || !okUser || !okBook) {
            return Fail(QStringLiteral("subscribe needs LEARNER_ID BOOK_ID"));
        }
        TInstanceLock lock;
        if (!LockDatabase(lock, db, &error) || !OpenExisting(channel, db, &error) ||
            !SubscribeBook(channel, user, book, &error)) {
            return Fail(error);
        }
        Out() << "learner " << user << " subscribed to book " << book << Qt::endl;
        return 0;
    }
    if (command == QLatin1String("list")) {
        if (!OpenExisting(channel, db, &error)) {
            return Fail(error);
        }
        for (const QString& line : ListDatabase(channel)) {
            Out() << line << '\n';
        }
        Out().flush();
        return 0;
    }
    if (command == QLatin1String("pack-sound")) {
        if (args.size() != 1) {
            return Fail(QStringLiteral("pack-sound needs one MP3 file or folder"));
        }
        int packed = 0;
        if (!PackSounds(args.first(), SoundDir(db), &packed, &error)) {
            return Fail(error);
        }
        Out() << packed << " recordings stored in " << SoundDir(db) << Qt::endl;
        return 0;
    }
    if (command == QLatin1String("speak")) {
        bool ok = args.isEmpty();
        const int book = args.isEmpty() ? 0 : args.first().toInt(&ok);
        if (!ok || args.size() > 1 || (!args.isEmpty() && book <= 0)) {
            return Fail(QStringLiteral("speak takes an optional BOOK_ID (a number above 0)"));
        }
        if (!OpenExisting(channel, db, &error)) {
            return Fail(error);
        }
        if (book > 0 && !BookIDs(channel).contains(book)) {
            return Fail(QStringLiteral("there is no book %1").arg(book));
        }
        int made = 0;
        if (!SpeakBook(channel, book, SoundDir(db), &made, &error)) {
            return Fail(error);
        }
        Out() << made << " recordings made in " << SoundDir(db) << Qt::endl;
        return 0;
    }
    if (command == QLatin1String("autostart")) {
        const QString mode = args.value(0);
        if (args.size() != 1 || (mode != QLatin1String("on") && mode != QLatin1String("off"))) {
            return Fail(QStringLiteral("autostart needs on or off"));
        }
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("tavelo"));
        if (!SetAutostart(mode == QLatin1String("on"), program, &error)) {
            return Fail(error);
        }
        Out() << "autostart " << mode << Qt::endl;
        return 0;
    }
    if (int code = 0; RunBackupCommand(command, args, db, &code)) {
        return code;
    }
    if (int code = 0; RunStatsCommand(command, args, db, &code)) {
        return code;
    }
    return Usage(QStringLiteral("unknown command %1").arg(command));
}

} // namespace

int main(int argc, char** argv) {
    // Answered before anything else is set up.
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::fputs(kBackupUsage, stdout);
            std::fputs(kStatsUsage, stdout);
            std::fputs(kJetUsage, stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("tavelo-admin %s\n", TAVELO_VERSION);
            return 0;
        }
    }
    auto app = MakeProgressApplication(argc, argv);
    if (!app) {
        app = MakeAdminApplication(argc, argv);
    }
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    try {
        return Run(args);
    } catch (const ETaveloError& e) {
        return Fail(QString::fromUtf8(e.what()));
    }
}
