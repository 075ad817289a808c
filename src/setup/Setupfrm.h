#pragma once

// The settings dialog: one learner's settings on four pages, the books page, and the
// user-maintenance buttons. It works on the engine's own user objects and keeps no copy.
#include "engine/ReciteCtrl.h"
#include "setup/Userfrm.h"
#include "widgets/ColorSwatch.h"

#include <QColor>
#include <QDialog>
#include <QLabel>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class TReorderList;
class TUpDown;
class TUpdownEdit;

class TfrmSetup : public QDialog {
public:
    TfrmSetup(QWidget* owner, TRecite* engine);

    // The colour dialog and the user dialog, replaceable so that nothing waits on a modal
    // loop in tests. PickColor returns an invalid colour when the learner cancels.
    std::function<QColor(const QColor& initial, QWidget* parent)> PickColor;
    std::function<bool(QWidget* parent, TUserEntries* entries)> EditUser;

    // The user on the pages and the settings object loaded into them.
    TUser* FUser = nullptr;
    TConfig* FConfig = nullptr;

    void FormShow();
    void ShowUser(TUser* user);
    void LoadConfig(TConfig* config);
    void CollectConfig();
    void ShowDates();

    void cboUserChange();
    void btnSaveClick();
    void btnSavetoDefaultClick();
    void udBaseTimeClick();
    void udReciteTimeClick();
    void udTranslateTimeClick();
    void udFirstNumClick();
    void lblDesktopColorClick(TColorSwatch* swatch);

    // Books page and user maintenance.
    void BtnExcludeGrpClick();
    void BtnIncludeGrpClick();
    void lstSelectedDragDrop(int from, int to);
    void btnCreateRandomClick();
    void btnAddUserClick();
    void btnUpdateUserClick();
    void btnDeleteUserClick();

    // The texts of the review date captions: "前天", "昨天", "今天", "前%d天".
    static QString DayCaption(int day);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // The upper bounds of the later pass scores as the dialog is made; the arrows of the
    // scores above lower them while a learner's scores are edited.
    static constexpr int kSecondNumMax = 99;
    static constexpr int kThirdNumMax = 98;
    static constexpr int kFourthNumMax = 97;

    void CreateControls();
    QWidget* CreateBasicPage();
    QWidget* CreateReviewPage();
    QWidget* CreateTimePage();
    QWidget* CreateBooksPage();
    QWidget* CreateTopRow();
    QWidget* CreateBottomRow();
    TUpDown* AddArrows(QGridLayout* grid, int row, int column, const QString& caption,
                       const char* boxName, const char* arrowsName, int min, int max, int step,
                       int initial, const QString& unit = QString(), bool grouped = false);
    TUpdownEdit* AddSpinEdit(const char* name, int min, int max, int initial);
    QPushButton* AddButton(const char* name, const QString& caption, void (TfrmSetup::*handler)());

    void FillUsers();
    void FillBooks();
    void SelectLast(QListWidget* list);
    TBook* SelectedBook(QListWidget* list) const;
    void ShowProducts();

    TRecite* engine_;
    bool shown_ = false;

    QComboBox* cboUser = nullptr;
    QPushButton* btnAddUser = nullptr;
    QPushButton* btnDeleteUser = nullptr;
    QPushButton* btnUpdateUser = nullptr;
    QTabWidget* pgcSetup = nullptr;

    TUpDown* udOblivion = nullptr;
    TUpDown* udWordNum = nullptr;
    TUpDown* udUpperLimit = nullptr;
    QComboBox* cboOrder = nullptr;
    QCheckBox* cbPronounce = nullptr;
    QCheckBox* cbPicture = nullptr;
    TUpDown* udFirstNum = nullptr;
    TUpDown* udSecondNum = nullptr;
    TUpDown* udThirdNum = nullptr;
    TUpDown* udFourthNum = nullptr;
    TUpDown* udSubNum = nullptr;

    QCheckBox* chbRestrictTime = nullptr;
    QLabel* lblStartDate = nullptr;
    QLabel* lblEndDate = nullptr;
    TUpDown* udStart = nullptr;
    TUpDown* udEnd = nullptr;
    QComboBox* cbRound = nullptr;
    TUpdownEdit* udRoundNumber = nullptr;
    TUpdownEdit* udFloorAbility = nullptr;
    TUpdownEdit* udCeilingAbility = nullptr;

    TUpDown* udBaseTime = nullptr;
    TUpDown* udReciteTime = nullptr;
    TUpDown* udTranslateTime = nullptr;
    QLineEdit* txtReciteTime = nullptr;
    QLineEdit* txtTranslateTime = nullptr;
    QCheckBox* cbUseDesktop = nullptr;
    TColorSwatch* lblDesktopColor = nullptr;
    TColorSwatch* lblFontColor = nullptr;
    TUpDown* udFontSize = nullptr;
    TUpDown* udTransFontSize = nullptr;

    TReorderList* lstSelected = nullptr;
    QListWidget* lstSpareBook = nullptr;
    QPushButton* BtnExcludeGrp = nullptr;
    QPushButton* BtnIncludeGrp = nullptr;
    QPushButton* btnCreateRandom = nullptr;

    QPushButton* btnSavetoDefault = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;
    QPushButton* btnApply = nullptr;
};

// The "设置" command's dialog: created owned by the word window, shown modally, destroyed.
void OpenSetupDialog(QWidget* owner, TRecite* engine);
