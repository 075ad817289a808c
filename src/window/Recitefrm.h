#pragma once

// The word window: the program's main window, which owns the recitation engine, the
// backdrop and the tray icon, shows what the engine asks for and turns the learner's keys,
// clicks, hotkey and menu commands into engine commands.
#include "engine/ReciteCtrl.h"
#include "widgets/WidgetPrompts.h"
#include "window/Desktopfrm.h"
#include "window/platform/Platform.h"

#include <QDateTime>
#include <QHash>
#include <QMetaObject>
#include <QPoint>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QMenu;
class QTimer;
class TTrayNotifyIcon;

// The desktop pieces the window uses; by default the ones of this system.
struct TWindowPlatform {
    std::unique_ptr<IHotkey> hotkey;
    std::unique_ptr<ISynthClick> click;
};
TWindowPlatform SystemWindowPlatform();

// Opens a dialog owned by the word window for one showing (the setup and print dialogs live
// in layers above this one).
using TDialogOpener = std::function<void(QWidget* owner, TRecite* engine)>;

class TfrmRecite : public QWidget, public IReciteView {
public:
    explicit TfrmRecite(TReciteDeps setup, QWidget* parent = nullptr);
    TfrmRecite(TReciteDeps setup, TWindowPlatform platform, QWidget* parent = nullptr);
    ~TfrmRecite() override;
    TfrmRecite(const TfrmRecite&) = delete;
    TfrmRecite& operator=(const TfrmRecite&) = delete;

    TRecite* Engine() const { return engine_; }

    // What the engine calls.
    void ReflectState() override;
    void UpdateDisplay() override;

    void RefreshView();
    void ClearTexts();

    // Commands and handlers.
    void FormShow();
    void FormClose();
    void HideOnDeactivate();
    void ApplicationStateChanged(Qt::ApplicationState state);
    void HotkeyPress();
    void tmFocusTimer();
    void TrayNotifyIcon1Click();
    void mmiStartClick();
    void mmiSetupClick();
    void mmiStatsClick();
    void mmiOutClick();
    void mmiWebsiteClick();
    void mmiCloseClick();

    // The dialogs behind "设置" and "打印"; an item without one stays disabled.
    void SetSetupDialog(TDialogOpener opener);
    void SetPrintDialog(TDialogOpener opener);
    // The statistics window behind "学习统计" and F3; the item stays disabled without one.
    void SetStatsWindow(TDialogOpener opener);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void FormCreate(TReciteDeps setup);
    void CreateControls();
    void CreateMenu();
    QLabel* AddLabel(const char* name, const QRect& geometry, QLabel* label = nullptr);

    // The settings the display uses, with the start values when there is no learner.
    int FontColor() const;
    int FontSize() const;
    int TransFontSize() const;
    void SetWordWidth(int width);
    void ClearPicture();
    bool LoadPicture(const QString& path);
    void ShowDesktop(qintptr wParam);
    void HideWindow();

    // The commands, each reached by a key, a mouse gesture or the tray menu.
    void PauseOrResume();
    void StartOrKnown();
    void NextUser();
    void ToggleReviewMode();
    void EscapeCommand();
    void PopupMenuHere();

    TWindowPlatform platform_;
    TRecite* engine_ = nullptr;
    std::unique_ptr<TfrmDesktop> backdrop_;
    TTrayNotifyIcon* tray_ = nullptr;

    QLabel* imgBack = nullptr;
    QLabel* lblWord = nullptr;
    QLabel* lblTrans = nullptr;
    QLabel* imgPicture = nullptr;
    QMenu* pmuWord = nullptr;
    QAction* mmiStart = nullptr;
    QAction* mmiSetup = nullptr;
    QAction* mmiStats = nullptr;
    QAction* mmiOut = nullptr;
    QAction* mmiWebsite = nullptr;
    QAction* mmiClose = nullptr;
    QTimer* tmFocus = nullptr;

    QMetaObject::Connection deactivation_;
    TDialogOpener setupDialog_;
    TDialogOpener printDialog_;
    TDialogOpener statsWindow_;
    // Pictures that could not be decoded, with the file time they had then: reported once,
    // and read again only when the file has changed.
    QHash<QString, QDateTime> damagedPictures_;
    // The picture on display; empty when none is shown.
    QString picturePath_;
    bool shown_ = false;

    // Dragging: armed by a left press, started once the pointer has travelled far enough.
    bool dragArmed_ = false;
    bool dragByHand_ = false;
    bool systemMove_ = false; // the window manager moves the window
    QPoint dragOrigin_;
    QPoint dragOffset_;
    // The focus click on its way, and where it was made.
    bool focusClickPending_ = false;
    QPoint focusClickAt_;
};
