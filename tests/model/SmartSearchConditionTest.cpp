#include "model/SmartSearchCondition.h"

#include "core/StringInputStream.h"
#include "model/BibItem.h"
#include "model/ModifiedStamp.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <QDateTime>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

void setUpServices()
{
    StringInputStream::setupCharacterSets();
    TeXtoText::createGlobalObject();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
}

std::shared_ptr<BibItem> entry(const QString &type, const QString &key, const QString &lines)
{
    setUpServices();
    BibItem::FieldElements fields;
    BibItem::checkRawValidity(lines, fields);
    auto item = BibItem::bibItemOfType(type, key, fields, nullptr);
    item->expandWithMacro(nullptr);
    return item;
}

struct Row
{
    const char *name;
    int target;
    int condition;
    QString text;
    bool caseSensitive;
    QString type;
    QString fields;
    bool expected;
};

QDateTime fixedNow;
QDateTime nowForTests()
{
    return fixedNow;
}

} // namespace

TEST(SmartSearchCondition, matchesEntriesByTargetAndCondition)
{
    const QString paper = u"author = {Doe, Jane and Roe, Max}, editor = {Poe, Ed}, "
                          u"title = {Neural-network methods for Modelling}, year = 2001"_s;
    const Row rows[] = {
        {"any field contains", 1, 1, u"neural"_s, false, u"article"_s, paper, true},
        {"any field: case sensitive misses", 1, 1, u"neural"_s, true, u"article"_s, paper, false},
        {"does not contain x anywhere, key included", 1, 3, u"x"_s, false, u"article"_s, paper,
         false},
        {"does not contain q", 1, 3, u"q"_s, false, u"article"_s, paper, true},
        {"field names", 2, 7, u"editor"_s, false, u"article"_s, paper, true},
        {"type is", 10, 7, u"ARTICLE"_s, false, u"article"_s, paper, true},
        {"key begins with", 11, 5, u"do"_s, false, u"article"_s, paper, true},
        {"all names contains the editor", 12, 1, u"Poe"_s, false, u"article"_s, paper, true},
        {"first names: second author is not first", 13, 1, u"Roe"_s, false, u"article"_s, paper,
         false},
        {"first names: first editor counts", 13, 1, u"Poe"_s, false, u"article"_s, paper, true},
        {"word neural (hyphen delimits)", 14, 2, u"neural"_s, false, u"article"_s, paper, true},
        {"two words never match", 14, 2, u"neural network"_s, false, u"article"_s, paper, false},
        {"ends with ing", 14, 6, u"ing"_s, false, u"article"_s, paper, true},
        {"begins with mod is not at the start", 14, 5, u"neu"_s, true, u"article"_s, paper, false},
        {"empty search text is never found", 14, 1, QString(), false, u"article"_s, paper, false},
        {"empty search text is always absent", 14, 3, QString(), false, u"article"_s, paper, true},
        {"year after 1999", 20, 20, u"1999"_s, false, u"article"_s, paper, true},
        {"year before 1999", 20, 21, u"1999"_s, false, u"article"_s, paper, false},
        {"year equal numerically", 20, 7, u"02001"_s, false, u"article"_s, paper, true},
        {"ten is after nine", 20, 20, u"9"_s, false, u"article"_s, u"year = 10"_s, true},
        {"no year is before every year", 20, 21, u"1000"_s, false, u"article"_s, u"title = {x}"_s,
         true},
        {"attachment name contains pdf", 30, 1, u"pdf"_s, false, u"article"_s,
         u"file = {/tmp/paper.pdf}"_s, true},
        {"no attachment", 30, 1, u"pdf"_s, false, u"article"_s, paper, false},
        {"identical-entries target never matches alone", 40, 40, QString(), false, u"article"_s,
         paper, false},
        {"unknown target", 99, 1, u"a"_s, false, u"article"_s, paper, false},
        {"condition none", 1, 0, u"a"_s, false, u"article"_s, paper, false},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        const auto item = entry(row.type, u"Doe2001"_s, row.fields);
        const SmartSearchCondition condition(row.target, row.condition, row.text,
                                             row.caseSensitive);
        EXPECT_EQ(condition.conditionMatchesItem(*item), row.expected);
    }
}

TEST(SmartSearchCondition, beginsWithDependsOnCase)
{
    EXPECT_TRUE(SmartSearchCondition(1, 5, u"mod"_s, false).stringMatchesCondition(u"Modelling"_s));
    EXPECT_FALSE(SmartSearchCondition(1, 5, u"mod"_s, true).stringMatchesCondition(u"Modelling"_s));
    EXPECT_TRUE(SmartSearchCondition(1, 6, u"ing"_s, true).stringMatchesCondition(u"Modelling"_s));
}

TEST(SmartSearchCondition, modificationTimeWithinDays)
{
    fixedNow = QDateTime(QDate(2026, 12, 6), QTime(12, 0), Qt::UTC);
    ModifiedStamp::setClock(&nowForTests);
    const auto changed = [](int daysAgo) {
        return entry(u"article"_s, u"k"_s,
                     u"modified = {"_s +
                         ModifiedStamp::format(fixedNow.addDays(-daysAgo).toLocalTime()) + u"}"_s);
    };
    const SmartSearchCondition within(25, 25, u"7"_s, false);
    const SmartSearchCondition notWithin(25, 26, u"7"_s, false);
    EXPECT_TRUE(within.conditionMatchesItem(*changed(3)));
    EXPECT_FALSE(within.conditionMatchesItem(*changed(10)));
    EXPECT_FALSE(notWithin.conditionMatchesItem(*changed(3)));
    EXPECT_TRUE(notWithin.conditionMatchesItem(*changed(10)));
    EXPECT_FALSE(within.conditionMatchesItem(
        *entry(u"article"_s, u"k"_s, u"modified = {2026-12-05 10:00:00}"_s)))
        << "a stamp of 24 characters or fewer never matches";
    ModifiedStamp::setClock(nullptr);
}

TEST(SmartSearchCondition, dictionaryAndIntervals)
{
    const SmartSearchCondition condition(25, 26, u"3"_s, true);
    EXPECT_EQ(SmartSearchCondition::conditionWithDictionary(condition.coniditionDictionary()),
              condition);
    const SmartSearchCondition empty = SmartSearchCondition::conditionWithDictionary({});
    EXPECT_EQ(empty.targetFieldChoice(), 0);
    EXPECT_EQ(empty.conditionChoice(), 0);
    EXPECT_FALSE(empty.caseSensitive());
    EXPECT_EQ(condition.minimumTimeInterval(), 3.0);
    EXPECT_EQ(SmartSearchCondition(25, 20, u"3"_s, false).minimumTimeInterval(), 1e10);
    EXPECT_TRUE(SmartSearchCondition::newConditionForDupSearch().conditionIsIdentical());
    EXPECT_EQ(SmartSearchCondition::newCondition().targetFieldChoice(), 1);
}
