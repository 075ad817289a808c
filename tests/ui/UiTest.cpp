// The helpers every window, dialog and report shares: stored colours and text rules.
#include "ui/Colors.h"
#include "ui/TextRules.h"

#include <QGuiApplication>
#include <QPalette>
#include <gtest/gtest.h>

namespace {

TEST(ColorTest, StoredValuesAreRedInTheLowByteOrASystemColour) {
    EXPECT_EQ(ColorFromStored(0x00123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(ColorFromStored(0x00808000), QColor(0, 128, 128));
    const QPalette saved = QGuiApplication::palette();
    QPalette pal;
    const std::pair<unsigned, QPalette::ColorRole> roles[] = {
        {5, QPalette::Base},    {8, QPalette::WindowText}, {13, QPalette::Highlight},
        {15, QPalette::Button}, {16, QPalette::Dark},      {20, QPalette::Light}};
    for (int i = 0; const auto& [index, role] : roles) {
        pal.setColor(role, QColor(20 * ++i, 0, 0)); // all different
    }
    QGuiApplication::setPalette(pal);
    for (const auto& [index, role] : roles) {
        EXPECT_EQ(ColorFromStored(static_cast<int>(0x80000000u | index)), pal.color(role));
    }
    EXPECT_EQ(ColorFromStored(static_cast<int>(0x80000063u)), pal.color(QPalette::WindowText));
    EXPECT_EQ(ColorFromStored(static_cast<int>(0x8000010fu)), pal.color(QPalette::Button));
    QGuiApplication::setPalette(saved);
}

TEST(TextRulesTest, TrimmingAndAsciiComparison) {
    EXPECT_EQ(TrimBlanks(QStringLiteral("\t\x01 两 个 \r\n") + QChar(0)), QStringLiteral("两 个"));
    EXPECT_TRUE(SameTextAscii(QStringLiteral("/p/jpg/Ab.JPG"), QStringLiteral("/p/jpg/aB.jpg")));
    EXPECT_FALSE(SameTextAscii(QStringLiteral("Ä"), QStringLiteral("ä")));
    EXPECT_FALSE(SameTextAscii(QStringLiteral("a["), QStringLiteral("a{")));
    EXPECT_FALSE(SameTextAscii(QStringLiteral("ab"), QStringLiteral("abc")));
}

} // namespace
