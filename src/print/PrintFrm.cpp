#include "print/PrintFrm.h"

#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"
#include "print/PrintGrid.h"
#include "store/AdoQuery.h"
#include "ui/Fonts.h"
#include "widgets/UpDown.h"

#include <QAction>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaObject>
#include <QPushButton>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

namespace {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

struct TColumnTitle {
    const char* field;
    const char* title;
    int width; // 0: the grid's default
};
const TColumnTitle kShownColumns[] = {
    {"WORD_NAME", "单   词", 160},
    {"ABILITY", "辨识分值", 0},
    {"WORD_ROUND", "背记遍数", 0},
    {"RANDOM_NUM", "随机数", 0},
};

} // namespace

TfrmPrint::TfrmPrint(QWidget* owner, TRecite* engine)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      engine_(engine), model_(new TPrintGridModel(this)) {
    setObjectName(QStringLiteral("frmPrint"));
    setWindowTitle(QStringLiteral("打印单词"));
    CreateControls();
}

void TfrmPrint::CreateControls() {
    const QFont song15 = SongFontPixels(15);

    GroupBox1 = Named(new QGroupBox(QStringLiteral("筛选条件"), this), "GroupBox1");
    GroupBox1->setFont(song15);
    Label28 = Named(new QLabel(QStringLiteral("背记遍数"), GroupBox1), "Label28");
    Label3 = Named(new QLabel(QStringLiteral(">="), GroupBox1), "Label3");
    txtRound = Named(new QLineEdit(GroupBox1), "txtRound");
    udOblivion = Named(new TUpDown(GroupBox1), "udOblivion");
    Label30 = Named(new QLabel(QStringLiteral("辨识能力 "), GroupBox1), "Label30");
    Label1 = Named(new QLabel(QStringLiteral("<="), GroupBox1), "Label1");
    txtIdentify = Named(new QLineEdit(GroupBox1), "txtIdentify");
    udAbility = Named(new TUpDown(GroupBox1), "udAbility");
    for (QLineEdit* edit : {txtRound, txtIdentify}) {
        edit->setReadOnly(true);
        edit->setFixedWidth(72);
        edit->setAlignment(Qt::AlignRight);
    }
    udOblivion->SetRange(0, 30000);
    udOblivion->SetPosition(1);
    udAbility->SetRange(0, 10000);
    udAbility->SetPosition(4);
    udOblivion->Associate(txtRound, true);
    udAbility->Associate(txtIdentify, true);
    for (TUpDown* ud : {udOblivion, udAbility}) {
        // The list follows the mouse on the arrows only.
        ud->SetArrowKeys(false);
        ud->OnMouseDown = [this] { udOblivionMouseUp(); };
        ud->OnMouseUp = [this] { udOblivionMouseUp(); };
    }
    auto* limits = new QHBoxLayout(GroupBox1);
    const auto half = [limits](QLabel* caption, QLabel* relation, QLineEdit* edit, TUpDown* ud) {
        auto* box = new QHBoxLayout;
        box->setSpacing(4);
        box->addWidget(caption);
        box->addWidget(relation);
        box->addWidget(edit);
        box->addSpacing(-4);
        box->addWidget(ud);
        box->addStretch();
        limits->addLayout(box, 1);
    };
    half(Label28, Label3, txtRound, udOblivion);
    half(Label30, Label1, txtIdentify, udAbility);

    DBGridEh1 = Named(new QTableView(this), "DBGridEh1");
    DBGridEh1->setModel(model_);
    DBGridEh1->setFont(song15);
    DBGridEh1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGridEh1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGridEh1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGridEh1->setShowGrid(true);
    DBGridEh1->verticalHeader()->hide();
    DBGridEh1->verticalHeader()->setDefaultSectionSize(22);
    QHeaderView* titles = DBGridEh1->horizontalHeader();
    titles->setSectionsClickable(true);
    titles->setSortIndicatorShown(true);
    titles->setSortIndicator(-1, Qt::AscendingOrder);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
    connect(titles, &QHeaderView::sectionClicked, this,
            [this](int column) { DBGridEh1TitleClick(column); });

    pmnQuery = Named(new QMenu(this), "pmnQuery");
    mniDelete = pmnQuery->addAction(QStringLiteral("删    除"));
    mniDelete->setObjectName(QStringLiteral("mniDelete"));
    mniDelete->setShortcut(QKeySequence(Qt::Key_Delete));
    // The grid deletes nothing: the entry is shown, but it does nothing.
    mniDelete->setEnabled(false);
    pmnQuery->addSeparator()->setObjectName(QStringLiteral("N2"));
    mmiPreview = pmnQuery->addAction(QStringLiteral("打    印"));
    mmiPreview->setObjectName(QStringLiteral("mmiPreview"));
    mmiPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    connect(mmiPreview, &QAction::triggered, this, [this] { mmiPreviewClick(); });
    // The shortcuts work anywhere in the dialog, not only while the menu is open.
    addAction(mniDelete);
    addAction(mmiPreview);
    DBGridEh1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(DBGridEh1, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        pmnQuery->popup(DBGridEh1->viewport()->mapToGlobal(pos));
    });

    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setSizeGripEnabled(false);
    const int widths[] = {120, 48, 50, 50};
    for (int i = 0; i < 4; ++i) {
        auto* panel = new QLabel(StatusBar1);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i));
        panel->setFixedWidth(widths[i]);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        if (i < 2) {
            panel->setAlignment(Qt::AlignCenter);
        }
        StatusBar1->addWidget(panel);
        Panels.push_back(panel);
    }
    Panels[0]->setText(QStringLiteral("当前的单词数"));

    Button1 = Named(new QPushButton(QStringLiteral("打印设置"), this), "Button1");
    Button2 = Named(new QPushButton(QStringLiteral("打印"), this), "Button2");
    Button5 = Named(new QPushButton(QStringLiteral("取消"), this), "Button5");
    for (QPushButton* b : {Button1, Button2, Button5}) {
        b->setFont(song15);
        b->setAutoDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, [this] { mmiPreviewClick(); });
    connect(Button2, &QPushButton::clicked, this, [this] { mmiPreviewClick(); });
    connect(Button5, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button5);
    auto* main = new QVBoxLayout(this);
    main->addWidget(GroupBox1);
    main->addWidget(DBGridEh1, 1);
    main->addWidget(StatusBar1);
    main->addLayout(buttons);
    resize(500, 478);
    // The read-only limit fields take no keys, so the grid starts with the focus.
    for (QLineEdit* edit : {txtRound, txtIdentify}) {
        edit->setFocusPolicy(Qt::NoFocus);
    }
}

void TfrmPrint::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmPrint::FormShow() {
    LoadWords();
}

void TfrmPrint::SetCount(int count) {
    Panels[1]->setText(QString::number(count));
}

void TfrmPrint::LoadWords() {
    TUser* user = engine_ != nullptr ? engine_->CurrentUser() : nullptr;
    list_ = user != nullptr ? user->OpenPrintQuery() : nullptr;
    if (list_ == nullptr) {
        model_->SetQuery(nullptr);
        SetCount(0);
        TMessage message;
        message.caption = QStringLiteral("提示");
        message.text = QStringLiteral("无法打开单词列表。");
        message.icon = TMsgIcon::Warning;
        ShowMessageBox(message);
        // After the current event, so the dialog's own modal loop is running to end.
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
        return;
    }
    // The channel keeps the query object between openings: start without the last sort.
    if (!list_->Sort().isEmpty()) {
        list_->SetSort(QString());
    }
    // Every row is read now; the limits and the titles then work on what was read.
    model_->SetQuery(list_);
    limits_.reset();
    SetCount(model_->rowCount());
    QHeaderView* titles = DBGridEh1->horizontalHeader();
    const int columns = model_->columnCount();
    sortFlags_.assign(static_cast<size_t>(columns), 0);
    QFont titleFont = SongFontPoints(11);
    titles->setFont(titleFont);
    titles->setDefaultAlignment(Qt::AlignCenter);
    for (int c = 0; c < columns; ++c) {
        DBGridEh1->setColumnHidden(c, true);
    }
    for (int c = 0; c < columns; ++c) {
        const QString field = list_->FieldName(c);
        for (const TColumnTitle& shown : kShownColumns) {
            if (field == QLatin1String(shown.field)) {
                DBGridEh1->setColumnHidden(c, false);
                model_->setHeaderData(c, Qt::Horizontal, QString::fromUtf8(shown.title));
                if (shown.width > 0) {
                    DBGridEh1->setColumnWidth(c, shown.width);
                }
            }
        }
    }
    ApplyFilter();
}

void TfrmPrint::ApplyFilter() {
    if (list_ == nullptr) {
        return;
    }
    const std::pair<int, int> limits{udAbility->Position(), udOblivion->Position()};
    // The same limits list the same rows: the grid keeps its selection.
    if (limits_ != limits) {
        limits_ = limits;
        model_->SetLimits(limits.first, limits.second);
    }
    SetCount(model_->rowCount());
}

void TfrmPrint::udOblivionMouseUp() {
    ApplyFilter();
}

void TfrmPrint::DBGridEh1TitleClick(int column) {
    if (list_ == nullptr || column < 0 || column >= static_cast<int>(sortFlags_.size())) {
        return;
    }
    int& flag = sortFlags_[static_cast<size_t>(column)];
    const bool ascending = flag == 0;
    flag = ascending ? 1 : 0;
    model_->SetSort(column, ascending);
    // The header flipped its own marker already; the flags decide what it shows.
    DBGridEh1->horizontalHeader()->setSortIndicator(column, ascending ? Qt::AscendingOrder
                                                                      : Qt::DescendingOrder);
    SetCount(model_->rowCount());
}

void OpenPrintDialog(QWidget* owner, TRecite* engine) {
    TfrmPrint dialog(owner, engine);
    dialog.setWindowState(Qt::WindowMaximized);
    dialog.exec();
}
