// Start-up: one instance, a usable database in the data folder, then the word window.
#include "Application.h"
#include "AutoBackup.h"
#include "CommandLine.h"
#include "LibraryPlayer.h"
#include "PrintFrm.h"
#include "Prompts.h"
#include "Recitefrm.h"
#include "Setupfrm.h"
#include "StartRefusal.h"
#include "StartUp.h"
#include "Translations.h"
#include "platform/DataFolder.h"
#include "platform/InstanceLock.h"

#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

int main(int argc, char** argv) {
    const TCommandLine commandLine = ParseCommandLine(argc, argv);
    if (!commandLine.proceed) {
        return commandLine.exitCode;
    }
    if (DisplayMissing()) {
        std::fputs("tavelo: no display (DISPLAY is not set): Tavelo needs an X11 or XWayland "
                   "desktop session\n",
                   stderr);
        return 1;
    }
    // Under a Wayland session run through XWayland: staying above other windows, placing the
    // window, the global hotkey and the focus click need X11. An explicit choice is kept.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    TApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tavelo"));
    QApplication::setQuitOnLastWindowClosed(false); // the program lives in the tray
    InstallQtTranslations();

    TInstanceLock lock;
    if (!lock.Acquire(QStringLiteral("Tavelo"))) {
        return 0; // a copy runs already: no window, no message
    }
    InstallWidgetPrompts();

    // Beside the executable (its own folder, links resolved, never the working directory)
    // when that can be written, else the learner's own data folder.
    const TDataFolder data =
        ResolveDataFolder(QCoreApplication::applicationDirPath(), commandLine.dataDir);
    const QString dir = data.path;
    TMessage refusal;
    if (!CheckProgramFolder(dir, &refusal)) {
        RefuseStart(refusal, data);
        return 1;
    }

    TReciteSetup setup;
    setup.baseDir = dir;
    setup.player = std::make_unique<TLibraryPlayer>();
    TfrmRecite window(std::move(setup));
    window.SetSetupDialog(OpenSetupDialog);
    window.SetPrintDialog(OpenPrintDialog);
    window.show();
    // The day's copy of the database, once the window is up; off the GUI thread, through the
    // engine's connection. Declared after the window, so a running copy stops before the
    // window closes that connection.
    TAutoBackup backup(QDir(dir).filePath(QString::fromLatin1(kDatabaseFileName)), SystemClock());
    backup.ShareConnection(window.Engine()->Channel->Handle());
    QTimer::singleShot(0, &backup, &TAutoBackup::Start);
    return QApplication::exec();
}
