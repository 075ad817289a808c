#pragma once

#include "Named.h"
#include "ProgramFolder.h"
#include "report/ReportDM.h"

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

inline void Press(QToolButton* button, int times = 1) {
    for (int i = 0; i < times; ++i) {
        QTest::mousePress(button, Qt::LeftButton);
        QTest::mouseRelease(button, Qt::LeftButton);
    }
}

// The texts of a built report's items in print order.
inline QStringList Texts(const TPreparedReport& report, bool boldOnly = false) {
    QStringList texts;
    for (const TPreparedPage& page : report.pages) {
        for (const TPreparedItem& item : page.items) {
            if (item.bold || !boldOnly) {
                texts << item.text;
            }
        }
    }
    return texts;
}
// The word names: the bold texts.
inline QStringList BoldTexts(const TPreparedReport& report) {
    return Texts(report, true);
}

// Rows w1..wN without a phonetic spelling, translated t1..tN.
inline TReportDataSet Rows(int count) {
    TReportDataSet data;
    for (int i = 1; i <= count; ++i) {
        data.Append(QStringLiteral("w%1").arg(i), QString(), QStringLiteral("t%1").arg(i));
    }
    return data;
}

// The word-list report built over `data`.
inline const TPreparedReport& Build(TdmReport& report, TReportDataSet& data) {
    report.DataSet = &data;
    report.BuildReport();
    return report.frReport1.Prepared();
}

// A program folder with learner 100 and the start settings, an engine on it, and every
// message box answered OK and recorded as "caption|text".
class PrintFixture : public TProgramFolderTest {
protected:
    void TearDown() override { engine.reset(); }
    // Book 1 with words w1..wN, subscribed by learner 100, with varied progress: ability
    // id % 7, passes id % 5, random number (id * 37) % 101.
    void AddWords(int count) {
        db.AddBook(1, QStringLiteral("book"), count, 1);
        db.Subscribe(100, 1, 1);
        db.Exec(QStringLiteral("update Recite set ABILITY = WORD_ID % 7, WORD_ROUND = WORD_ID % 5, "
                               "RANDOM_NUM = (WORD_ID * 37) % 101"));
    }
    void CreateEngine() { engine = std::make_unique<TRecite>(nullptr, Deps()); }
    // The learner's word names where the condition holds, in the order of their rows.
    QStringList Words(const QString& where) {
        const QString sql = QStringLiteral(
            "select group_concat(WORD_NAME, ' ') from (select b.WORD_NAME from Recite r join Book "
            "b on r.BOOK_ID = b.BOOK_ID and r.WORD_ID = b.WORD_ID where %1 order by r.rowid)");
        return db.Scalar(sql.arg(where)).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    }

    std::unique_ptr<TRecite> engine;
    QStringList messages;
    QList<int> busyLog;
    QTemporaryDir out;
    TScopedHandler<TMessageHandler> messages_{[this](const TMessage& m) {
        messages << m.caption + QLatin1Char('|') + m.text;
        return TMsgResult::Ok;
    }};
    TScopedHandler<TBusyHandler> busy_{[this](bool busy) { busyLog << (busy ? 1 : 0); }};
};
