// The controls of the settings dialog: top row, the four pages, bottom row.
#include "setup/Setupfrm.h"
#include "setup/UpdownEdit.h"
#include "widgets/DialogLook.h"
#include "widgets/ReorderList.h"
#include "widgets/UpDown.h"

#include "ui/Colors.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int kBoxWidth = 64;
constexpr int kDateWidth = 90;

QGridLayout* NewGrid() {
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(9);
    return grid;
}

QGroupBox* NewFrame(const QString& caption, QLayout* content) {
    auto* frame = new QGroupBox(caption);
    frame->setLayout(content);
    return frame;
}

// The caption of a check box that stands left of it, in the captions' column; a click on it
// works the box, as a click on a check box's own text does.
class TBoxCaption : public QLabel {
public:
    TBoxCaption(const QString& caption, QCheckBox* box) : QLabel(caption), box_(box) {
        setBuddy(box);
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        QLabel::mouseReleaseEvent(event);
        if (box_->isEnabled() && rect().contains(event->position().toPoint())) {
            box_->toggle();
        }
    }

private:
    QCheckBox* box_;
};

// A check box with its caption left of it: the caption in the captions' column, the box
// where the value boxes begin.
QCheckBox* AddLeftCaptionBox(QGridLayout* grid, int row, const char* name, const QString& caption,
                             bool checked) {
    auto* box = new QCheckBox;
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(caption);
    box->setChecked(checked);
    grid->addWidget(new TBoxCaption(caption, box), row, 0);
    grid->addWidget(box, row, 1);
    return box;
}

QLabel* NewLabel(const QString& caption) {
    return new QLabel(caption);
}

} // namespace

TUpDown* TfrmSetup::AddArrows(QGridLayout* grid, int row, int column, const QString& caption,
                              const char* boxName, const char* arrowsName, int min, int max,
                              int step, int initial, const QString& unit, bool grouped) {
    auto* box = new QLineEdit;
    box->setObjectName(QString::fromLatin1(boxName));
    box->setReadOnly(true);
    box->setFixedWidth(kBoxWidth);
    auto* arrows = new TUpDown;
    arrows->setObjectName(QString::fromLatin1(arrowsName));
    arrows->SetMin(min);
    arrows->SetMax(max);
    arrows->SetIncrement(step);
    arrows->Associate(box, grouped);
    arrows->SetPosition(initial);

    auto* pair = new QHBoxLayout;
    pair->setSpacing(0);
    pair->addWidget(box);
    pair->addWidget(arrows);
    pair->addStretch();
    grid->addWidget(NewLabel(caption), row, column);
    grid->addLayout(pair, row, column + 1);
    if (!unit.isEmpty()) {
        grid->addWidget(NewLabel(unit), row, column + 2);
    }
    return arrows;
}

TUpdownEdit* TfrmSetup::AddSpinEdit(const char* name, int min, int max, int initial) {
    auto* edit = new TUpdownEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetFont(font());
    edit->SetMin(min);
    edit->SetMax(max);
    edit->SetIncrement(1);
    edit->SetPosition(initial);
    edit->setFixedSize(kBoxWidth + edit->Arrows()->width(), edit->Box()->sizeHint().height());
    return edit;
}

QPushButton* TfrmSetup::AddButton(const char* name, const QString& caption,
                                  void (TfrmSetup::*handler)()) {
    auto* button = new QPushButton(caption);
    button->setObjectName(QString::fromLatin1(name));
    connect(button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    return button;
}

void TfrmSetup::CreateControls() {
    setFont(DialogFont());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 12);
    layout->setSpacing(10);
    layout->addWidget(CreateTopRow());

    pgcSetup = new QTabWidget;
    pgcSetup->setObjectName(QStringLiteral("pgcSetup"));
    pgcSetup->setDocumentMode(true);
    pgcSetup->addTab(CreateBasicPage(), QStringLiteral(" 基本设置"));
    pgcSetup->addTab(CreateReviewPage(), QStringLiteral("复习设置"));
    pgcSetup->addTab(CreateTimePage(), QStringLiteral("时间界面"));
    pgcSetup->addTab(CreateBooksPage(), QStringLiteral("书本维护"));
    pgcSetup->setCurrentIndex(0);
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("pnlPages"));
    frame->setFrameShape(QFrame::StyledPanel);
    auto* frameLayout = new QVBoxLayout(frame);
    frameLayout->setContentsMargins(8, 8, 8, 8);
    frameLayout->addWidget(pgcSetup);
    layout->addWidget(frame);

    layout->addWidget(CreateBottomRow());
    layout->setSizeConstraint(QLayout::SetFixedSize);
    // Only now, inside the dialog: otherwise the dialog makes the first button default.
    btnSave->setDefault(true);
}

QWidget* TfrmSetup::CreateTopRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    cboUser = new QComboBox;
    cboUser->setObjectName(QStringLiteral("cboUser"));
    cboUser->setMinimumWidth(170);
    connect(cboUser, &QComboBox::activated, this, [this] { cboUserChange(); });
    btnAddUser = AddButton("btnAddUser", QStringLiteral("添加"), &TfrmSetup::btnAddUserClick);
    btnDeleteUser =
        AddButton("btnDeleteUser", QStringLiteral("删除"), &TfrmSetup::btnDeleteUserClick);
    btnUpdateUser =
        AddButton("btnUpdateUser", QStringLiteral("修改"), &TfrmSetup::btnUpdateUserClick);
    layout->addWidget(NewLabel(QStringLiteral("当前用户")));
    layout->addWidget(cboUser);
    layout->addStretch();
    layout->addWidget(btnAddUser);
    layout->addWidget(btnDeleteUser);
    layout->addWidget(btnUpdateUser);
    return row;
}

QWidget* TfrmSetup::CreateBasicPage() {
    auto* left = NewGrid();
    udOblivion = AddArrows(left, 0, 0, QStringLiteral("遗忘速率为每"), "txtOblivion", "udOblivion",
                           1, 720, 1, 12, QStringLiteral("小时1分"));
    udWordNum =
        AddArrows(left, 1, 0, QStringLiteral("每组词数"), "txtWordNum", "udWordNum", 5, 50, 1, 20);
    udUpperLimit = AddArrows(left, 2, 0, QStringLiteral("辨识上限"), "txtUpperLimit",
                             "udUpperLimit", 1, 10000, 1, 50, QString(), true);
    cboOrder = new QComboBox;
    cboOrder->setObjectName(QStringLiteral("cboOrder"));
    cboOrder->addItems({QStringLiteral("顺序"), QStringLiteral("乱序")});
    cboOrder->setCurrentIndex(-1);
    cboOrder->setFixedWidth(kBoxWidth + udWordNum->width());
    left->addWidget(NewLabel(QStringLiteral("背记顺序")), 3, 0);
    left->addWidget(cboOrder, 3, 1);
    cbPronounce = AddLeftCaptionBox(left, 4, "cbPronounce", QStringLiteral("即时朗读"), true);
    cbPicture = AddLeftCaptionBox(left, 5, "cbPicture", QStringLiteral("显示图片"), false);
    left->setColumnStretch(2, 1);
    left->setRowStretch(6, 1);

    auto* right = NewGrid();
    udFirstNum = AddArrows(right, 0, 0, QStringLiteral("首轮辨识分值"), "txtFirstNum", "udFirstNum",
                           1, 100, 1, 8);
    udSecondNum = AddArrows(right, 1, 0, QStringLiteral("第二轮的分值"), "txtSecondNum",
                            "udSecondNum", -98, kSecondNumMax, 1, 3);
    udThirdNum = AddArrows(right, 2, 0, QStringLiteral("第三轮的分值"), "txtThirdNum", "udThirdNum",
                           -99, kThirdNumMax, 1, 1);
    udFourthNum = AddArrows(right, 3, 0, QStringLiteral("第四轮的分值"), "txtFourthNum",
                            "udFourthNum", -100, kFourthNumMax, 1, 0);
    udSubNum = AddArrows(right, 4, 0, QStringLiteral("此后递减分值"), "txtSubNum", "udSubNum", 1,
                         50, 1, 2);
    right->setRowStretch(5, 1);
    for (TUpDown* score : {udFirstNum, udSecondNum, udThirdNum, udFourthNum}) {
        score->OnClick = [this](int) { udFirstNumClick(); };
    }

    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    layout->setSpacing(12);
    layout->addWidget(NewFrame(QStringLiteral("基本设置"), left), 1);
    layout->addWidget(NewFrame(QStringLiteral("遍数分值"), right), 1);
    return page;
}

QWidget* TfrmSetup::CreateReviewPage() {
    auto* grid = NewGrid();
    chbRestrictTime = new QCheckBox(QStringLiteral("限定时间"));
    chbRestrictTime->setObjectName(QStringLiteral("chbRestrictTime"));
    grid->addWidget(chbRestrictTime, 0, 0, 1, 3, Qt::AlignLeft);

    QLineEdit probe;
    probe.setFont(font());
    const int boxHeight = probe.sizeHint().height();
    const auto dateRow = [this, grid, boxHeight](int row, const QString& caption,
                                                 const char* labelName, const char* arrowsName,
                                                 int initial, QLabel** label) {
        *label = new QLabel;
        (*label)->setObjectName(QString::fromLatin1(labelName));
        (*label)->setAlignment(Qt::AlignCenter);
        (*label)->setAutoFillBackground(true);
        (*label)->setFrameShape(QFrame::StyledPanel);
        (*label)->setFrameShadow(QFrame::Sunken);
        (*label)->setFixedWidth(kDateWidth);
        (*label)->setFixedHeight(boxHeight); // as high as the value boxes
        SetTextColor(*label, kMaroon, QPalette::WindowText);
        SetTextColor(*label, Qt::white, QPalette::Window);
        auto* arrows = new TUpDown;
        arrows->setObjectName(QString::fromLatin1(arrowsName));
        arrows->SetMin(-10000);
        arrows->SetMax(0);
        arrows->SetPosition(initial);
        arrows->OnClick = [this](int) { ShowDates(); };
        auto* pair = new QHBoxLayout;
        pair->setSpacing(0);
        pair->addWidget(*label);
        pair->addWidget(arrows);
        pair->addStretch();
        grid->addWidget(NewLabel(caption), row, 0);
        grid->addLayout(pair, row, 1, 1, 2);
        return arrows;
    };
    udStart = dateRow(1, QStringLiteral("起始时间:"), "lblStartDate", "udStart", -2, &lblStartDate);
    udEnd = dateRow(2, QStringLiteral("终止时间:"), "lblEndDate", "udEnd", -1, &lblEndDate);

    cbRound = new QComboBox;
    cbRound->setObjectName(QStringLiteral("cbRound"));
    cbRound->addItems({QStringLiteral(" <="), QStringLiteral(" >=")});
    cbRound->setCurrentIndex(0);
    SetTextColor(cbRound, kMaroon, QPalette::ButtonText);
    SetTextColor(cbRound, kMaroon, QPalette::Text);
    cbRound->setFixedWidth(kDateWidth);
    udRoundNumber = AddSpinEdit("udRoundNumber", 0, 30000, 0);
    grid->addWidget(NewLabel(QStringLiteral("背记遍数：")), 3, 0);
    grid->addWidget(cbRound, 3, 1);
    grid->addWidget(udRoundNumber, 3, 2);

    udFloorAbility = AddSpinEdit("udFloorAbility", 1, 10000, 1);
    udCeilingAbility = AddSpinEdit("udCeilingAbility", 0, 10000, 0);
    auto* floor = NewLabel(QStringLiteral("大于等于"));
    auto* ceiling = NewLabel(QStringLiteral("小于等于"));
    for (QLabel* label : {floor, ceiling}) {
        SetTextColor(label, kMaroon, QPalette::WindowText);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    grid->addWidget(NewLabel(QStringLiteral("记忆分值： ")), 4, 0);
    grid->addWidget(floor, 4, 1);
    grid->addWidget(udFloorAbility, 4, 2);
    grid->addWidget(ceiling, 5, 1);
    grid->addWidget(udCeilingAbility, 5, 2);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(6, 1);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(NewFrame(QStringLiteral("复习"), grid));
    return page;
}

QWidget* TfrmSetup::CreateTimePage() {
    auto* delays = NewGrid();
    udBaseTime = AddArrows(delays, 0, 0, QStringLiteral("基本时间"), "txtBaseTime", "udBaseTime",
                           500, 30000, 100, 500, QStringLiteral("毫秒"));
    udReciteTime = AddArrows(delays, 1, 0, QStringLiteral("辨识时间"), "txtReciteTime",
                             "udReciteTime", 1, 9, 1, 3, QStringLiteral("毫秒"));
    udTranslateTime = AddArrows(delays, 2, 0, QStringLiteral("背记时间"), "txtTranslateTime",
                                "udTranslateTime", 1, 9, 1, 4, QStringLiteral("毫秒"));
    delays->setColumnStretch(3, 1);
    // These two boxes show the phase in milliseconds, not the multiple their arrows hold.
    txtReciteTime = udReciteTime->Associated();
    txtTranslateTime = udTranslateTime->Associated();
    udReciteTime->Associate(txtReciteTime, false, false);
    udTranslateTime->Associate(txtTranslateTime, false, false);
    udBaseTime->OnClick = [this](int) { udBaseTimeClick(); };
    udReciteTime->OnClick = [this](int) { udReciteTimeClick(); };
    udTranslateTime->OnClick = [this](int) { udTranslateTimeClick(); };
    ShowProducts();

    auto* display = NewGrid();
    cbUseDesktop = new QCheckBox(QStringLiteral("使用桌布"));
    cbUseDesktop->setObjectName(QStringLiteral("cbUseDesktop"));
    display->addWidget(cbUseDesktop, 0, 0, 1, 2, Qt::AlignLeft);
    const auto swatch = [this, display](int column, const QString& caption, const char* name,
                                        int value) {
        auto* s = new TColorSwatch;
        s->setObjectName(QString::fromLatin1(name));
        s->SetColorValue(value);
        s->OnClick = [this, s] { lblDesktopColorClick(s); };
        display->addWidget(NewLabel(caption), 1, column);
        display->addWidget(s, 1, column + 1, Qt::AlignLeft);
        return s;
    };
    lblDesktopColor = swatch(0, QStringLiteral("桌布颜色"), "lblDesktopColor", kTealColor);
    lblFontColor = swatch(3, QStringLiteral("字体颜色"), "lblFontColor", kWindowTextColor);
    udFontSize = AddArrows(display, 2, 0, QStringLiteral("字的字体大小"), "txtFontSize",
                           "udFontSize", 9, 150, 1, 24);
    udTransFontSize = AddArrows(display, 2, 3, QStringLiteral("词组字体大小"), "txtTransFontSize",
                                "udTransFontSize", 8, 150, 1, 14);
    display->setColumnMinimumWidth(2, 24);
    display->setColumnStretch(5, 1);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->setSpacing(12);
    layout->addWidget(NewFrame(QStringLiteral("延时"), delays));
    layout->addLayout(display);
    layout->addStretch();
    return page;
}

QWidget* TfrmSetup::CreateBooksPage() {
    lstSelected = new TReorderList;
    lstSelected->setObjectName(QStringLiteral("lstSelected"));
    lstSelected->OnDrop = [this](int from, int to) { lstSelectedDragDrop(from, to); };
    lstSpareBook = new QListWidget;
    lstSpareBook->setObjectName(QStringLiteral("lstSpareBook"));
    lstSpareBook->setSelectionMode(QAbstractItemView::SingleSelection);
    for (QListWidget* list : {static_cast<QListWidget*>(lstSelected), lstSpareBook}) {
        list->setFixedSize(220, 190);
    }
    connect(lstSelected, &QListWidget::itemDoubleClicked, this, [this] { BtnExcludeGrpClick(); });
    connect(lstSpareBook, &QListWidget::itemDoubleClicked, this, [this] { BtnIncludeGrpClick(); });

    BtnExcludeGrp = AddButton("BtnExcludeGrp", QStringLiteral("→"), &TfrmSetup::BtnExcludeGrpClick);
    BtnIncludeGrp = AddButton("BtnIncludeGrp", QStringLiteral("←"), &TfrmSetup::BtnIncludeGrpClick);
    btnCreateRandom = AddButton("btnCreateRandom", QStringLiteral("生成乱序码"),
                                &TfrmSetup::btnCreateRandomClick);
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    for (QPushButton* b : {BtnExcludeGrp, BtnIncludeGrp}) {
        b->setFixedWidth(44); // Enter on a focused arrow presses it, as on any button
        arrows->addWidget(b);
    }
    arrows->addStretch();

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(6);
    grid->addWidget(NewLabel(QStringLiteral("背记的词典及顺序：")), 0, 0);
    grid->addWidget(NewLabel(QStringLiteral("可以选择的词典：")), 0, 2);
    grid->addWidget(lstSelected, 1, 0);
    grid->addLayout(arrows, 1, 1);
    grid->addWidget(lstSpareBook, 1, 2);
    grid->addWidget(btnCreateRandom, 2, 0, Qt::AlignLeft);
    grid->setRowStretch(3, 1);
    grid->setColumnStretch(3, 1);

    auto* page = new QWidget;
    page->setLayout(grid);
    return page;
}

QWidget* TfrmSetup::CreateBottomRow() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    btnSavetoDefault = AddButton("btnSavetoDefault", QStringLiteral("保存成缺省"),
                                 &TfrmSetup::btnSavetoDefaultClick);
    btnSave = new QPushButton(QStringLiteral("确定"));
    btnSave->setObjectName(QStringLiteral("btnSave"));
    connect(btnSave, &QPushButton::clicked, this, [this] {
        btnSaveClick();
        accept();
    });
    btnCancel = new QPushButton(QStringLiteral("取消"));
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    btnApply = AddButton("btnApply", QStringLiteral("应用"), &TfrmSetup::btnSaveClick);
    layout->addWidget(btnSavetoDefault);
    layout->addStretch();
    layout->addWidget(btnSave);
    layout->addWidget(btnCancel);
    layout->addWidget(btnApply);
    return row;
}
