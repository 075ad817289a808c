#pragma once

// The print word list dialog ("打印单词"): every word the current learner has progress for,
// narrowed by two limits, sorted by a title click, counted, and printed as a report.
#include <QDialog>
#include <functional>
#include <optional>
#include <vector>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QStatusBar;
class QTableView;
class TAdoQuery;
class TfrReport;
class TfrmPrintSetup;
class TPrintGridModel;
class TRecite;
class TUpDown;

class TfrmPrint : public QDialog {
public:
    TfrmPrint(QWidget* owner, TRecite* engine);

    void FormShow();
    void LoadWords();
    void ApplyFilter();
    void udOblivionMouseUp();
    void DBGridEh1TitleClick(int column);
    // The print command: setup dialog, report data set, report and preview.
    void mmiPreviewClick();

    // Seams: how the setup dialog is shown (true when confirmed) and how the built report
    // is previewed. By default both are modal dialogs.
    std::function<bool(TfrmPrintSetup&)> ExecSetup;
    std::function<void(TfrReport&)> ShowPreview;

    QGroupBox* GroupBox1;
    QLabel* Label28;
    QLabel* Label3;
    QLineEdit* txtRound;
    TUpDown* udOblivion;
    QLabel* Label30;
    QLabel* Label1;
    QLineEdit* txtIdentify;
    TUpDown* udAbility;
    QTableView* DBGridEh1;
    QStatusBar* StatusBar1;
    std::vector<QLabel*> Panels;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button5;
    QMenu* pmnQuery;
    QAction* mniDelete;
    QAction* mmiPreview;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void SetCount(int count);

    TRecite* engine_;
    TPrintGridModel* model_;
    TAdoQuery* list_ = nullptr;
    std::vector<int> sortFlags_;
    std::optional<std::pair<int, int>> limits_; // the score and pass limits listed
    bool shown_ = false;
};

// Creates the dialog owned by the window, shows it modally and destroys it.
void OpenPrintDialog(QWidget* owner, TRecite* engine);
