#include "window/Recitefrm.h"

#include "model/Prompts.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"
#include "ui/TextRules.h"
#include "widgets/DialogLook.h"
#include "window/Frame.h"
#include "window/Messages.h"
#include "window/TrayIcon.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <utility>

namespace {

constexpr int kWidth = 461;
constexpr int kHeight = 290;
constexpr int kCornerEllipse = 50;
constexpr int kStatusFontSize = 36;
constexpr int kFocusDelay = 500;

// The start values of the display settings, for a database without learners.
constexpr int kStartFontSize = 24;
constexpr int kStartTransFontSize = 14;

const QString kHotkeyCaption = QStringLiteral("提示");
const QString kHotkeyRefused =
    QStringLiteral("快捷键 Shift+~（数字键 1 左边的键）无法使用：它已被其他程序占用，"
                   "或键盘上没有这个键。\n请单击托盘图标，或再次启动本程序，来显示背词窗口。");

// The translation line: Latin letters and punctuation from a Latin face (the CJK faces draw
// ’ and , full-width), Han characters from the Song face; a text longer than the line ends
// in "…" instead of being cut mid-word.
QFont TranslationFont(int pixelHeight) {
    QFont font;
    font.setFamilies(QStringList{QStringLiteral("DejaVu Serif"), QStringLiteral("Times New Roman")}
                     << SongFaces());
    font.setPixelSize(pixelHeight);
    return font;
}

class TElidedLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setFont(font());
        painter.setPen(palette().color(foregroundRole()));
        const QRect area = contentsRect();
        painter.drawText(area, static_cast<int>(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

void SetPointSize(QLabel* label, int points) {
    QFont font = label->font();
    font.setPointSize(std::max(points, 1));
    label->setFont(font);
}

} // namespace

TWindowPlatform SystemWindowPlatform() {
    return {MakeSystemHotkey(), MakeSystemClick()};
}

TfrmRecite::TfrmRecite(TReciteDeps setup, QWidget* parent)
    : TfrmRecite(std::move(setup), SystemWindowPlatform(), parent) {}

TfrmRecite::TfrmRecite(TReciteDeps setup, TWindowPlatform platform, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      platform_(std::move(platform)) {
    Q_INIT_RESOURCE(assets);
    setObjectName(QStringLiteral("frmRecite"));
    setWindowTitle(QStringLiteral("背词"));
    QIcon icon;
    for (const char* file :
         {":/tavelo/tavelo-16.png", ":/tavelo/tavelo-32.png", ":/tavelo/tavelo.png"}) {
        icon.addFile(QString::fromLatin1(file));
    }
    setWindowIcon(icon);
    setFixedSize(kWidth, kHeight);
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
    setAutoFillBackground(true);
    if (const QScreen* primary = QGuiApplication::primaryScreen()) {
        const QRect area = primary->availableGeometry();
        move(area.center() - QPoint(kWidth / 2, kHeight / 2));
    }
    CreateControls();
    CreateMenu();
    FormCreate(std::move(setup));
}

TfrmRecite::~TfrmRecite() {
    QObject::disconnect(deactivation_);
    if (platform_.hotkey) {
        platform_.hotkey->Release();
    }
    if (engine_ != nullptr) {
        engine_->Window = nullptr;
    }
    backdrop_.reset();
}

void TfrmRecite::CreateControls() {
    imgBack = AddLabel("imgBack", QRect(32, 24, 393, 217));
    imgBack->setPixmap(
        QPixmap(QStringLiteral(":/tavelo/background.jpg"))
            .scaled(imgBack->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    imgPicture = AddLabel("imgPicture", QRect(232, 24, 193, 217));

    lblWord = AddLabel("lblWord", QRect(32, 24, 393, 217));
    lblWord->setAlignment(Qt::AlignCenter);
    lblWord->setFont(SongFontPixels(144));
    SetTextColor(lblWord, Qt::blue);

    lblTrans = AddLabel("lblTrans", QRect(32, 249, 393, 30), new TElidedLabel(this));
    lblTrans->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblTrans->setFont(TranslationFont(32));
    lblTrans->setAutoFillBackground(true); // the form colour behind the text
    SetTextColor(lblTrans, ColorFromStored(kWindowTextColor));

    tmFocus = new QTimer(this);
    tmFocus->setObjectName(QStringLiteral("tmFocus"));
    tmFocus->setSingleShot(true);
    tmFocus->setInterval(kFocusDelay);
    connect(tmFocus, &QTimer::timeout, this, [this] { tmFocusTimer(); });
}

QLabel* TfrmRecite::AddLabel(const char* name, const QRect& geometry, QLabel* label) {
    if (label == nullptr) {
        label = new QLabel(this);
    }
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    // Clicks and drags anywhere belong to the window itself.
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

void TfrmRecite::FormCreate(TReciteDeps setup) {
    QPainterPath outline;
    outline.addRoundedRect(QRectF(0, 0, kWidth, kHeight), kCornerEllipse / 2.0,
                           kCornerEllipse / 2.0);
    setMask(QRegion(outline.toFillPolygon().toPolygon()));

    engine_ = new TRecite(this, std::move(setup));
    engine_->Window = this;

    tray_ = new TTrayNotifyIcon(this, windowIcon(), QStringLiteral("背词"), pmuWord,
                                [this] { TrayNotifyIcon1Click(); });
    tray_->SetVisible(true);

    backdrop_ = std::make_unique<TfrmDesktop>(engine_, this);
    picturePath_.clear();

    // The learner hears once that the hotkey cannot be had, and what reaches the window instead.
    platform_.hotkey->SetRefusedHandler([this, told = false]() mutable {
        if (!std::exchange(told, true)) {
            QTimer::singleShot(0, this, [] { ShowMessageBox({kHotkeyRefused, kHotkeyCaption}); });
        }
    });
    platform_.hotkey->Claim([this] { HotkeyPress(); });

    const QString temp = engine_->FilePath(QStringLiteral("temp"));
    if (!QFileInfo(temp).isDir()) {
        QDir().mkdir(temp); // a failure shows later, when a sound cannot be staged
    }

    deactivation_ = connect(qGuiApp, &QGuiApplication::applicationStateChanged, this,
                            [this](Qt::ApplicationState state) { ApplicationStateChanged(state); });
}

// While the window manager moves the window it holds the keyboard, and Qt reports the
// program inactive; no other program has become active then, so the window stays.
void TfrmRecite::ApplicationStateChanged(Qt::ApplicationState state) {
    if (state == Qt::ApplicationActive) {
        systemMove_ = false;
    } else if (state == Qt::ApplicationInactive && !systemMove_) {
        HideOnDeactivate();
    }
}

int TfrmRecite::FontColor() const {
    const TUser* user = engine_->CurrentUser();
    return user == nullptr ? kWindowTextColor : user->Config.FontColor;
}

int TfrmRecite::FontSize() const {
    const TUser* user = engine_->CurrentUser();
    return user == nullptr ? kStartFontSize : user->Config.FontSize;
}

int TfrmRecite::TransFontSize() const {
    const TUser* user = engine_->CurrentUser();
    return user == nullptr ? kStartTransFontSize : user->Config.TransFontSize;
}

void TfrmRecite::SetWordWidth(int width) {
    lblWord->resize(width, lblWord->height());
}

void TfrmRecite::ClearPicture() {
    imgPicture->clear();
    picturePath_.clear();
}

void TfrmRecite::ClearTexts() {
    lblWord->clear();
    lblTrans->clear();
}

void TfrmRecite::RefreshView() {
    const TUser* user = engine_->CurrentUser();
    TReciteMessage desktop(WM_RECITEDESKTOP, user == nullptr ? 0 : user->Config.UseDesktop);
    QCoreApplication::sendEvent(this, &desktop);
    if (desktop.Result == 1) {
        show();
        raise(); // above the backdrop
    }
    activateWindow();
    setFocus();
    ClearTexts();
    SetTextColor(lblWord, ColorFromStored(FontColor()));
    SetPointSize(lblWord, FontSize());
    SetPointSize(lblTrans, TransFontSize());
    if (engine_->State == rsIdle || engine_->State == rsFinished) {
        SetPointSize(lblWord, kStatusFontSize);
    }
    lblWord->setText(TrimBlanks(engine_->StatusText()));
    SetTextColor(lblWord, Qt::red);
}

void TfrmRecite::UpdateDisplay() {
    SetTextColor(lblWord, ColorFromStored(FontColor()));
    SetTextColor(lblTrans, ColorFromStored(kWindowTextColor));
    lblWord->setText(engine_->WordText());
    lblTrans->setText(engine_->Words.Empty() ? QString() : TrimBlanks(engine_->TransText()));

    // Looked up at every update; a name that could leave the jpg folder has no picture.
    const QString word = lblWord->text();
    const QString path = engine_->FilePath(QStringLiteral("jpg/") + word + QStringLiteral(".jpg"));
    const TUser* user = engine_->CurrentUser();
    bool showing = false;
    if (user != nullptr && user->Config.ShowPicture && !word.isEmpty() && IsSafeFileStem(word) &&
        QFileInfo(path).isFile()) {
        showing = SameTextAscii(TrimBlanks(path), TrimBlanks(picturePath_)) || LoadPicture(path);
    }
    if (showing) {
        SetWordWidth(imgBack->width() / 2);
    } else {
        SetWordWidth(imgBack->width());
        ClearPicture();
    }
    SetPointSize(lblWord, FontSize());
    SetPointSize(lblTrans, TransFontSize());
}

bool TfrmRecite::LoadPicture(const QString& path) {
    const QDateTime modified = QFileInfo(path).lastModified();
    const auto damaged = damagedPictures_.constFind(path);
    if (damaged != damagedPictures_.cend() && damaged.value() == modified) {
        return false;
    }
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QImage image = reader.read();
    if (image.isNull()) {
        // Treated as no picture. Reported after the current event, so no box opens inside
        // the engine's tick, and only once, not at every showing of the word.
        if (damaged == damagedPictures_.cend()) {
            const QString text =
                QStringLiteral("Cannot read picture %1: %2").arg(path, reader.errorString());
            ReportErrorLater(this, text);
        }
        damagedPictures_.insert(path, modified);
        return false;
    }
    damagedPictures_.remove(path);
    imgPicture->setPixmap(QPixmap::fromImage(
        image.scaled(imgPicture->size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    picturePath_ = path;
    return true;
}

void TfrmRecite::ReflectState() {
    switch (engine_->State) {
    case rsIdle:
    case rsFinished:
        ClearTexts();
        lblWord->setText(engine_->StatusText());
        SetTextColor(lblWord, Qt::red);
        SetPointSize(lblWord, kStatusFontSize);
        SetWordWidth(imgBack->width());
        ClearPicture();
        break;
    case rsPaused:
        SetTextColor(lblWord, Qt::red);
        break;
    default:
        break;
    }
}

void TfrmRecite::ShowDesktop(qintptr wParam) {
    if (wParam == 1) {
        backdrop_->show();
        backdrop_->raise();
    } else {
        backdrop_->hide();
    }
}

void TfrmRecite::HideWindow() {
    backdrop_->hide();
    hide();
}

void TfrmRecite::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    QPainter painter(this);
    PaintRaisedFrame(painter, size(), palette().color(QPalette::Dark));
}

void TfrmRecite::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous() && !shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmRecite::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        shown_ = false;
        tmFocus->stop(); // the focus click belongs to this showing only
    }
}

void TfrmRecite::FormShow() {
    RefreshView();
    tmFocus->start();
}
