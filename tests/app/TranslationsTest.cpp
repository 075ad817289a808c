#include "app/Translations.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibraryInfo>
#include <gtest/gtest.h>
#include <optional>

// Message-box buttons and the colour dialog read in Chinese under any system locale.
TEST(Translations, QtsOwnTextsReadInChinese) {
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) +
                           QStringLiteral("/qtbase_zh_CN.qm"))) {
        GTEST_SKIP() << "qt6-translations-l10n is not installed";
    }
    int argc = 1;
    char name[] = "test_app";
    char* argv[] = {name, nullptr};
    // One application object per process: another suite of this executable may have made it.
    std::optional<QCoreApplication> app;
    if (QCoreApplication::instance() == nullptr) {
        app.emplace(argc, argv);
    }
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    EXPECT_EQ(InstallQtTranslations(), 2);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    EXPECT_EQ(QCoreApplication::translate("QColorDialog", "Select Color"),
              QStringLiteral("选择颜色"));
}
