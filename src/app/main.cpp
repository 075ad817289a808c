// Start-up: one instance, a usable database beside the executable, then the word window.
#include "Application.h"
#include "AutoBackup.h"
#include "JetConversion.h"
#include "LibraryPlayer.h"
#include "PrintFrm.h"
#include "Prompts.h"
#include "Recitefrm.h"
#include "Setupfrm.h"
#include "SingleInstance.h"
#include "StartUp.h"
#include "Statsfrm.h"
#include "Translations.h"
#include "platform/InstanceLock.h"

#include <QDir>
#include <QTimer>
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
    if (!lock.Acquire(QStringLiteral("Tavelo"))) {
        return ShowRunningInstance(QStringLiteral("Tavelo"));
    }
    TInstanceServer instanceServer;
    instanceServer.Listen(QStringLiteral("Tavelo")); // without it a second start says so
    // --- end single instance ---
    InstallWidgetPrompts();

    // The executable's own folder (links resolved), never the working directory.
    const QString dir = QCoreApplication::applicationDirPath();
    // An Access database from Windows where ours belongs: offered for conversion.
    if (!OfferJetConversion(dir)) {
        return 0;
    }
    TMessage refusal;
    if (!LockProgramDatabase(lock, dir, &refusal) || !CheckProgramFolder(dir, &refusal)) {
        ShowMessageBox(refusal);
        return 0;
    }

    TReciteSetup setup;
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
