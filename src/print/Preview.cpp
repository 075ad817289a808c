#include "print/Preview.h"

#include "model/Prompts.h"
#include "report/Report.h"
#include "report/ReportFile.h"
#include "report/ReportPainter.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

void Refuse(const QString& text) {
    TMessage message;
    message.caption = QStringLiteral("提示");
    message.text = text;
    message.icon = TMsgIcon::Warning;
    ShowMessageBox(message);
}

const QString kReportFilter = QStringLiteral("报表文件 (*.tvr)");
const QString kPdfFilter = QStringLiteral("PDF 文件 (*.pdf)");

// The dialog shows margins to a hundredth of its unit: what comes back unchanged differs
// from what went in by its rounding only.
bool SameLayout(const QPageLayout& a, const QPageLayout& b) {
    constexpr double kTolerance = 0.2; // millimetres
    const QMarginsF d = a.margins(QPageLayout::Millimeter) - b.margins(QPageLayout::Millimeter);
    return a.pageSize().isEquivalentTo(b.pageSize()) && a.orientation() == b.orientation() &&
           qAbs(d.left()) < kTolerance && qAbs(d.top()) < kTolerance &&
           qAbs(d.right()) < kTolerance && qAbs(d.bottom()) < kTolerance;
}

} // namespace

TfrPreview::TfrPreview(QWidget* parent, TfrReport* report)
    : QDialog(parent), report_(report),
      printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("frPreview"));
    setWindowTitle(QStringLiteral("预览"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    if (report_ != nullptr) {
        pages_ = report_->Prepared();
    }
    printer_->setFullPage(true);
    view_ = new QPrintPreviewWidget(printer_.get(), this);
    view_->setObjectName(QStringLiteral("view"));
    connect(view_, &QPrintPreviewWidget::paintRequested, this,
            [this](QPrinter* printer) { Paint(printer); });

    auto* bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto add = [this, bar](const char* name, const QString& text, const QKeySequence& key,
                                 const std::function<void()>& run) {
        QAction* a = bar->addAction(text);
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcut(key);
        connect(a, &QAction::triggered, this, run);
        return a;
    };
    actZoomIn =
        add("actZoomIn", QStringLiteral("放大"), QKeySequence::ZoomIn, [this] { view_->zoomIn(); });
    actZoomOut = add("actZoomOut", QStringLiteral("缩小"), QKeySequence::ZoomOut,
                     [this] { view_->zoomOut(); });
    actFitWidth =
        add("actFitWidth", QStringLiteral("页宽"), QKeySequence(), [this] { view_->fitToWidth(); });
    bar->addSeparator();
    actOpen = add("actOpen", QStringLiteral("打开"), QKeySequence::Open, [this] { Open(); });
    actSave = add("actSave", QStringLiteral("保存"), QKeySequence::Save, [this] { Save(); });
    actPrint = add("actPrint", QStringLiteral("打印"), QKeySequence::Print, [this] { Print(); });
    actPageSetup =
        add("actPageSetup", QStringLiteral("页面设置"), QKeySequence(), [this] { PageSetup(); });
    actPageSetup->setEnabled(report_ != nullptr);
    bar->addSeparator();
    actClose = add("actClose", QStringLiteral("关闭"), QKeySequence(), [this] { accept(); });
    bar->addSeparator();
    lblPage = new QLabel(bar);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    bar->addWidget(lblPage);
    connect(view_, &QPrintPreviewWidget::previewChanged, this, [this] { ShowPageNumber(); });

    AskOpenPath = [this] {
        return QFileDialog::getOpenFileName(this, QStringLiteral("打开报表"), QString(),
                                            QStringLiteral("报表文件 (*.tvr)"));
    };
    AskSavePath = [this](QString* filter) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("保存报表"), QString(),
                                            kReportFilter + QStringLiteral(";;") + kPdfFilter,
                                            filter);
    };
    AskPageSetup = [this](QPrinter* printer) {
        QPageSetupDialog dialog(printer, this);
        return dialog.exec() == QDialog::Accepted;
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(view_, 1);
    resize(900, 700);
    Refresh();
}

TfrPreview::~TfrPreview() = default;

int TfrPreview::PageCount() const {
    return static_cast<int>(pages_.pages.size());
}

void TfrPreview::Refresh() {
    if (!pages_.pages.empty()) {
        printer_->setPageLayout(PageLayoutOf(pages_.pages.front()));
    }
    view_->updatePreview();
}

void TfrPreview::ShowPageNumber() {
    lblPage->setText(PageCount() == 0 ? QString() : QStringLiteral("  共 %1 页").arg(PageCount()));
}

void TfrPreview::Paint(QPrinter* printer) {
    QPainter painter;
    if (pages_.pages.empty() || !painter.begin(printer)) {
        return;
    }
    for (size_t i = 0; i < pages_.pages.size(); ++i) {
        if (i > 0) {
            printer->newPage(); // a printer keeps one paper while it prints
        }
        PaintPage(painter, pages_.pages[i]);
    }
}

bool TfrPreview::OpenFile(const QString& path) {
    TPreparedReport loaded;
    QString error;
    if (!LoadReportFile(path, &loaded, &error)) {
        Refuse(error);
        return false;
    }
    pages_ = std::move(loaded);
    report_ = nullptr; // the pages stand alone now: nothing to build again
    actPageSetup->setEnabled(false);
    Refresh();
    return true;
}

bool TfrPreview::SaveFile(const QString& path) {
    QString error;
    const bool pdf =
        QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    const bool ok = pdf ? ExportPdf(pages_, path, &error) : SaveReportFile(pages_, path, &error);
    if (!ok) {
        Refuse(error);
    }
    return ok;
}

void TfrPreview::Open() {
    const QString path = AskOpenPath ? AskOpenPath() : QString();
    if (!path.isEmpty()) {
        OpenFile(path);
    }
}

void TfrPreview::Save() {
    QString filter;
    QString path = AskSavePath ? AskSavePath(&filter) : QString();
    if (path.isEmpty()) {
        return;
    }
    // A name without a suffix takes the chosen filter's.
    if (QFileInfo(path).suffix().isEmpty()) {
        path += filter == kPdfFilter ? QStringLiteral(".pdf")
                                     : QLatin1Char('.') + QLatin1String(kReportFileSuffix);
    }
    SaveFile(path);
}

void TfrPreview::Print() {
    QPrintDialog dialog(printer_.get(), this);
    if (dialog.exec() == QDialog::Accepted) {
        printer_->setFullPage(true);
        Paint(printer_.get());
    }
}

void TfrPreview::PageSetup() {
    if (report_ == nullptr || report_->Pages.empty()) {
        return;
    }
    // The dialog offers the design's own paper and margins: the printer's full-page layout
    // has none, and confirming it unchanged would move everything into the printer's edge.
    const TfrPage& design = report_->Pages.front();
    const QPageLayout offered(design.pageSize, design.orientation, design.margins,
                              QPageLayout::Millimeter);
    printer_->setPageLayout(offered);
    const bool confirmed = AskPageSetup && AskPageSetup(printer_.get());
    const QPageLayout chosen = printer_->pageLayout();
    if (!confirmed || SameLayout(chosen, offered)) {
        Refresh(); // back to painting on the whole paper
        return;
    }
    // The new paper, orientation and margins go into the design, which is built again.
    for (TfrPage& page : report_->Pages) {
        page.pageSize = chosen.pageSize();
        page.orientation = chosen.orientation();
        page.margins = chosen.margins(QPageLayout::Millimeter);
    }
    report_->PrepareReport();
    pages_ = report_->Prepared();
    Refresh();
}
