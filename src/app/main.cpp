// Start-up: one instance, a usable database beside the executable, then the word window.
#include "Application.h"
#include "AutoBackup.h"
#include "JetConversion.h"
#include "LibraryPlayer.h"
#include "PrintFrm.h"
#include "Prompts.h"
#include "Recitefrm.h"
#include "Setupfrm.h"
#include "StartUp.h"
#include "Translations.h"
#include "platform/InstanceLock.h"

#include <QDir>
#include <QTimer>
#include <memory>

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
    if (!lock.Acquire(QStringLiteral("Tavelo"))) {
        return 0; // a copy runs already: no window, no message
    }
    InstallWidgetPrompts();

    // The executable's own folder (links resolved), never the working directory.
    const QString dir = QCoreApplication::applicationDirPath();
    // An Access database from Windows where ours belongs: offered for conversion.
    if (!OfferJetConversion(dir)) {
        return 0;
    }
    TMessage refusal;
    if (!CheckProgramFolder(dir, &refusal)) {
        ShowMessageBox(refusal);
        return 0;
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
