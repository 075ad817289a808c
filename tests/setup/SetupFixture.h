#pragma once

#include "Named.h"
#include "ProgramFolder.h"
#include "setup/Setupfrm.h"
#include "setup/UpdownEdit.h"
#include "widgets/UpDown.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <deque>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

// A program folder with the default settings, learners and books as each test arranges
// them, an engine on it, and the settings dialog shown on the offscreen platform. Every
// message box is recorded and answered from a queue (Cancel when it runs dry); the colour
// and user dialogs are answered through their seams.
class SetupTest : public TProgramFolderTest {
protected:
    void TearDown() override {
        form.reset();
        engine.reset();
    }
    // The engine on the arranged database, with `current` as its current user.
    void Start(int current = 0) {
        engine = std::make_unique<TRecite>(nullptr, Deps());
        engine->SelectUser(current);
    }
    // Learners 甲 (privileged), 乙 and 丙 with the start settings.
    void ThreeLearners() {
        AddLearner(100, QStringLiteral("甲"), 1);
        AddLearner(101, QStringLiteral("乙"), 0);
        AddLearner(102, QStringLiteral("丙"), 0);
    }
    void StartAndOpen(int current = 0) {
        Start(current);
        Open();
    }
    // The dialog as the tray command opens it, shown without a modal loop.
    void Open() {
        form = std::make_unique<TfrmSetup>(nullptr, engine.get());
        form->PickColor = [this](const QColor& initial, QWidget*) {
            offeredColors << initial;
            return pickedColor;
        };
        form->EditUser = [this](QWidget*, TUserEntries* entries) {
            offeredEntries.push_back(*entries);
            *entries = userAnswer.value_or(*entries);
            return userAnswer.has_value();
        };
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    template <typename T = QWidget> T* Find(const char* name) const {
        T* widget = Named<T>(form.get(), QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    TUpDown* Arrows(const char* name) const { return Find<TUpDown>(name); }
    QString BoxText(const char* name) const { return Find<QLineEdit>(name)->text(); }
    void Click(const char* button) { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    void ClickArrow(const char* name, int direction, int times = 1) {
        TUpDown* arrows = Arrows(name);
        for (int i = 0; i < times; ++i) {
            QTest::mouseClick(direction > 0 ? UpArrow(arrows) : DownArrow(arrows), Qt::LeftButton);
        }
    }
    // The learner's choice in the user box, as a click on an entry makes it.
    void Choose(int index) {
        auto* box = Find<QComboBox>("cboUser");
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    int Stored(int userID, int sequence) {
        const QString sql = QStringLiteral("select NUMBEREX from CONFIG where USERID = %1 and "
                                           "SEQUENCE = %2");
        return db.Scalar(sql.arg(userID).arg(sequence)).toInt();
    }
    // The texts of a list's or a combo box's entries, in order.
    static QStringList Texts(const QAbstractItemModel* model) {
        QStringList texts;
        for (int i = 0; i < model->rowCount(); ++i) {
            texts << model->index(i, 0).data().toString();
        }
        return texts;
    }
    QStringList Entries(const char* list) const { return Texts(Find<QListWidget>(list)->model()); }
    QStringList UserItems() const { return Texts(Find<QComboBox>("cboUser")->model()); }

    std::unique_ptr<TRecite> engine;
    std::unique_ptr<TfrmSetup> form;
    std::vector<TMessage> messages;
    std::deque<TMsgResult> answers;
    QList<QColor> offeredColors;
    QColor pickedColor;
    std::vector<TUserEntries> offeredEntries;
    std::optional<TUserEntries> userAnswer;
    TScopedHandler<TMessageHandler> messages_{[this](const TMessage& m) {
        messages.push_back(m);
        if (answers.empty()) {
            return TMsgResult::Cancel;
        }
        const TMsgResult answer = answers.front();
        answers.pop_front();
        return answer;
    }};
};
