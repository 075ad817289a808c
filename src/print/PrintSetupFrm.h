#pragma once

// The print setup dialog ("初始化设置"): translation, date and page numbers on or off,
// paper and columns per page. It opens with the learner's stored print settings and
// reports whether the learner confirmed.
#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TConfig;
class TUpDown;

class TfrmPrintSetup : public QDialog {
public:
    // With settings, the controls start from them; the rules of FormCreate apply after.
    explicit TfrmPrintSetup(QWidget* owner, const TConfig* settings = nullptr);

    bool Confirmed = false;

    void FormCreate();
    void cboPaperTypeChange();
    void btnOKClick();
    // The five choices into the settings (71 to 75).
    void StoreSettings(TConfig& settings) const;

    QCheckBox* chbTrans;
    QCheckBox* chbDate;
    QCheckBox* chbPage;
    QLabel* Label2;
    QComboBox* cboPaperType;
    QLabel* Label28;
    QLineEdit* txtColNum;
    TUpDown* udColNum;
    QPushButton* btnOK;
    QPushButton* btnNo;

private:
    void LoadSettings(const TConfig& settings);
};
