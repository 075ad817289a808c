#include "app/CommandLine.h"

#include "backup/platform/DataFolder.h"

#include <QStringList>
#include <cstdio>

namespace {

const char kUsage[] =
    "usage: tavelo [--data-dir DIR]\n"
    "\n"
    "Shows Chinese words in a small window above all others, at intervals, and keeps\n"
    "each learner's progress; the tray icon's menu holds the settings.\n"
    "\n"
    "options:\n"
    "  --data-dir DIR  keep the database, recordings, pictures and backups in DIR\n"
    "  --help          show this text and exit\n"
    "  --version       show the version and exit\n"
    "\n"
    "The data folder is DIR, else $TAVELO_DATA_DIR, else the program's folder when it can\n"
    "be written, else $XDG_DATA_HOME/tavelo (~/.local/share/tavelo).\n";

} // namespace

TCommandLine ParseCommandLine(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    TCommandLine result;
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return result;
    }
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("tavelo %s\n", TAVELO_VERSION);
        return result;
    }
    const bool dataDirOk = TakeDataDirOption(args, &result.dataDir);
    if (!dataDirOk || !args.isEmpty()) {
        if (dataDirOk) {
            std::fprintf(stderr, "tavelo: unknown option %s\n",
                         args.first().toLocal8Bit().constData());
        } else {
            std::fputs("tavelo: --data-dir needs a folder\n", stderr);
        }
        std::fputs(kUsage, stderr);
        result.exitCode = 2;
        return result;
    }
    result.proceed = true;
    return result;
}

bool DisplayMissing() {
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty() && !platform.startsWith(QLatin1String("xcb"))) {
        return false;
    }
    return qEnvironmentVariableIsEmpty("DISPLAY");
}
