#include "SetupProgress.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <cstring>
#include <thread>

namespace {

// Stays until the work ends: closing it would not stop the work, only hide that it runs.
class TProgressWindow : public QWidget {
public:
    TProgressWindow()
        : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint |
                               Qt::WindowTitleHint) {
        setObjectName(QStringLiteral("setupProgress"));
        setWindowTitle(QStringLiteral("背词"));
        auto* layout = new QVBoxLayout(this);
        auto* heading = new QLabel(QStringLiteral("背词第一次启动，正在准备示范词库。"), this);
        text_ = new QLabel(QStringLiteral("请稍候……"), this);
        bar_ = new QProgressBar(this);
        bar_->setMinimumWidth(360);
        layout->addWidget(heading);
        layout->addWidget(text_);
        layout->addWidget(bar_);
    }

    void Show(const QString& text, int done, int total) {
        text_->setText(text);
        bar_->setRange(0, total); // 0, 0: a busy bar for work that is not counted
        bar_->setValue(done);
        bar_->setFormat(total > 0 ? QStringLiteral("%1 / %2").arg(done).arg(total) : QString());
    }

    void Finish() {
        finished_ = true;
        close();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!finished_) {
            event->ignore();
        }
    }

private:
    QLabel* text_ = nullptr;
    QProgressBar* bar_ = nullptr;
    bool finished_ = false;
};

} // namespace

bool RunWithProgressWindow(const TSetupWork& work, std::chrono::milliseconds delay,
                           QString* error) {
    TProgressWindow window;
    QEventLoop loop;
    QTimer::singleShot(delay, &window, [&window] {
        window.show();
        window.raise();
    });
    bool ok = false;
    QString failure;
    // The report and the end reach the window through the event loop, on its own thread.
    const TSetupReport report = [&window](const QString& text, int done, int total) {
        QMetaObject::invokeMethod(
            &window, [&window, text, done, total] { window.Show(text, done, total); },
            Qt::QueuedConnection);
    };
    std::thread worker([&] {
        ok = work(report, &failure);
        QMetaObject::invokeMethod(
            &loop, [&loop] { loop.quit(); }, Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
    window.Finish();
    if (!ok) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("提示"), failure, QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.button(QMessageBox::Ok)->setText(QStringLiteral("确定")); // no Qt translations here
        box.exec();
    }
    *error = failure;
    return ok;
}

bool CanShowProgressWindow() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

std::unique_ptr<QCoreApplication> MakeProgressApplication(int& argc, char** argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        asked = asked || std::strcmp(argv[i], "--progress-window") == 0;
    }
    // A platform named outright is taken at its word; X11 or Wayland needs its display.
    const bool screen = !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
                        !qEnvironmentVariableIsEmpty("DISPLAY") ||
                        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (!asked || !screen) {
        return nullptr;
    }
    return std::make_unique<QApplication>(argc, argv);
}
