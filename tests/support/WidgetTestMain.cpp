#include <QApplication>
#include <gtest/gtest.h>

// The main of every widget test executable: a QApplication on the offscreen platform.

// The offscreen platform's notices of what it cannot do (masks, raising, a tray) would bury
// the test output.
static QtMessageHandler defaultHandler = nullptr;
static void QuietHandler(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (!text.startsWith(QLatin1String("This plugin does not support")) &&
        !text.contains(QLatin1String("systemTrayWindowChanged")) &&
        !text.startsWith(QLatin1String("QStandardPaths"))) {
        defaultHandler(type, context, text);
    }
}

int main(int argc, char** argv) {
    // Also when started by hand or for test discovery, where CMake's environment is not set.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    defaultHandler = qInstallMessageHandler(QuietHandler);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
