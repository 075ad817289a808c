#include "print/PrintSetupFrm.h"

#include "model/Config.h"
#include "ui/Fonts.h"
#include "ui/TextRules.h"
#include "widgets/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename T> T* Named(T* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

} // namespace

TfrmPrintSetup::TfrmPrintSetup(QWidget* owner, const TConfig* settings)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      chbTrans(Named(new QCheckBox(QStringLiteral("  打印释义"), this), "chbTrans")),
      chbDate(Named(new QCheckBox(QStringLiteral("  打印日期"), this), "chbDate")),
      chbPage(Named(new QCheckBox(QStringLiteral("  打印页数"), this), "chbPage")),
      Label2(Named(new QLabel(QStringLiteral("纸 型"), this), "Label2")),
      cboPaperType(Named(new QComboBox(this), "cboPaperType")),
      Label28(Named(new QLabel(QStringLiteral("每页列数"), this), "Label28")),
      txtColNum(Named(new QLineEdit(this), "txtColNum")),
      udColNum(Named(new TUpDown(this), "udColNum")),
      btnOK(Named(new QPushButton(QStringLiteral("确定"), this), "btnOK")),
      btnNo(Named(new QPushButton(QStringLiteral("取消"), this), "btnNo")) {
    setObjectName(QStringLiteral("frmPrintSetup"));
    setWindowTitle(QStringLiteral("初始化设置"));
    setFont(SongFontPixels(15));

    chbTrans->setChecked(true);
    chbDate->setChecked(true);
    chbPage->setChecked(true);
    cboPaperType->addItems({QStringLiteral("A4"), QStringLiteral("A5")});
    cboPaperType->setCurrentIndex(-1);
    txtColNum->setReadOnly(true);
    txtColNum->setFixedWidth(48);
    txtColNum->setAlignment(Qt::AlignRight);
    udColNum->SetRange(1, 4);
    udColNum->SetPosition(2);
    udColNum->Associate(txtColNum);
    udColNum->SetArrowKeys(false);
    btnOK->setDefault(true);

    auto* grid = new QGridLayout;
    grid->addWidget(chbTrans, 0, 0, 1, 3);
    grid->addWidget(chbDate, 1, 0, 1, 3);
    grid->addWidget(chbPage, 2, 0, 1, 3);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(cboPaperType, 3, 1, 1, 2);
    grid->addWidget(Label28, 4, 0);
    auto* columns = new QHBoxLayout;
    columns->setSpacing(0);
    columns->addWidget(txtColNum);
    columns->addWidget(udColNum);
    columns->addStretch();
    grid->addLayout(columns, 4, 1, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnOK);
    buttons->addWidget(btnNo);
    auto* main = new QVBoxLayout(this);
    main->addLayout(grid);
    main->addSpacing(8);
    main->addLayout(buttons);
    main->setSizeConstraint(QLayout::SetFixedSize);

    connect(cboPaperType, &QComboBox::currentIndexChanged, this, [this] { cboPaperTypeChange(); });
    connect(btnOK, &QPushButton::clicked, this, [this] {
        btnOKClick();
        accept();
    });
    connect(btnNo, &QPushButton::clicked, this, &QDialog::reject);

    if (settings != nullptr) {
        LoadSettings(*settings);
    }
    FormCreate();
}

void TfrmPrintSetup::LoadSettings(const TConfig& settings) {
    chbTrans->setChecked(settings.PrintTranslation == 1);
    chbDate->setChecked(settings.PrintDate == 1);
    chbPage->setChecked(settings.PrintPageNumber == 1);
    const QSignalBlocker quiet(cboPaperType);
    cboPaperType->setCurrentIndex(
        settings.PaperType == 0 || settings.PaperType == 1 ? settings.PaperType : -1);
    udColNum->SetPosition(settings.ColumnCount);
}

void TfrmPrintSetup::FormCreate() {
    if (TrimBlanks(cboPaperType->currentText()).isEmpty()) {
        const QSignalBlocker quiet(cboPaperType);
        cboPaperType->setCurrentIndex(0);
    }
    if (cboPaperType->currentText() == QLatin1String("A5")) {
        udColNum->SetPosition(1);
        udColNum->EnableWithBox(false);
    }
    if (chbTrans->isChecked()) {
        udColNum->SetRange(udColNum->Min(), 2);
    }
    Confirmed = false;
}

void TfrmPrintSetup::cboPaperTypeChange() {
    if (cboPaperType->currentText() == QLatin1String("A4")) {
        udColNum->EnableWithBox(true);
    } else if (cboPaperType->currentText() == QLatin1String("A5")) {
        udColNum->SetPosition(1);
        udColNum->EnableWithBox(false);
    }
}

void TfrmPrintSetup::btnOKClick() {
    Confirmed = true;
}

void TfrmPrintSetup::StoreSettings(TConfig& settings) const {
    settings.PrintTranslation = chbTrans->isChecked() ? 1 : 0;
    settings.PrintDate = chbDate->isChecked() ? 1 : 0;
    settings.PrintPageNumber = chbPage->isChecked() ? 1 : 0;
    settings.PaperType = cboPaperType->currentText() == QLatin1String("A5") ? 1 : 0;
    settings.ColumnCount = udColNum->Position();
}
