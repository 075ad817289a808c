// The print command of the word-list dialog: setup dialog, report data set, report module.
#include "print/PrintFrm.h"

#include "engine/ReciteCtrl.h"
#include "model/Prompts.h"
#include "print/Preview.h"
#include "print/PrintGrid.h"
#include "print/PrintSetupFrm.h"
#include "report/ReportDM.h"
#include "store/AdoChannel.h"
#include "store/Schema.h"

#include <QCoreApplication>

namespace {

// How long storing the print settings waits for a file another program holds.
constexpr int kSettingsWaitMs = 200;

// The listed rows, in the listed order, read from what the grid holds.
void CopyListedRows(const TPrintGridModel& model, TReportDataSet& dataSet,
                    const std::function<void()>& afterRow) {
    const auto column = [&model](const char* field) {
        for (int c = 0; c < model.columnCount(); ++c) {
            if (model.Query()->FieldName(c).compare(QLatin1String(field), Qt::CaseInsensitive) ==
                0) {
                return c;
            }
        }
        return -1;
    };
    const int name = column("WORD_NAME");
    const int symbol = column("WORD_SYMBOL");
    const int trans = column("WORD_TRANS");
    const auto text = [&model](int row, int c) {
        return c < 0 ? QString() : model.data(model.index(row, c)).toString();
    };
    for (int r = 0; r < model.rowCount(); ++r) {
        dataSet.Append(text(r, name), text(r, symbol), text(r, trans));
        if (afterRow) {
            afterRow();
        }
    }
}

} // namespace

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
        // The choices are the learner's print settings from now on; a file held by another
        // program keeps them for this run only, and the print goes on without a long wait.
        setup.StoreSettings(user->Config);
        bool stored = false;
        {
            TShortWait wait(*engine_->Channel, kSettingsWaitMs);
            stored = user->Config.Save(user->ID);
        }
        if (!stored) {
            TMessage message;
            message.caption = QStringLiteral("提示");
            message.text = engine_->Channel->LastErrorIsBusy()
                               ? QStringLiteral("%1文件正被其他程序占用，打印设置未能保存，"
                                                "本次打印仍按所选设置进行。")
                                     .arg(QString::fromLatin1(kDatabaseFileName))
                               : QStringLiteral("打印设置未能保存，本次打印仍按所选设置进行。");
            message.icon = TMsgIcon::Information;
            ShowMessageBox(message);
        }
    }

    TReportDataSet dataSet;
    // Windows repaint while the rows are copied, but no click may change the list that is
    // being walked.
    CopyListedRows(*model_, dataSet,
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
