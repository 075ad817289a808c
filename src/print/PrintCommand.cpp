// The print command of the word-list dialog: setup dialog, report data set, report module.
#include "PrintFrm.h"

#include "PrintSetupFrm.h"
#include "ReciteCtrl.h"
#include "ReportDM.h"
#include "report/Preview.h"

#include <QCoreApplication>

void TfrmPrint::mmiPreviewClick() {
    TUser* user = engine_ != nullptr ? engine_->CurrentUser() : nullptr;
    if (list_ == nullptr || user == nullptr) {
        return;
    }
    {
        TfrmPrintSetup setup(this, &user->Config);
        const bool confirmed = ExecSetup ? ExecSetup(setup) : (setup.exec(), setup.Confirmed);
        if (!confirmed) {
            return;
        }
        // The choices are the learner's print settings from now on.
        setup.StoreSettings(user->Config);
        user->Config.Save(user->ID);
    }

    TReportDataSet dataSet;
    // Windows repaint while the rows are copied, but no click may change the list that is
    // being walked.
    CopyWordList(*list_, dataSet,
                 [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });

    TdmReport report;
    report.ColumnCount = user->Config.ColumnCount;
    report.PrintDate = user->Config.PrintDate;
    report.PrintPageNumber = user->Config.PrintPageNumber;
    report.PrintTranslation = user->Config.PrintTranslation;
    report.PaperType = user->Config.PaperType;
    const TClock clock = user->Clock;
    report.Today = [clock] { return DateTimeFromDayNumber(clock()).date(); };
    if (ShowPreview) {
        report.Preview = ShowPreview;
    } else {
        report.Preview = [this](TfrReport& built) {
            TfrPreview preview(this, &built);
            preview.exec();
        };
    }
    report.PrintDataSet(dataSet);
}
