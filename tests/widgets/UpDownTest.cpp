// The arrows with their own 16-bit position, range and step.
#include "widgets/UpDown.h"
#include "Named.h"

#include <QLineEdit>
#include <QLocale>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <utility>

namespace {

TEST(UpDownTest, LoweredBoundKeepsThePositionUntilTheArrowsAreUsed) {
    TUpDown arrows;
    QLineEdit box;
    arrows.SetMin(-98);
    arrows.SetMax(99);
    arrows.Associate(&box);
    arrows.SetPosition(5);
    arrows.SetMax(4);
    EXPECT_EQ(arrows.Position(), 5);
    EXPECT_EQ(box.text(), QStringLiteral("5"));
    arrows.Click(1); // up, yet into the range
    EXPECT_EQ(arrows.Position(), 4);
    arrows.SetPosition(-500);
    EXPECT_EQ(box.text(), QStringLiteral("-98"));

    QTest::keyClick(&box, Qt::Key_Up); // the box's arrow keys work the arrows
    EXPECT_EQ(arrows.Position(), -97);
    QTest::keyClick(&box, Qt::Key_Down);
    QTest::keyClick(&box, Qt::Key_Down);
    EXPECT_EQ(box.text(), QStringLiteral("-98"));
}

TEST(UpDownTest, DigitsGroupedFromOneThousandWithTheLocalesSeparator) {
    const QLocale before;
    const std::pair<QLocale, QString> locales[] = {
        {QLocale(QLocale::Chinese, QLocale::China), "1,000"},
        {QLocale(QLocale::German, QLocale::Germany), "1.000"},
        {QLocale(QLocale::Spanish, QLocale::Spain), "1.000"}};
    for (const auto& [locale, thousand] : locales) {
        QLocale::setDefault(locale);
        EXPECT_EQ(TUpDown::Format(1000, true), thousand) << locale.name().toStdString();
        EXPECT_EQ(TUpDown::Format(999, true), QStringLiteral("999"));
        EXPECT_EQ(TUpDown::Format(-1000, false), QStringLiteral("-1000"));
    }
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(TUpDown::Format(10000, true), QStringLiteral("10,000"));
    QLocale::setDefault(before);
}

TEST(UpDownTest, PressStepsAtOnceRepeatsWhileHeldAndIsHeardWithItsRelease) {
    TUpDown arrows;
    QLineEdit box;
    arrows.SetRange(0, 1000);
    arrows.Associate(&box, true);
    arrows.SetArrowKeys(false);
    QStringList heard;
    arrows.OnMouseDown = [&] { heard << QStringLiteral("press ") + box.text(); };
    arrows.OnMouseUp = [&] { heard << QStringLiteral("release"); };
    QTest::mousePress(UpArrow(&arrows), Qt::LeftButton);
    EXPECT_EQ(heard, QStringList{QStringLiteral("press 1")});
    QTest::qWait(700);
    QTest::mouseRelease(UpArrow(&arrows), Qt::LeftButton);
    const int held = arrows.Position();
    EXPECT_GE(held, 3);
    EXPECT_EQ(heard.last(), QStringLiteral("release"));
    QTest::qWait(100);
    EXPECT_EQ(arrows.Position(), held);

    QTest::keyClick(&box, Qt::Key_Up); // the box's keys switched off
    EXPECT_EQ(arrows.Position(), held);
    arrows.EnableWithBox(false);
    EXPECT_FALSE(box.isEnabled());
    arrows.SetRange(0, 2); // the range given whole holds the position at once
    EXPECT_EQ(box.text(), QStringLiteral("2"));
}

} // namespace
