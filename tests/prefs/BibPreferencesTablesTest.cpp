#include "prefs/BibPreferences.h"

#include "core/Texts.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<BibPreferences> defaults()
{
    auto preferences = std::make_unique<BibPreferences>(u"/nonexistent/never-written.conf"_s);
    preferences->setDefaults();
    return preferences;
}

} // namespace

// The default tables are data; what is checked is that their parts fit
// together, not their entries one by one.
TEST(BibPreferencesTables, defaultTablesAreWellFormedAndConsistent)
{
    const auto preferences = defaults();
    const QVariantMap types = preferences->bibTypeDefinitions();
    for (auto it = types.cbegin(); it != types.cend(); ++it) {
        const QVariantList parts = it.value().toList();
        ASSERT_EQ(parts.size(), 3) << qPrintable(it.key());
        EXPECT_EQ(parts[0].toList().size(), 22) << qPrintable(it.key());
        EXPECT_EQ(parts[1].toList().size(), 22) << qPrintable(it.key());
        EXPECT_FALSE(parts[2].toList().isEmpty()) << qPrintable(it.key());
    }
    const QStringList typeList = preferences->bibTypesList();
    EXPECT_EQ(typeList.size(), types.size() - 1);
    EXPECT_FALSE(typeList.contains(u"~~ undefined ~~"_s));
    EXPECT_TRUE(std::is_sorted(typeList.cbegin(), typeList.cend()));

    // Every input button's title is a defined text.
    const QVariantList buttons = preferences->inputButtonDefinitions();
    ASSERT_EQ(buttons.size(), 30);
    for (qsizetype k = 0; k < buttons.size(); ++k) {
        const QString key = u"support_others_"_s + QString::number(k + 1).rightJustified(2, u'0');
        EXPECT_EQ(buttons[k].toList().value(3).toString(), Texts::text(key));
    }

    // The predefined macros: pairs of value and name, and the stored form.
    EXPECT_EQ(BibPreferences::predefinedMacroStringList().size(), 62);
    EXPECT_EQ(preferences->macroDefinition(), BibPreferences::predefinedMacroDefinition());

    // Every default is stored under one of the keys read at load, each listed once.
    QStringList keys;
    for (const auto &entry : BibPreferences::loadList())
        keys.append(entry.first);
    EXPECT_EQ(keys.removeDuplicates(), 0);
    const QVariantMap dictionary = preferences->dictionary();
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
        EXPECT_TRUE(keys.contains(it.key())) << qPrintable(it.key());
}

TEST(BibPreferencesTables, columnWidthChangesTouchOnlyKnownColumns)
{
    auto preferences = defaults();
    const QVariantMap columns = preferences->listViewDefinitions();
    preferences->setListColumnWidth({{u"04_author"_s, 321}, {u"99_none"_s, 5}});
    const QVariantMap changed = preferences->listViewDefinitions();
    EXPECT_EQ(changed.value(u"04_author"_s).toList()[1].toString(), u"321"_s);
    EXPECT_EQ(changed.value(u"03_bibkey"_s), columns.value(u"03_bibkey"_s));
    EXPECT_FALSE(changed.contains(u"99_none"_s));
}
