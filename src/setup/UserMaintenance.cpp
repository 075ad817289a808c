// The settings dialog's user-maintenance buttons: add, rename and delete a learner.
#include "setup/Setupfrm.h"

#include "ui/TextRules.h"

#include <QComboBox>

void TfrmSetup::btnAddUserClick() {
    TUserEntries entries;
    if (!EditUser(this, &entries)) {
        return;
    }
    if (engine_->AddUser(TrimBlanks(entries.name), TrimBlanks(entries.password)) == nullptr) {
        // The selection stays on the learner shown; the last one in the list is not the new one.
        ShowMessageBox({QStringLiteral("暂时无法添加用户，数据库没有接受新用户，请稍后再试。"),
                        QStringLiteral("提示"), TMsgButtons::Ok, TMsgIcon::Warning});
        return;
    }
    FillUsers();
    cboUser->setCurrentIndex(cboUser->count() - 1);
    cboUserChange();
}

void TfrmSetup::btnUpdateUserClick() {
    const int index = cboUser->currentIndex();
    if (index < 0 || index >= engine_->Users.Count()) {
        return;
    }
    TUser* user = engine_->Users.Object(index);
    TUserEntries entries{TrimBlanks(user->Name), TrimBlanks(user->Cipher), QString()};
    if (!EditUser(this, &entries)) {
        return;
    }
    user->Name = TrimBlanks(entries.name);
    user->Cipher = TrimBlanks(entries.password);
    user->SaveAccount();
    engine_->Users.SetText(index, user->Name);
    cboUser->setItemText(index, user->Name);
    cboUser->setCurrentIndex(index);
}

void TfrmSetup::btnDeleteUserClick() {
    TUser* user = FUser;
    if (user == nullptr || user->IsPower) {
        return;
    }
    // Without a privileged learner the last one could go, leaving no current user.
    if (engine_->Users.Count() <= 1) {
        ShowMessageBox({QStringLiteral("这是唯一的用户，不能删除！"), QStringLiteral("提示"),
                        TMsgButtons::Ok, TMsgIcon::Warning});
        return;
    }
    const TMessage question{QStringLiteral("您确实要删除当前用户吗？"), QStringLiteral("提醒"),
                            TMsgButtons::OkCancel, TMsgIcon::Warning, TMsgResult::Cancel};
    if (ShowMessageBox(question) != TMsgResult::Ok) {
        return;
    }
    const int k = cboUser->currentIndex();
    if (user == engine_->CurrentUser()) {
        engine_->SelectUser(0);
        engine_->DeleteUser(user);
    } else {
        TUser* current = engine_->CurrentUser();
        engine_->DeleteUser(user);
        engine_->SelectUser(engine_->Users.IndexOfObject(current));
    }
    FUser = nullptr;
    FConfig = nullptr;
    FillUsers();
    const int count = cboUser->count();
    cboUser->setCurrentIndex(count == 0 ? -1 : ((k % count) + count) % count);
    cboUserChange();
}
