// The books page of the settings dialog.
#include "setup/Setupfrm.h"
#include "widgets/ReorderList.h"

#include "store/Channels.h"

#include <QComboBox>
#include <QListWidget>
#include <QPushButton>

namespace {

constexpr int kBookRole = Qt::UserRole;

void FillList(QListWidget* list, const TBookList& books) {
    list->clear();
    for (int i = 0; i < books.Count(); ++i) {
        auto* item = new QListWidgetItem(books.Text(i), list);
        item->setData(kBookRole, QVariant::fromValue(reinterpret_cast<quintptr>(books.Object(i))));
    }
}

} // namespace

void TfrmSetup::FillBooks() {
    lstSelected->clear();
    lstSpareBook->clear();
    if (FUser == nullptr) {
        return;
    }
    FillList(lstSelected, FUser->SelectedBooks);
    FillList(lstSpareBook, FUser->SpareBooks);
    if (lstSpareBook->count() > 0) {
        lstSpareBook->setCurrentRow(0);
    }
}

void TfrmSetup::SelectLast(QListWidget* list) {
    if (list->count() > 0) {
        list->setCurrentRow(list->count() - 1);
    }
}

TBook* TfrmSetup::SelectedBook(QListWidget* list) const {
    const QList<QListWidgetItem*> selected = list->selectedItems();
    if (selected.isEmpty() || FUser == nullptr) {
        return nullptr;
    }
    auto* book = reinterpret_cast<TBook*>(selected.front()->data(kBookRole).value<quintptr>());
    const TBookList& books = list == lstSelected ? FUser->SelectedBooks : FUser->SpareBooks;
    return books.IndexOfObject(book) >= 0 ? book : nullptr;
}

void TfrmSetup::BtnExcludeGrpClick() {
    TBook* book = SelectedBook(lstSelected);
    if (book == nullptr) {
        return;
    }
    // Unsubscribing deletes the learner's progress in the book: a slip of the mouse must not
    // throw away what was learnt without a word.
    const std::optional<bool> progress = FUser->BookHasProgress(*book);
    if (!progress) {
        // Unknown progress is not "none": nothing is deleted unseen.
        ShowMessageBox(
            {QStringLiteral("暂时无法读取“%1”的背记记录，请稍后再试。").arg(book->BookDesc),
             QStringLiteral("提示"), TMsgButtons::Ok, TMsgIcon::Warning});
        return;
    }
    if (*progress) {
        const TMessage question{
            QStringLiteral("“%1”已有背记记录，移出后这些记录将被删除，是否继续？")
                .arg(book->BookDesc),
            QStringLiteral("提醒"), TMsgButtons::OkCancel, TMsgIcon::Question, TMsgResult::Cancel};
        if (ShowMessageBox(question) != TMsgResult::Ok) {
            return;
        }
    }
    FUser->ExcludeBook(book);
    FillList(lstSelected, FUser->SelectedBooks);
    FillList(lstSpareBook, FUser->SpareBooks);
    SelectLast(lstSpareBook);
}

void TfrmSetup::BtnIncludeGrpClick() {
    TBook* book = SelectedBook(lstSpareBook);
    if (book == nullptr) {
        return;
    }
    FUser->IncludeBook(book);
    FillList(lstSelected, FUser->SelectedBooks);
    FillList(lstSpareBook, FUser->SpareBooks);
    SelectLast(lstSelected);
}

void TfrmSetup::lstSelectedDragDrop(int from, int to) {
    const int count = lstSelected->count();
    if (FUser == nullptr || from == to || from < 0 || to < 0 || from >= count || to >= count ||
        count != FUser->SelectedBooks.Count()) {
        return;
    }
    FUser->SelectedBooks.Move(from, to);
    QListWidgetItem* item = lstSelected->takeItem(from);
    lstSelected->insertItem(to, item);
    lstSelected->setCurrentRow(to);
    FUser->SaveBookOrder();
}

void TfrmSetup::btnCreateRandomClick() {
    TBook* book = SelectedBook(lstSelected);
    if (book != nullptr) {
        FUser->CreateRandomNumbers(book);
    }
}
