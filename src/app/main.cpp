// Start-up: one instance, a usable database in the data folder, then the word window.
#include "app/Application.h"
#include "app/AutoBackup.h"
#include "app/CommandLine.h"
#include "app/JetConversion.h"
#include "app/LibraryPlayer.h"
#include "app/SingleInstance.h"
#include "app/StartRefusal.h"
#include "app/StartUp.h"
#include "app/Translations.h"
#include "backup/platform/DataFolder.h"
#include "backup/platform/InstanceLock.h"
#include "model/Prompts.h"
#include "print/PrintFrm.h"
#include "setup/Setupfrm.h"
#include "stats_window/Statsfrm.h"
#include "store/Schema.h"
#include "window/Recitefrm.h"

#include <QDir>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

// A second start: the running copy shows its word window; exit 1 when it does not answer.
int ShowRunningInstance(const QString& name) {
    if (AskRunningInstanceToShow(name)) {
        return 0;
    }
    InstallWidgetPrompts();
    ShowMessageBox({QStringLiteral("背词程序已在运行，但没有应答。请稍后再试，或结束它再启动。"),
                    QStringLiteral("提示")});
    return 1;
}

} // namespace

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
    // --- single instance: a second start shows the running copy's word window ---
    const QString instanceName = QString::fromLatin1(kInstanceName);
    if (!lock.Acquire(instanceName)) {
        return ShowRunningInstance(instanceName);
    }
    TInstanceServer instanceServer;
    instanceServer.Listen(instanceName); // without it a second start says so
    // --- end single instance ---
    InstallWidgetPrompts();

    // Beside the executable (its own folder, links resolved, never the working directory)
    // when that can be written, else the learner's own data folder.
    const TDataFolder data =
        ResolveDataFolder(QCoreApplication::applicationDirPath(), commandLine.dataDir);
    const QString dir = data.path;
    // An Access database from Windows where ours belongs: offered for conversion.
    if (!OfferJetConversion(dir)) {
        return 0;
    }
    TMessage refusal;
    if (!LockProgramDatabase(lock, dir, &refusal)) {
        // Another copy (of any user or session) works on this database.
        std::fprintf(stderr, "tavelo: %s\n", refusal.text.toUtf8().constData());
        ShowMessageBox(refusal);
        return 1;
    }
    if (!CheckProgramFolder(dir, &refusal)) {
        RefuseStart(refusal, data);
        return 1;
    }

    TReciteDeps setup;
    setup.baseDir = dir;
    setup.player = std::make_unique<TLibraryPlayer>();
    TfrmRecite window(std::move(setup));
    window.SetSetupDialog(OpenSetupDialog);
    window.SetPrintDialog(OpenPrintDialog);
    // The desktop's shutdown and a closed terminal end the program as "退出" does. A pass is
    // never lost in between: it is in the database or the pending file once it is made, also
    // when the display goes away and Qt ends the process on its own.
    app.QuitOnSignals([&window] { window.close(); });
    window.SetStatsWindow(OpenStatsWindow);
    window.show();
    instanceServer.SetShowHandler([&window] { window.mmiStartClick(); }); // as the tray's "背词"
    // The day's copy of the database, once the window is up; off the GUI thread, through the
    // engine's connection. Declared after the window, so a running copy stops before the
    // window closes that connection.
    TAutoBackup backup(QDir(dir).filePath(QString::fromLatin1(kDatabaseFileName)), SystemClock());
    backup.ShareConnection(window.Engine()->Channel->Handle());
    QTimer::singleShot(0, &backup, &TAutoBackup::Start);
    return QApplication::exec();
}
