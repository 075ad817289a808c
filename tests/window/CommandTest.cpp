#include "WindowFixture.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

class CommandTest : public WindowTest {
protected:
    bool Known(const QString& name) const {
        const TWordList& words = Engine()->Words;
        for (int i = 0; i < words.Count(); ++i) {
            if (words.Text(i) == name) {
                return words.Object(i)->Known;
            }
        }
        return true; // scored and gone
    }
    std::uint8_t State() const { return Engine()->State; }
    void DragTo(const QPoint& global) {
        QMouseEvent move(QEvent::MouseMove, form->mapFromGlobal(QPointF(global)), QPointF(global),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(form.get(), &move);
    }
    void DoubleClick() {
        QTest::mouseClick(form.get(), Qt::LeftButton);
        QTest::mouseDClick(form.get(), Qt::LeftButton);
    }
};

TEST_F(CommandTest, EnterSpaceAndEscapeDriveTheCycle) {
    CreateWithWords({QStringLiteral("a"), QStringLiteral("b")});
    Key(Qt::Key_Space); // idle: nothing
    EXPECT_EQ(State(), rsIdle);
    Key(Qt::Key_Return, Qt::ShiftModifier); // the key alone decides
    ASSERT_EQ(State(), rsRunning);
    Ticks(1);
    Key(Qt::Key_Space, Qt::ControlModifier);
    EXPECT_EQ(State(), rsPaused);
    EXPECT_FALSE(Probe(Engine()).Timer()->isActive());
    Key(Qt::Key_Space, Qt::ShiftModifier);
    EXPECT_EQ(State(), rsRunning);
    Ticks(1); // the interrupted word phase ends at once
    EXPECT_EQ(TransLabel(), QStringLiteral("trans of a"));
    Key(Qt::Key_Enter); // the keypad's Enter marks known too
    EXPECT_TRUE(Known(QStringLiteral("a")));
    EXPECT_EQ(Probe(Engine()).Timer()->interval(), 20);
    Ticks(1);
    EXPECT_EQ(std::tuple(Engine()->Words.Count(), WordLabel()), std::tuple(1, QStringLiteral("b")));
    Key(Qt::Key_Space);
    Key(Qt::Key_Return); // paused: resumes, does not mark known
    EXPECT_EQ(State(), rsRunning);
    EXPECT_FALSE(Known(QStringLiteral("b")));

    Key(Qt::Key_Escape, Qt::ShiftModifier); // running: pauses, then hides
    EXPECT_EQ(State(), rsPaused);
    EXPECT_TRUE(form->isVisible());
    Settle();
    EXPECT_FALSE(form->isVisible());
    form->show();
    Key(Qt::Key_Escape); // paused: only hides
    Settle();
    EXPECT_EQ(std::tuple(State(), form->isVisible()), std::tuple(std::uint8_t(rsPaused), false));

    form->show();
    Key(Qt::Key_Return);
    Key(Qt::Key_Return);
    Ticks(1);
    ASSERT_EQ(State(), rsFinished);
    Key(Qt::Key_Space);
    EXPECT_EQ(State(), rsFinished);
}

TEST_F(CommandTest, F2CyclesTheLearnersAndMTogglesTheMode) {
    AddLearner(100, QStringLiteral("甲"));
    AddLearner(101, QStringLiteral("乙"));
    AddLearner(102, QStringLiteral("丙"));
    AddBook({QStringLiteral("a")});
    Create();
    form->show();
    QStringList seen;
    for (int i = 0; i < 3; ++i) {
        Key(Qt::Key_Return);
        Key(Qt::Key_F2); // stops the running cycle
        EXPECT_EQ(std::tuple(State(), Probe(Engine()).Timer()->isActive()),
                  std::tuple(std::uint8_t(rsIdle), false));
        EXPECT_EQ(WordLabel(), User()->Name + QStringLiteral("(生词)"));
        seen << User()->Name;
    }
    EXPECT_EQ(Engine()->UserIndex, 0);
    EXPECT_EQ(seen.last(), QStringLiteral("甲"));
    EXPECT_EQ(QSet<QString>(seen.begin(), seen.end()).size(), 3);

    User()->ReviewPage = 3;
    Key(Qt::Key_M, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(std::tuple(User()->ReviewMode, User()->ReviewPage), std::tuple(true, 0));
    EXPECT_EQ(WordLabel(), QStringLiteral("甲(复习)"));
    for (bool expected : {false, true}) { // every auto-repeat acts again
        QKeyEvent repeat(QEvent::KeyPress, Qt::Key_M, Qt::NoModifier, QString(), true);
        QCoreApplication::sendEvent(form.get(), &repeat);
        EXPECT_EQ(User()->ReviewMode, expected);
    }
}

TEST_F(CommandTest, RightReleaseAndDoubleClickAreCommandsASingleClickIsNot) {
    CreateWithWords({QStringLiteral("a"), QStringLiteral("b")});
    QTest::mouseClick(form.get(), Qt::LeftButton);
    QTest::mouseClick(form.get(), Qt::RightButton);
    EXPECT_EQ(State(), rsIdle);
    DoubleClick();
    ASSERT_EQ(State(), rsRunning);
    Ticks(1);
    QTest::mouseClick(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(230, 130)); // the word
    EXPECT_FALSE(Known(QStringLiteral("a")));
    QTest::mousePress(form.get(), Qt::RightButton);
    EXPECT_EQ(State(), rsRunning); // the press alone does nothing
    QTest::mouseRelease(form.get(), Qt::RightButton);
    EXPECT_EQ(State(), rsPaused);
    DoubleClick();
    EXPECT_EQ(State(), rsRunning);
    DoubleClick();
    EXPECT_TRUE(Known(QStringLiteral("a")));
    QTest::mouseClick(form.get(), Qt::RightButton);
    EXPECT_EQ(State(), rsPaused);
}

TEST_F(CommandTest, DraggingAnyPointMovesTheWindowOnlyAfterAFewPixels) {
    CreateWithWords({QStringLiteral("a")});
    form->move(100, 100);
    const QPoint start = form->mapToGlobal(QPoint(230, 130)); // on the word
    QTest::mousePress(form.get(), Qt::LeftButton, Qt::NoModifier, QPoint(230, 130));
    DragTo(start + QPoint(2, 1));
    EXPECT_EQ(form->pos(), QPoint(100, 100));
    DragTo(start + QPoint(30, 20));
    EXPECT_EQ(form->pos(), QPoint(130, 120));
    DragTo(start + QPoint(-10, 5));
    EXPECT_EQ(form->pos(), QPoint(90, 105));
    QTest::mouseRelease(form.get(), Qt::LeftButton, Qt::NoModifier, form->mapFromGlobal(start));
    EXPECT_EQ(State(), rsIdle); // neither the press nor the release was a command
}

TEST_F(CommandTest, HotkeyTogglesTheWindowAndEachShowingClicksForFocusOnce) {
    CreateWithWords({QStringLiteral("a")});
    QTimer* focus = form->findChild<QTimer*>(QStringLiteral("tmFocus"));
    ASSERT_TRUE(focus != nullptr && focus->isActive() && focus->isSingleShot());
    EXPECT_EQ(focus->interval(), 500);
    QCursor::setPos(7, 9);
    form->tmFocusTimer();
    EXPECT_EQ(*clicks, QList<QPoint>{form->mapToGlobal(QPoint(84, 53))});
    EXPECT_EQ(QCursor::pos(), QPoint(7, 9));
    EXPECT_FALSE(focus->isActive());

    Key(Qt::Key_Return);
    Ticks(1);
    Key(Qt::Key_Space);
    (*hotkeyPressed)();
    Settle();
    EXPECT_FALSE(form->isVisible());
    (*hotkeyPressed)();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(State(), rsPaused); // showing does not resume
    EXPECT_TRUE(QTest::qWaitFor([this] { return clicks->size() == 2; }, 3000));
    Key(Qt::Key_Space);
    (*hotkeyPressed)();
    Settle();
    EXPECT_EQ(State(), rsRunning); // hidden without deactivation it runs on unseen
}

TEST_F(CommandTest, AWindowHiddenBeforeItsFocusClickGetsNone) {
    CreateWithWords({QStringLiteral("a")});
    QTimer* focus = form->findChild<QTimer*>(QStringLiteral("tmFocus"));
    (*hotkeyPressed)();
    Settle();
    EXPECT_FALSE(focus->isActive());
    form->tmFocusTimer(); // a timeout already queued when the window went
    EXPECT_TRUE(clicks->isEmpty());
}

TEST_F(CommandTest, WithoutANotificationAreaTheMenuKeyOpensTheMenu) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        GTEST_SKIP() << "the menu opens from the tray icon here";
    }
    CreateWithWords({QStringLiteral("a")});
    for (const auto& [key, modifiers, opens] : {std::tuple(Qt::Key_Menu, Qt::NoModifier, true),
                                                std::tuple(Qt::Key_F10, Qt::NoModifier, false),
                                                std::tuple(Qt::Key_F10, Qt::ShiftModifier, true)}) {
        Key(key, modifiers);
        EXPECT_EQ(Menu()->isVisible(), opens) << key;
        Menu()->hide();
    }
}

} // namespace
