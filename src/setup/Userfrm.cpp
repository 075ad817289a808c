#include "setup/Userfrm.h"

#include "model/Prompts.h"
#include "ui/TextRules.h"
#include "widgets/DialogLook.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringEncoder>
#include <QValidator>

namespace {

// Refuses every edit that would make the text longer than the limit in GBK bytes.
class TGbkLimit : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& /*pos*/) const override {
        return TfrmUser::GbkBytes(input) <= TfrmUser::kMaxBytes ? Acceptable : Invalid;
    }
};

} // namespace

int TfrmUser::GbkBytes(const QString& text) {
    QStringEncoder encoder("GBK");
    if (!encoder.isValid()) {
        // Without the codec: ASCII takes one byte, every other character two.
        int bytes = 0;
        for (const QChar c : text) {
            bytes += c.unicode() < 0x80 ? 1 : 2;
        }
        return bytes;
    }
    const QByteArray bytes = encoder.encode(text);
    return static_cast<int>(bytes.size());
}

TfrmUser::TfrmUser(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("frmUser"));
    setWindowTitle(QStringLiteral("用户维护"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFont(DialogFont());

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    const auto box = [this, grid](int row, const char* name, const QString& caption, bool masked) {
        auto* label = new QLabel(caption, this);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setValidator(new TGbkLimit(edit));
        edit->setMinimumWidth(190);
        if (masked) {
            edit->setEchoMode(QLineEdit::Password);
            edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        }
        label->setBuddy(edit);
        grid->addWidget(label, row, 0);
        grid->addWidget(edit, row, 1);
        return edit;
    };
    txtUserName = box(0, "txtUserName", QStringLiteral("用 户 名"), false);
    txtPassWord = box(1, "txtPassWord", QStringLiteral("密   码"), true);
    txtConfirm = box(2, "txtConfirm", QStringLiteral("确认密码"), true);

    btnSave = new QPushButton(QStringLiteral("确定"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("取消"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(16);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void TfrmUser::SetEntries(const TUserEntries& entries) {
    txtUserName->setText(entries.name);
    txtPassWord->setText(entries.password);
    txtConfirm->setText(entries.confirm);
}

TUserEntries TfrmUser::Entries() const {
    return {txtUserName->text(), txtPassWord->text(), txtConfirm->text()};
}

void TfrmUser::btnSaveClick() {
    QString message;
    if (!SameTextAscii(TrimBlanks(txtPassWord->text()), TrimBlanks(txtConfirm->text()))) {
        message = QStringLiteral("密码输入不一致！");
    }
    if (TrimBlanks(txtUserName->text()).isEmpty()) {
        message = QStringLiteral("用户名不能为空！ ");
    }
    if (message.isEmpty()) {
        accept();
        return;
    }
    ShowMessageBox({message, QStringLiteral("提示"), TMsgButtons::Ok, TMsgIcon::Warning});
}

void TfrmUser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    CenterOnScreen(this);
}

bool TfrmUser::Execute(QWidget* owner, TUserEntries* entries) {
    TfrmUser dialog(owner);
    dialog.SetEntries(*entries);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    *entries = dialog.Entries();
    return true;
}
