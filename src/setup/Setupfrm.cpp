#include "setup/Setupfrm.h"

#include "setup/UpdownEdit.h"
#include "store/Schema.h"
#include "ui/Colors.h"
#include "widgets/DialogLook.h"
#include "widgets/UpDown.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>

namespace {

QColor AskColor(const QColor& initial, QWidget* parent) {
    // Qt's own dialog, not the platform's: the same look (and Chinese texts) everywhere.
    return QColorDialog::getColor(initial, parent, QString(), QColorDialog::DontUseNativeDialog);
}

int StoredColor(const QColor& color) {
    return color.red() | (color.green() << 8) | (color.blue() << 16);
}

} // namespace

TfrmSetup::TfrmSetup(QWidget* owner, TRecite* engine)
    : QDialog(owner), PickColor(AskColor), EditUser(TfrmUser::Execute), engine_(engine) {
    setObjectName(QStringLiteral("frmSetup"));
    setWindowTitle(QStringLiteral("设置"));
    // A fixed dialog border without system menu or close box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    CreateControls();
}

void OpenSetupDialog(QWidget* owner, TRecite* engine) {
    TfrmSetup dialog(owner, engine);
    dialog.exec();
}

void TfrmSetup::showEvent(QShowEvent* event) {
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
    QDialog::showEvent(event);
    CenterOnScreen(this);
}

void TfrmSetup::FormShow() {
    FillUsers();
    cboUser->setCurrentIndex(engine_->CurrentUser() == nullptr ? -1 : engine_->UserIndex);
    ShowUser(engine_->CurrentUser());
}

void TfrmSetup::FillUsers() {
    cboUser->clear();
    for (int i = 0; i < engine_->Users.Count(); ++i) {
        cboUser->addItem(engine_->Users.Text(i));
    }
}

void TfrmSetup::cboUserChange() {
    const int index = cboUser->currentIndex();
    if (index >= 0 && index < engine_->Users.Count()) {
        ShowUser(engine_->Users.Object(index));
    }
}

void TfrmSetup::ShowUser(TUser* user) {
    FUser = user;
    // Without learners there is nothing to edit but a new learner to add.
    for (QWidget* w : {static_cast<QWidget*>(pgcSetup), static_cast<QWidget*>(btnUpdateUser),
                       static_cast<QWidget*>(btnApply)}) {
        w->setEnabled(user != nullptr);
    }
    btnDeleteUser->setEnabled(user != nullptr && !user->IsPower);
    if (user != nullptr) {
        LoadConfig(&user->Config);
    }
    ShowDates();
    btnSavetoDefault->setVisible(user != nullptr && user->IsPower);
    FillBooks();
}

void TfrmSetup::LoadConfig(TConfig* config) {
    FConfig = config;
    const TConfig& c = *config;
    udWordNum->SetPosition(c.WordNum);
    udOblivion->SetPosition(c.Oblivion);
    // Each learner's scores load within the table's own bounds, not the ones another
    // learner's arrows left.
    udSecondNum->SetMax(kSecondNumMax);
    udThirdNum->SetMax(kThirdNumMax);
    udFourthNum->SetMax(kFourthNumMax);
    udFirstNum->SetPosition(c.FirstNum);
    udSecondNum->SetPosition(c.SecondNum);
    udUpperLimit->SetPosition(c.UpperLimit);
    udBaseTime->SetPosition(c.BaseTime);
    udReciteTime->SetPosition(c.ReciteTime);
    udReciteTimeClick();
    udTranslateTime->SetPosition(c.TranslateTime);
    udTranslateTimeClick();
    cbPicture->setChecked(c.ShowPicture);
    cbPronounce->setChecked(c.Pronounce == 1);
    udThirdNum->SetPosition(c.ThirdNum);
    udFourthNum->SetPosition(c.FourthNum);
    udSubNum->SetPosition(c.SubNum);
    cbUseDesktop->setChecked(c.UseDesktop == 1);
    lblDesktopColor->SetColorValue(c.DesktopColor);
    lblFontColor->SetColorValue(c.FontColor);
    udFontSize->SetPosition(c.FontSize);
    udTransFontSize->SetPosition(c.TransFontSize);
    // An index outside the list leaves no item chosen.
    cboOrder->setCurrentIndex(
        c.ReciteOrder >= 0 && c.ReciteOrder < cboOrder->count() ? c.ReciteOrder : -1);
    chbRestrictTime->setChecked(c.RestrictTime);
    udStart->SetPosition(c.StartDay);
    udEnd->SetPosition(c.EndDay);
    cbRound->setCurrentIndex(c.RoundCompare ? 1 : 0);
    udRoundNumber->SetPosition(c.RoundNumber);
    udFloorAbility->SetPosition(c.FloorAbility);
    udCeilingAbility->SetPosition(c.CeilingAbility);
}

void TfrmSetup::CollectConfig() {
    if (FConfig == nullptr) {
        return;
    }
    TConfig& c = *FConfig;
    c.WordNum = udWordNum->Position();
    c.Oblivion = udOblivion->Position();
    c.FirstNum = udFirstNum->Position();
    c.SecondNum = udSecondNum->Position();
    c.UpperLimit = udUpperLimit->Position();
    c.BaseTime = udBaseTime->Position();
    c.ReciteTime = udReciteTime->Position();
    c.TranslateTime = udTranslateTime->Position();
    c.ShowPicture = cbPicture->isChecked();
    c.Pronounce = cbPronounce->isChecked() ? 1 : 0;
    if (c.Reserved12 < 0) {
        c.Reserved12 = 0;
    }
    c.ThirdNum = udThirdNum->Position();
    c.FourthNum = udFourthNum->Position();
    c.SubNum = udSubNum->Position();
    c.UseDesktop = cbUseDesktop->isChecked() ? 1 : 0;
    c.DesktopColor = lblDesktopColor->ColorValue();
    c.FontColor = lblFontColor->ColorValue();
    c.FontSize = udFontSize->Position();
    c.TransFontSize = udTransFontSize->Position();
    c.ReciteOrder = cboOrder->currentIndex();
    c.RestrictTime = chbRestrictTime->isChecked();
    c.StartDay = udStart->Position();
    c.EndDay = udEnd->Position();
    c.RoundCompare = cbRound->currentIndex() == 1;
    c.RoundNumber = udRoundNumber->Position();
    c.FloorAbility = udFloorAbility->Position();
    c.CeilingAbility = udCeilingAbility->Position();
}

void TfrmSetup::btnSaveClick() {
    if (FUser == nullptr) {
        return;
    }
    CollectConfig();
    FConfig->Save(FUser->ID);
    engine_->SelectUser(cboUser->currentIndex());
}

void TfrmSetup::btnSavetoDefaultClick() {
    if (FUser != nullptr) {
        CollectConfig();
        FConfig->Save(DefaultUserID);
    }
    accept();
}

void TfrmSetup::ShowProducts() {
    txtReciteTime->setText(QString::number(udBaseTime->Position() * udReciteTime->Position()));
    txtTranslateTime->setText(
        QString::number(udBaseTime->Position() * udTranslateTime->Position()));
}

void TfrmSetup::udBaseTimeClick() {
    ShowProducts();
    txtReciteTime->repaint();
    txtTranslateTime->repaint();
}

void TfrmSetup::udReciteTimeClick() {
    txtReciteTime->setText(QString::number(udBaseTime->Position() * udReciteTime->Position()));
}

void TfrmSetup::udTranslateTimeClick() {
    txtTranslateTime->setText(
        QString::number(udBaseTime->Position() * udTranslateTime->Position()));
}

void TfrmSetup::udFirstNumClick() {
    udSecondNum->SetMax(udFirstNum->Position() - 1);
    udThirdNum->SetMax(udSecondNum->Position() - 1);
    udFourthNum->SetMax(udThirdNum->Position() - 1);
    udSecondNum->WriteBox();
    udThirdNum->WriteBox();
    udFourthNum->WriteBox();
}

QString TfrmSetup::DayCaption(int day) {
    switch (day) {
    case -2:
        return QStringLiteral("前天");
    case -1:
        return QStringLiteral("昨天");
    case 0:
        return QStringLiteral("今天");
    default:
        return QStringLiteral("前%1天").arg(day < 0 ? -day : day);
    }
}

void TfrmSetup::ShowDates() {
    lblStartDate->setText(DayCaption(udStart->Position()));
    lblEndDate->setText(DayCaption(udEnd->Position()));
}

void TfrmSetup::lblDesktopColorClick(TColorSwatch* swatch) {
    const QColor chosen = PickColor(ColorFromStored(swatch->ColorValue()), this);
    if (chosen.isValid()) {
        swatch->SetColorValue(StoredColor(chosen));
    }
}
