#include "ScopedHandler.h"
#include "SetupFixture.h"

#include "OtherProgram.h"
#include "setup/Userfrm.h"
#include "widgets/ReorderList.h"

#include <QApplication>
#include <QKeyEvent>
#include <QListWidget>

namespace {

// Types text character by character, also where QTest knows no key for a character.
void TypeText(QWidget* widget, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QApplication::sendEvent(widget, &release);
    }
}

class BooksTest : public SetupTest {
protected:
    // Learner 甲 (id 100, privileged) with books 1.."count" named b1.., `words` words each;
    // the first `subscribed` of them subscribed in order.
    void Arrange(int count, int subscribed, int words = 3) {
        AddLearner();
        for (int b = 1; b <= count; ++b) {
            db.AddBook(b, QStringLiteral("b%1").arg(b), words, b * 100);
        }
        for (int b = 1; b <= subscribed; ++b) {
            db.Subscribe(100, b, b);
        }
        StartAndOpen();
    }
    QListWidget* List(const char* name) const { return Find<QListWidget>(name); }
    QString Selected(const char* name) const {
        const auto items = List(name)->selectedItems();
        return items.isEmpty() ? QString() : items.front()->text();
    }
    QPoint RowCenter(int row, const char* list = "lstSelected") const {
        QListWidget* w = List(list);
        return w->visualItemRect(w->item(row)).center();
    }
    void DoubleClick(const char* list, int row) {
        QTest::mouseClick(List(list)->viewport(), Qt::LeftButton, {}, RowCenter(row, list));
        QTest::mouseDClick(List(list)->viewport(), Qt::LeftButton, {}, RowCenter(row, list));
    }
    // Presses on one row of the subscribed books, moves to `to` and releases there.
    void Drag(int fromRow, const QPoint& to) {
        QWidget* view = List("lstSelected")->viewport();
        const QPoint from = RowCenter(fromRow);
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QTest::mouseMove(view, (from + to) / 2);
        QTest::mouseMove(view, to);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
    }
    QString Sequences() {
        return db
            .Scalar(QStringLiteral("select group_concat(BOOKID || ':' || SEQUENCE, ' ') from "
                                   "(select * from UserBooks where USERID = 100 order by BOOKID)"))
            .toString();
    }
    int RecitedRows(int book) {
        return db.Count(
            QStringLiteral("from Recite where USER_ID = 100 and BOOK_ID = %1").arg(book));
    }
};

TEST_F(BooksTest, SubscribingAndUnsubscribingMoveTheBookToTheEndOfTheOtherList) {
    Arrange(3, 2);
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b1", "b2"}));
    EXPECT_EQ(Entries("lstSpareBook"), (QStringList{"b3"}));
    EXPECT_EQ(Selected("lstSpareBook"), QStringLiteral("b3"));

    DoubleClick("lstSelected", 0); // no pass recorded yet: no question
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Entries("lstSpareBook"), (QStringList{"b3", "b1"}));
    EXPECT_EQ(Selected("lstSpareBook"), QStringLiteral("b1"));
    EXPECT_EQ(RecitedRows(1), 0);

    List("lstSpareBook")->setCurrentRow(0);
    Click("BtnIncludeGrp");
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b2", "b3"}));
    EXPECT_EQ(Selected("lstSelected"), QStringLiteral("b3"));
    EXPECT_EQ(Sequences(), QStringLiteral("2:2 3:2")); // numbers are not rewritten
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where USER_ID = 100 and BOOK_ID = 3 and "
                                      "ABILITY = 0 and WORD_ROUND = 0 and RANDOM_NUM = 0 and "
                                      "UPDATE_DATE = 36526")),
              3);

    DoubleClick("lstSpareBook", 0);
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b2", "b3", "b1"}));
    EXPECT_EQ(RecitedRows(1), 3);
    EXPECT_TRUE(Entries("lstSpareBook").isEmpty());
    Click("BtnIncludeGrp"); // nothing selected: nothing happens
    List("lstSelected")->clearSelection();
    Click("BtnExcludeGrp");
    Click("btnCreateRandom");
    EXPECT_EQ(Entries("lstSelected").size(), 3);
    EXPECT_TRUE(messages.empty());
}

TEST_F(BooksTest, UnsubscribingABookWithProgressAsksBeforeTheRecordsGo) {
    Arrange(2, 2);
    db.Exec(QStringLiteral("update Recite set WORD_ROUND = 2 where WORD_ID = 201"));
    DoubleClick("lstSelected", 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("提醒"));
    EXPECT_EQ(messages[0].icon, TMsgIcon::Question);
    EXPECT_EQ(messages[0].buttons, TMsgButtons::OkCancel);
    EXPECT_EQ(messages[0].defaultButton, TMsgResult::Cancel);
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b1", "b2"}));
    EXPECT_EQ(RecitedRows(2), 3);

    answers = {TMsgResult::Ok};
    Click("BtnExcludeGrp");
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b1"}));
    EXPECT_EQ(RecitedRows(2), 0);
}

TEST_F(BooksTest, EnterOnAnArrowMovesTheBookAndKeepsTheDialogOpen) {
    Arrange(2, 1);
    auto* include = Find<QPushButton>("BtnIncludeGrp");
    include->setFocus();
    QTest::keyClick(include, Qt::Key_Return);
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b1", "b2"}));
    EXPECT_TRUE(form->isVisible());
}

// While another program holds the file, neither the progress count nor a new learner can
// be had: nothing is deleted unseen and the selection stays, with a word why.
TEST_F(BooksTest, AHeldFileRefusesUnsubscribingAndAddingWithAMessage) {
    Arrange(2, 2);
    engine->Channel->SetBusyTimeout(20);
    TOtherProgram other(db.Path());
    ASSERT_TRUE(other.Write());
    List("lstSelected")->setCurrentRow(1);
    answers = {TMsgResult::Ok};
    Click("BtnExcludeGrp");
    userAnswer = TUserEntries{QStringLiteral("丁"), QString(), QString()};
    const QString shown = Find<QComboBox>("cboUser")->currentText();
    Click("btnAddUser");
    other.LetGo();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].caption + messages[1].caption, QStringLiteral("提示提示"));
    EXPECT_EQ(RecitedRows(2), 3);
    EXPECT_EQ(Find<QComboBox>("cboUser")->currentText(), shown);
}

TEST_F(BooksTest, DraggingAnEntryOntoAnotherReordersTheBooks) {
    Arrange(4, 4);
    Drag(0, RowCenter(2));
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b2", "b3", "b1", "b4"}));
    EXPECT_EQ(Selected("lstSelected"), QStringLiteral("b1"));
    EXPECT_EQ(Sequences(), QStringLiteral("1:3 2:1 3:2 4:4"));
    QStringList order;
    for (int i = 0; i < form->FUser->SelectedBooks.Count(); ++i) {
        order << form->FUser->SelectedBooks.Text(i);
    }
    EXPECT_EQ(order, Entries("lstSelected"));

    const QPoint below(RowCenter(3).x(), List("lstSelected")->viewport()->height() - 3);
    Drag(1, below);                        // below the last entry
    Drag(1, RowCenter(1) + QPoint(40, 0)); // onto itself
    Drag(1, RowCenter(1) + QPoint(0, 2));  // a click that moved a little
    DoubleClick("lstSelected", 0);         // unsubscribes b2, starts no drag
    EXPECT_EQ(Entries("lstSelected"), (QStringList{"b3", "b1", "b4"}));
    EXPECT_EQ(Sequences(), QStringLiteral("1:3 3:2 4:4"));
}

TEST_F(BooksTest, RandomCodesAreMadeAfterTheQuestion) {
    Arrange(1, 1, 60);
    QList<bool> busy;
    const TScopedHandler<TBusyHandler> cursor([&](bool on) { busy << on; });
    List("lstSelected")->setCurrentRow(0);
    Click("btnCreateRandom"); // answered Cancel
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("这可能需要几分钟时间,是否继续？"));
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where RANDOM_NUM <> 0")), 0);
    answers = {TMsgResult::Ok};
    Click("btnCreateRandom");
    EXPECT_GT(db.Count(QStringLiteral("from Recite where RANDOM_NUM <> 0")), 50);
    EXPECT_EQ(db.Count(QStringLiteral("from Recite where RANDOM_NUM < 0 or RANDOM_NUM > 9999")), 0);
    EXPECT_EQ(busy, (QList<bool>{true, false}));
}

class UsersTest : public SetupTest {
protected:
    // 甲 (privileged), 乙 and 丙, with `current` current; books 1 and 2.
    void Arrange(int current) {
        ThreeLearners();
        db.AddBook(1, QStringLiteral("b1"), 2, 1);
        db.AddBook(2, QStringLiteral("b2"), 2, 10);
        db.Subscribe(101, 1, 1);
        StartAndOpen(current);
    }
    int Current() const { return Find<QComboBox>("cboUser")->currentIndex(); }
    int RowsOf(int id) {
        return db.Count(QStringLiteral("from USERS where ID = %1").arg(id)) +
               db.Count(QStringLiteral("from CONFIG where USERID = %1").arg(id)) +
               db.Count(QStringLiteral("from UserBooks where USERID = %1").arg(id)) +
               db.Count(QStringLiteral("from Recite where USER_ID = %1").arg(id));
    }
};

TEST_F(UsersTest, AddedLearnerHasTheDefaultsAndEveryBookSpare) {
    db.SetSetting(DefaultUserID, 1, 25);
    Arrange(1);
    Click("btnAddUser"); // cancelled
    EXPECT_EQ(UserItems().size(), 3);
    ASSERT_EQ(offeredEntries.size(), 1u);
    EXPECT_TRUE(offeredEntries[0].name.isEmpty() && offeredEntries[0].password.isEmpty());

    userAnswer =
        TUserEntries{QStringLiteral("  丁 "), QStringLiteral(" pw\t"), QStringLiteral("pw")};
    Click("btnAddUser");
    EXPECT_EQ(UserItems(), (QStringList{"甲", "乙", "丙", "丁"}));
    EXPECT_EQ(Current(), 3);
    EXPECT_EQ(form->FUser->Name, QStringLiteral("丁"));
    EXPECT_EQ(BoxText("txtWordNum"), QStringLiteral("25"));
    EXPECT_TRUE(Entries("lstSelected").isEmpty());
    EXPECT_EQ(Entries("lstSpareBook"), (QStringList{"b1", "b2"}));
    EXPECT_EQ(engine->UserIndex, 1);
    const int id = form->FUser->ID;
    EXPECT_EQ(db.Scalar(QStringLiteral("select NAME || '|' || CIPHER || '|' || IsPower from USERS "
                                       "where ID = %1")
                            .arg(id))
                  .toString(),
              QStringLiteral("丁|pw|0"));
    EXPECT_EQ(db.Count(QStringLiteral("from CONFIG where USERID = %1").arg(id)), 33);
}

TEST_F(UsersTest, ModifiedNameShowsAtOnceAndAfterReopening) {
    Arrange(0);
    engine->Users.Object(1)->Cipher = QStringLiteral(" Secret ");
    Choose(1);
    userAnswer =
        TUserEntries{QStringLiteral(" 戊 "), QStringLiteral("new "), QStringLiteral("new")};
    Click("btnUpdateUser");
    ASSERT_EQ(offeredEntries.size(), 1u);
    EXPECT_EQ(offeredEntries[0].name, QStringLiteral("乙"));
    EXPECT_EQ(offeredEntries[0].password, QStringLiteral("Secret"));
    EXPECT_TRUE(offeredEntries[0].confirm.isEmpty());
    EXPECT_EQ(UserItems(), (QStringList{"甲", "戊", "丙"}));
    EXPECT_EQ(Current(), 1);
    EXPECT_EQ(db.Scalar(QStringLiteral("select NAME || '|' || CIPHER from USERS where ID = 101"))
                  .toString(),
              QStringLiteral("戊|new"));
    form->close();
    Open();
    EXPECT_EQ(UserItems(), (QStringList{"甲", "戊", "丙"}));
}

TEST_F(UsersTest, DeletingAsksThenSelectsTheNextUser) {
    Arrange(1);
    Choose(1);
    Click("btnDeleteUser"); // answered Cancel
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, QStringLiteral("您确实要删除当前用户吗？"));
    EXPECT_EQ(messages[0].caption, QStringLiteral("提醒"));
    EXPECT_EQ(messages[0].icon, TMsgIcon::Warning);
    EXPECT_EQ(messages[0].defaultButton, TMsgResult::Cancel);
    EXPECT_EQ(UserItems().size(), 3);

    answers = {TMsgResult::Ok};
    Click("btnDeleteUser"); // the engine's current user
    EXPECT_EQ(RowsOf(101), 0);
    EXPECT_EQ(UserItems(), (QStringList{"甲", "丙"}));
    EXPECT_EQ(engine->CurrentUser()->Name, QStringLiteral("甲"));
    EXPECT_EQ(Current(), 1); // the user who moved up into the place
    EXPECT_EQ(form->FUser->Name, QStringLiteral("丙"));

    answers = {TMsgResult::Ok};
    Click("btnDeleteUser"); // not the current user, in the last position
    EXPECT_EQ(UserItems(), (QStringList{"甲"}));
    EXPECT_EQ(Current(), 0);
    EXPECT_EQ(engine->CurrentUser()->Name, QStringLiteral("甲"));
}

TEST_F(UsersTest, DeletingAUserBeforeTheCurrentOneKeepsTheCurrentOne) {
    Arrange(2);
    Choose(1);
    answers = {TMsgResult::Ok};
    Click("btnDeleteUser");
    EXPECT_EQ(engine->UserIndex, 1);
    EXPECT_EQ(engine->CurrentUser()->Name, QStringLiteral("丙"));
}

TEST_F(UsersTest, TheLastLearnerIsNotDeletedWithoutAPrivilegedOne) {
    AddLearner(100, QStringLiteral("甲"), 0);
    StartAndOpen();
    answers = {TMsgResult::Ok};
    Click("btnDeleteUser");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].caption, QStringLiteral("提示"));
    EXPECT_EQ(messages[0].icon, TMsgIcon::Warning);
    EXPECT_EQ(RowsOf(100), 1 + 33);
    EXPECT_EQ(engine->Users.Count(), 1);
}

TEST_F(SetupTest, WithoutLearnersOnlyAddingIsOffered) {
    StartAndOpen();
    EXPECT_EQ(form->FUser, nullptr);
    EXPECT_FALSE(Find<QWidget>("pgcSetup")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnDeleteUser")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("btnUpdateUser")->isEnabled());
    userAnswer = TUserEntries{QStringLiteral("甲"), QString(), QString()};
    Click("btnAddUser");
    EXPECT_EQ(UserItems(), (QStringList{"甲"}));
    EXPECT_TRUE(Find<QWidget>("pgcSetup")->isEnabled());
    Click("btnSave");
    EXPECT_EQ(engine->CurrentUser()->Name, QStringLiteral("甲"));
}

TEST_F(SetupTest, UserDialogChecksItsEntries) {
    struct Case {
        QString name, password, confirm, message;
    };
    const Case cases[] = {
        {"甲", "abc", "ABC", ""}, // ASCII letters compare without case
        {"甲", "abc", "abd", "密码输入不一致！"},
        {"甲", "É", "é", "密码输入不一致！"},     // other letters exactly
        {" \t", "abc", "x", "用户名不能为空！ "}, // replaces the password message
        {"甲", " pw ", "pw", ""},
        {"甲", "", "", ""},
    };
    for (const Case& c : cases) {
        messages.clear();
        TfrmUser dialog(nullptr);
        dialog.SetEntries({c.name, c.password, c.confirm});
        dialog.show();
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("btnSave")),
                          Qt::LeftButton);
        if (c.message.isEmpty()) {
            EXPECT_TRUE(messages.empty()) << c.password.toStdString();
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].text, c.message);
            EXPECT_EQ(messages[0].caption, QStringLiteral("提示"));
            EXPECT_EQ(messages[0].icon, TMsgIcon::Warning);
            EXPECT_TRUE(dialog.isVisible());
            EXPECT_EQ(dialog.Entries().password, c.password);
        }
    }
}

TEST_F(SetupTest, UserDialogBoxesHoldTwentyGbkBytes) {
    TfrmUser dialog(nullptr);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("用户维护"));
    dialog.show();
    auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("txtUserName"));
    auto* password = dialog.findChild<QLineEdit*>(QStringLiteral("txtPassWord"));
    EXPECT_EQ(password->echoMode(), QLineEdit::Password);
    QTest::keyClicks(password, QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
    EXPECT_EQ(password->text(), QStringLiteral("abcdefghijklmnopqrst"));
    TypeText(name, QStringLiteral("一二三四五六七八九十百"));
    EXPECT_EQ(name->text(), QStringLiteral("一二三四五六七八九十"));
    name->clear();
    TypeText(name, QStringLiteral("a一二三四五六七八九十"));
    EXPECT_EQ(TfrmUser::GbkBytes(name->text()), 19);
    QTest::keyClick(dialog.findChild<QLineEdit*>(QStringLiteral("txtConfirm")), Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

} // namespace
