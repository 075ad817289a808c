#pragma once

// The small user dialog behind "添加" and "修改": name, password and its confirmation.
#include <QDialog>
#include <QString>

class QLineEdit;
class QPushButton;

// What the user dialog is opened with and hands back (untrimmed, as typed).
struct TUserEntries {
    QString name;
    QString password;
    QString confirm;
};

class TfrmUser : public QDialog {
public:
    explicit TfrmUser(QWidget* owner);

    void SetEntries(const TUserEntries& entries);
    TUserEntries Entries() const;

    // "确定": closes with OK when the entries pass, else says what is wrong and stays open.
    void btnSaveClick();

    // Opens the dialog modally on the entries; true (and the entries as typed) on OK.
    static bool Execute(QWidget* owner, TUserEntries* entries);

    // The GBK bytes a text takes; each box holds at most kMaxBytes of them.
    static int GbkBytes(const QString& text);
    static constexpr int kMaxBytes = 20;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassWord = nullptr;
    QLineEdit* txtConfirm = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;
};
