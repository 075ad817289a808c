#pragma once

// The modal preview of a built report: zoom, open a saved report, save the built one (or
// export it as PDF), print, page setup, close.
#include "report/Prepared.h"

#include <QDialog>
#include <functional>
#include <memory>

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class TfrReport;

class TfrPreview : public QDialog {
public:
    // With a report, page setup builds it again for the new paper; a report opened from a
    // file keeps its pages as they are.
    TfrPreview(QWidget* parent, TfrReport* report);
    ~TfrPreview() override;

    const TPreparedReport& Pages() const { return pages_; }
    int PageCount() const;

    // What the buttons do, without their file dialogs.
    bool OpenFile(const QString& path);
    bool SaveFile(const QString& path);

    // Seams for the file dialogs: return the chosen path, empty when cancelled.
    std::function<QString()> AskOpenPath;
    // The save dialog also tells the filter chosen.
    std::function<QString(QString* filter)> AskSavePath;
    // The page setup dialog on the printer's layout; true when confirmed.
    std::function<bool(QPrinter* printer)> AskPageSetup;

    QAction* actZoomIn;
    QAction* actZoomOut;
    QAction* actFitWidth;
    QAction* actOpen;
    QAction* actSave;
    QAction* actPrint;
    QAction* actPageSetup;
    QAction* actClose;
    QLabel* lblPage; // "共 m 页"

private:
    void Paint(QPrinter* printer);
    void Open();
    void Save();
    void Print();
    void PageSetup();
    void Refresh();
    void ShowPageNumber();

    TfrReport* report_;
    TPreparedReport pages_;
    std::unique_ptr<QPrinter> printer_;
    QPrintPreviewWidget* view_;
};
