// Qt's own words in the user's language: the buttons Qt names itself.
#include "window/translations.h"

#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QPushButton>
#include <gtest/gtest.h>

TEST(QtTranslations, StandardButtonsFollowTheLocale) {
    const QString german =
        QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm");
    ASSERT_TRUE(QFileInfo::exists(german))
        << german.toStdString() << " is missing (scripts/setup.sh installs qt6-translations-l10n)";
    // A language Qt has no words for leaves them English.
    EXPECT_FALSE(quenby::installQtTranslations(QLocale(QLocale::Icelandic)));
    QDialogButtonBox english(QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(english.button(QDialogButtonBox::No)->text(), QStringLiteral("&No"));

    ASSERT_TRUE(quenby::installQtTranslations(QLocale(QLocale::German, QLocale::Germany)));
    QDialogButtonBox translated(QDialogButtonBox::Yes | QDialogButtonBox::No);
    EXPECT_EQ(translated.button(QDialogButtonBox::Yes)->text(), QStringLiteral("&Ja"));
    EXPECT_EQ(translated.button(QDialogButtonBox::No)->text(), QStringLiteral("&Nein"));
}
