// The print setup dialog: its controls, its rules, and the settings it opens with and stores.
#include "PrintFixture.h"
#include "model/Config.h"
#include "print/PrintSetupFrm.h"
#include "widgets/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

TEST(PrintSetup, ControlsAndTheirStartWithoutSettings) {
    TfrmPrintSetup form(nullptr);
    form.show();
    EXPECT_TRUE(form.btnOK->isDefault());
    EXPECT_TRUE(form.chbTrans->isChecked() && form.chbDate->isChecked() &&
                form.chbPage->isChecked());
    EXPECT_EQ(form.cboPaperType->currentText(), QStringLiteral("A4")); // chosen when empty
    EXPECT_EQ(form.txtColNum->text(), QStringLiteral("2"));
    EXPECT_TRUE(form.txtColNum->isReadOnly());
    EXPECT_FALSE(form.Confirmed);

    // The translation box checked at creation caps the columns at 2; unchecking it later
    // does not raise the cap.
    form.chbTrans->setChecked(false);
    Press(UpArrow(form.udColNum), 3);
    EXPECT_EQ(form.udColNum->Position(), 2);
    Press(DownArrow(form.udColNum), 5);
    EXPECT_EQ(form.udColNum->Position(), 1);

    form.btnNo->click();
    EXPECT_FALSE(form.Confirmed);
    form.btnOK->click();
    EXPECT_TRUE(form.Confirmed);
}

TEST(PrintSetup, PaperChoiceGovernsTheColumns) {
    TConfig settings(nullptr);
    settings.PrintTranslation = 0;
    settings.PaperType = 0;
    settings.ColumnCount = 3;
    TfrmPrintSetup form(nullptr, &settings);
    form.show();
    EXPECT_FALSE(form.chbTrans->isChecked());
    EXPECT_EQ(form.udColNum->Position(), 3);
    Press(UpArrow(form.udColNum), 3);
    EXPECT_EQ(form.txtColNum->text(), QStringLiteral("4"));

    form.cboPaperType->setCurrentIndex(1); // A5
    EXPECT_EQ(form.udColNum->Position(), 1);
    EXPECT_FALSE(form.udColNum->isEnabled());
    EXPECT_FALSE(form.txtColNum->isEnabled());
    form.cboPaperType->setCurrentIndex(0); // A4 again: enabled, the value stays
    EXPECT_TRUE(form.udColNum->isEnabled());
    EXPECT_TRUE(form.txtColNum->isEnabled());
    EXPECT_EQ(form.udColNum->Position(), 1);
}

TEST(PrintSetup, OpensWithTheStoredSettingsAndStoresTheChoices) {
    TConfig settings(nullptr);
    settings.PrintTranslation = 1;
    settings.PrintDate = 0;
    settings.PrintPageNumber = 1;
    settings.PaperType = 1;
    settings.ColumnCount = 4;
    TfrmPrintSetup form(nullptr, &settings);
    form.show();
    EXPECT_TRUE(form.chbTrans->isChecked());
    EXPECT_FALSE(form.chbDate->isChecked());
    EXPECT_TRUE(form.chbPage->isChecked());
    EXPECT_EQ(form.cboPaperType->currentText(), QStringLiteral("A5"));
    EXPECT_EQ(form.udColNum->Position(), 1);
    EXPECT_FALSE(form.udColNum->isEnabled());

    form.chbTrans->setChecked(false);
    form.chbDate->setChecked(true);
    form.chbPage->setChecked(false);
    form.cboPaperType->setCurrentIndex(0);
    Press(UpArrow(form.udColNum));
    TConfig stored(nullptr);
    form.StoreSettings(stored);
    EXPECT_EQ(stored.PrintTranslation, 0);
    EXPECT_EQ(stored.PrintDate, 1);
    EXPECT_EQ(stored.PrintPageNumber, 0);
    EXPECT_EQ(stored.PaperType, 0);
    EXPECT_EQ(stored.ColumnCount, 2);

    // A paper type that is neither A4 nor A5 counts as empty: A4.
    settings.PaperType = 7;
    settings.ColumnCount = 9;
    TfrmPrintSetup odd(nullptr, &settings);
    EXPECT_EQ(odd.cboPaperType->currentText(), QStringLiteral("A4"));
    EXPECT_EQ(odd.udColNum->Position(), 2);
}

} // namespace
