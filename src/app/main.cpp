// Start-up: one instance, a usable database beside the executable, then the word window.
#include "Application.h"
#include "LibraryPlayer.h"
#include "PrintFrm.h"
#include "Prompts.h"
#include "Recitefrm.h"
#include "Setupfrm.h"
#include "StartUp.h"
#include "Translations.h"
#include "platform/InstanceLock.h"

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
    return QApplication::exec();
}
