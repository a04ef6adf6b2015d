#include "prefs/BibPreferences.h"

#include "core/Texts.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<BibPreferences> defaults()
{
    auto preferences = std::make_unique<BibPreferences>(u"/nonexistent/never-written.conf"_s);
    preferences->setDefaults();
    return preferences;
}

} // namespace

TEST(BibPreferencesTables, everyEntryTypeHas22SlotsWithRequiredFlags)
{
    const auto preferences = defaults();
    const QVariantMap types = preferences->bibTypeDefinitions();
    EXPECT_EQ(types.size(), 15);
    for (auto it = types.cbegin(); it != types.cend(); ++it) {
        const QVariantList parts = it.value().toList();
        ASSERT_EQ(parts.size(), 3) << qPrintable(it.key());
        EXPECT_EQ(parts[0].toList().size(), 22) << qPrintable(it.key());
        EXPECT_EQ(parts[1].toList().size(), 22) << qPrintable(it.key());
        EXPECT_FALSE(parts[2].toList().isEmpty()) << qPrintable(it.key());
        for (const QVariant &name : parts[0].toList())
            EXPECT_EQ(name.toString(), name.toString().toLower());
    }

    struct Row
    {
        const char16_t *type;
        int slot;
        const char16_t *field;
        bool required;
    };
    const Row rows[] = {
        {u"ARTICLE", 0, u"bibtype", true},
        {u"ARTICLE", 2, u"author", true},
        {u"ARTICLE", 3, u"", false},
        {u"ARTICLE", 6, u"volume", false},
        {u"ARTICLE", 10, u"database", true},
        {u"ARTICLE", 21, u"email", false},
        {u"BOOKLET", 2, u"author", false},
        {u"INBOOK", 6, u"chapter", true},
        {u"UNPUBLISHED", 16, u"note", true},
        {u"PROCEEDINGS", 2, u"", false},
        {u"~~ undefined ~~", 4, u"title", false},
    };
    for (const Row &row : rows) {
        const QVariantList parts = types.value(QString::fromUtf16(row.type)).toList();
        ASSERT_EQ(parts.size(), 3);
        EXPECT_EQ(parts[0].toList()[row.slot].toString(), QString::fromUtf16(row.field))
            << qPrintable(QString::fromUtf16(row.type)) << " slot " << row.slot;
        EXPECT_EQ(parts[1].toList()[row.slot].toBool(), row.required)
            << qPrintable(QString::fromUtf16(row.type)) << " slot " << row.slot;
    }
    EXPECT_EQ(types.value(u"ARTICLE"_s).toList()[2].toList().size(), 3);
    EXPECT_EQ(types.value(u"CONFERENCE"_s), types.value(u"PROCEEDINGS"_s));
    EXPECT_EQ(
        types.value(u"PHDTHESIS"_s).toList()[2].toList()[0].toString(),
        u"[<author>, ][PhD thsis: ][/``<title>''][, (][<school>, ][<address>, ][<year>][).]"_s);
}

TEST(BibPreferencesTables, typeListIsSortedWithoutTheUndefinedType)
{
    const QStringList types = defaults()->bibTypesList();
    EXPECT_EQ(types.size(), 14);
    EXPECT_FALSE(types.contains(u"~~ undefined ~~"_s));
    EXPECT_EQ(types.first(), u"ARTICLE"_s);
    EXPECT_EQ(types.last(), u"UNPUBLISHED"_s);
}

TEST(BibPreferencesTables, listColumnsAndWidthChanges)
{
    auto preferences = defaults();
    const QVariantMap columns = preferences->listViewDefinitions();
    ASSERT_EQ(columns.size(), 14);
    for (const QVariant &column : columns)
        EXPECT_EQ(column.toList().value(6).toString(), u"sort"_s);
    EXPECT_EQ(columns.value(u"01_file"_s).toStringList(),
              (QStringList{u"Attachment"_s, u"18"_s, u"18"_s, u"18"_s, u"center"_s, u"icon"_s,
                           u"sort"_s, u"file"_s, u"url"_s, u"email"_s}));
    EXPECT_EQ(columns.value(u"02_bibtype"_s).toList().value(5).toString(), QString());

    preferences->setListColumnWidth({{u"04_author"_s, 321}, {u"99_none"_s, 5}});
    const QVariantMap changed = preferences->listViewDefinitions();
    EXPECT_EQ(changed.value(u"04_author"_s).toList()[1].toString(), u"321"_s);
    EXPECT_EQ(changed.value(u"04_author"_s).toList()[2].toString(), u"40"_s);
    EXPECT_EQ(changed.value(u"03_bibkey"_s), columns.value(u"03_bibkey"_s));
    EXPECT_FALSE(changed.contains(u"99_none"_s));
}

TEST(BibPreferencesTables, predefinedMacrosAre31PairsMonthsFirst)
{
    const QStringList pairs = BibPreferences::predefinedMacroStringList();
    ASSERT_EQ(pairs.size(), 62);
    EXPECT_EQ(pairs[0], u"January"_s);
    EXPECT_EQ(pairs[1], u"jan"_s);
    EXPECT_EQ(pairs[23], u"dec"_s);
    EXPECT_EQ(pairs[60], u"Theoretical Computer Science"_s);
    EXPECT_EQ(pairs[61], u"tcs"_s);

    const QVariantList definition = defaults()->macroDefinition();
    ASSERT_EQ(definition.size(), 2);
    const QStringList names = definition[0].toStringList();
    ASSERT_EQ(names.size(), 31);
    EXPECT_EQ(names.first(), u"JAN"_s);
    EXPECT_EQ(names[12], u"ACMCS"_s);
    EXPECT_EQ(definition[1].toMap().value(u"TOPLAS"_s).toString(),
              u"ACM Transactions on Programming Languages and Systems"_s);
    EXPECT_EQ(definition, BibPreferences::predefinedMacroDefinition());
}

TEST(BibPreferencesTables, inputButtonsAre30RowsWithModesAndTitles)
{
    const QVariantList rows = defaults()->inputButtonDefinitions();
    ASSERT_EQ(rows.size(), 30);
    struct Row
    {
        int number;
        const char16_t *templateText;
        const char16_t *parameter;
        int mode;
    };
    const Row expected[] = {
        {1, u"\\pi", u"", 1},       {9, u"^{X}", u"2", 1},          {20, u"\\sqrt{X}", u"3", 1},
        {21, u"\\%", u"", 2},       {24, u"\\{{X}\\}", u"text", 2}, {26, u"``{X}''", u"text", 2},
        {27, u"${X}$", u"text", 0}, {30, u"\\infty", u"", 1},
    };
    for (const Row &row : expected) {
        const QVariantList button = rows[row.number - 1].toList();
        ASSERT_EQ(button.size(), 4);
        EXPECT_EQ(button[0].toString(), QString::fromUtf16(row.templateText)) << row.number;
        EXPECT_EQ(button[1].toString(), QString::fromUtf16(row.parameter)) << row.number;
        EXPECT_EQ(button[2].toInt(), row.mode) << row.number;
        const QString key =
            u"support_others_"_s + QString::number(row.number).rightJustified(2, u'0');
        EXPECT_TRUE(Texts::contains(key)) << qPrintable(key);
        EXPECT_EQ(button[3].toString(), Texts::text(key));
    }
}

TEST(BibPreferencesTables, properNounsElementsThenNames)
{
    const QStringList nouns = defaults()->properNouns();
    ASSERT_FALSE(nouns.isEmpty());
    EXPECT_EQ(nouns.first(), u"H"_s);
    EXPECT_EQ(nouns.indexOf(u"U"_s) + 1, nouns.indexOf(u"Anderson"_s));
    EXPECT_EQ(nouns.last(), u"Zeeman"_s);
    EXPECT_EQ(nouns.count(u"X"_s), 1);
}

TEST(BibPreferencesTables, loadListHas52KeysInOrder)
{
    const auto &list = BibPreferences::loadList();
    ASSERT_EQ(list.size(), 52);
    EXPECT_EQ(list.first().first, u"BibType Definitions"_s);
    EXPECT_EQ(list.last().first, u"Write untouched entries as they were read"_s);
    QStringList keys;
    for (const auto &entry : list)
        keys.append(entry.first);
    keys.removeDuplicates();
    EXPECT_EQ(keys.size(), 52);
    // Every default is one of the load-list keys.
    const QVariantMap dictionary = defaults()->dictionary();
    for (auto it = dictionary.cbegin(); it != dictionary.cend(); ++it)
        EXPECT_TRUE(keys.contains(it.key())) << qPrintable(it.key());
    EXPECT_EQ(dictionary.size(), 46);
}
