#include "model/SmartSearchCondition.h"

#include "model/ModifiedStamp.h"

#include <QHash>

#include <gtest/gtest.h>

#include <optional>
#include <tuple>

using namespace Qt::StringLiterals;

namespace {

struct FakeName
{
    QString text;
    QString stringValue() const { return text; }
};

// The accessors of a bibliography item that conditions read.
struct FakeItem
{
    QHash<QString, QString> display;
    QList<FakeName> authors;
    QList<FakeName> editors;
    QString file;
    qint32 state = SmartSearchCondition::NoFile;

    QHash<QString, QString> bibFieldsForDisplay() const { return display; }
    QString fieldDataForView(const QString &name) const { return display.value(name); }
    QString bibType() const { return display.value(u"bibtype"_s); }
    QString bibKey() const { return display.value(u"bibkey"_s); }
    const QList<FakeName> &authorList() const { return authors; }
    const QList<FakeName> &editorList() const { return editors; }
    QString attachedFile() const { return file; }
    qint32 fileState() const { return state; }
};

FakeItem article()
{
    FakeItem item;
    item.display = {{u"bibkey"_s, u"Smith2001"_s},
                    {u"bibtype"_s, u"ARTICLE"_s},
                    {u"database"_s, u"papers"_s},
                    {u"title"_s, u"Neural-network methods"_s},
                    {u"journal"_s, u"Journal of Modelling"_s},
                    {u"year"_s, u"2001"_s}};
    item.authors = {{u"Smith, John"_s}, {u"Doe, Jane"_s}};
    item.editors = {{u"Miller, Ann"_s}};
    return item;
}

SmartSearchCondition condition(qint32 target, qint32 how, const QString &text, bool cs = false)
{
    return SmartSearchCondition::conditionWith(target, how, text, cs);
}

} // namespace

TEST(SmartSearchConditionRecord, defaultsAndStoredForm)
{
    const SmartSearchCondition dup = SmartSearchCondition::newConditionForDupSearch();
    EXPECT_TRUE(dup.conditionIsIdentical());

    const SmartSearchCondition stored = condition(20, 21, u"1999"_s, true);
    const QVariantMap dictionary = stored.coniditionDictionary();
    EXPECT_EQ(dictionary.value(u"Target Field"_s), QVariant(20));
    EXPECT_EQ(SmartSearchCondition::conditionWithDictionary(dictionary), stored);

    EXPECT_FALSE(SmartSearchCondition(QVariantMap()).conditionMatchesItem(article()));
    EXPECT_EQ(condition(25, 25, u"7"_s).minimumTimeInterval(), 7.0);
    EXPECT_EQ(condition(25, 26, u"1.5"_s).minimumTimeInterval(), 1.5);
    EXPECT_EQ(condition(1, 1, u"7"_s).minimumTimeInterval(), 1e10);
}

TEST(SmartSearchConditionText, comparesOneValue)
{
    const std::tuple<const char *, qint32, QString, bool, QString, bool> rows[] = {
        {"containsIgnoringCase", 1, u"neural"_s, false, u"Neural-network methods"_s, true},
        {"wordAfterHyphen", 2, u"neural"_s, false, u"Neural-network methods"_s, true},
        {"partOfAWordIsNoWord", 2, u"net"_s, false, u"Neural-network methods"_s, false},
        {"doesNotContain", 3, u"x"_s, false, u"abc"_s, true},
        {"doesNotContainWord", 4, u"net"_s, false, u"Neural-network"_s, true},
        {"endsWith", 6, u"ing"_s, false, u"Modelling"_s, true},
        {"beginsWithIgnoringCase", 5, u"mod"_s, false, u"Modelling"_s, true},
        {"isIgnoringCase", 7, u"abc"_s, false, u"ABC"_s, true},
        {"emptySearchNeverFound", 1, QString(), false, u"abc"_s, false},
        {"emptySearchNeverMissing", 3, QString(), false, u"abc"_s, true},
        {"none", 0, u"a"_s, false, u"a"_s, false},
    };
    for (const auto &[name, how, search, cs, value, matches] : rows) {
        const SmartSearchCondition c = condition(1, how, search, cs);
        EXPECT_EQ(c.stringMatchesCondition(value), matches) << name;
    }
}

TEST(SmartSearchConditionTargets, readTheRightPartOfTheEntry)
{
    const std::tuple<const char *, SmartSearchCondition, bool> rows[] = {
        {"anyFieldIncludesTheKey", condition(1, 1, u"smith2001"_s), true},
        {"anyFieldIncludesTheDatabase", condition(1, 2, u"papers"_s), true},
        {"noValueContainsQ", condition(1, 3, u"q"_s), true},
        {"fieldNames", condition(2, 7, u"journal"_s), true},
        {"entryType", condition(10, 7, u"article"_s), true},
        {"citationKey", condition(11, 5, u"Smith"_s, true), true},
        {"allNamesEditor", condition(12, 1, u"Miller"_s), true},
        {"allNamesNegative", condition(12, 4, u"Doe"_s), false},
        {"firstNamesSecondAuthor", condition(13, 1, u"Doe"_s), false},
        {"titleFields", condition(14, 2, u"neural"_s), true},
        {"journalFields", condition(15, 6, u"modelling"_s), true},
        {"annotationFieldsNegativeOnAbsent", condition(16, 3, u"x"_s), true},
        {"duplicates", condition(40, 40, QString()), false},
        {"unknownTarget", condition(99, 1, u"a"_s), false},
    };
    const FakeItem item = article();
    for (const auto &[name, c, matches] : rows)
        EXPECT_EQ(c.conditionMatchesItem(item), matches) << name;
}

TEST(SmartSearchConditionTargets, missingTypeOrKeyNeverMatches)
{
    FakeItem item;
    EXPECT_FALSE(condition(10, 3, u"x"_s).conditionMatchesItem(item));
    EXPECT_FALSE(condition(11, 4, u"x"_s).conditionMatchesItem(item));
}

TEST(SmartSearchConditionTargets, firstNamesFallBackToTheFirstEditor)
{
    const std::tuple<const char *, std::optional<QString>, std::optional<QString>, qint32, bool>
        rows[] = {
            {"authorMatches", u"Knuth"_s, std::nullopt, 1, true},
            {"editorMatches", u"Lamport"_s, u"Knuth"_s, 1, true},
            {"neitherMatches", u"Lamport"_s, u"Dijkstra"_s, 1, false},
            {"nobody", std::nullopt, std::nullopt, 1, false},
            {"negativeAuthorFails", u"Knuth"_s, std::nullopt, 3, false},
            {"negativeNoEditor", u"Lamport"_s, std::nullopt, 3, true},
        };
    for (const auto &[name, author, editor, how, matches] : rows) {
        const SmartSearchCondition c = condition(13, how, u"knuth"_s);
        EXPECT_EQ(c.firstNamesMatchCondition(author, editor), matches) << name;
    }
}

TEST(SmartSearchConditionYear, comparesNumbersByValue)
{
    const std::tuple<const char *, qint32, QString, QString, bool> rows[] = {
        {"afterEarlier", 20, u"1999"_s, u"2001"_s, true},
        {"tenAfterNine", 20, u"9"_s, u"10"_s, true},
        {"beforeLater", 21, u"2000"_s, u"1999"_s, true},
        {"noYearIsBeforeEveryYear", 21, u"1"_s, QString(), true},
        {"noYearIsNeverAfter", 20, u"0"_s, QString(), false},
        {"leadingZeros", 7, u"02001"_s, u"2001"_s, true},
        {"letterSuffix", 20, u"2001"_s, u"2001a"_s, true},
        {"textConditionsStayText", 5, u"20"_s, u"2001"_s, true},
        {"unknown", 22, u"2001"_s, u"2001"_s, false},
    };
    for (const auto &[name, how, search, year, matches] : rows) {
        const SmartSearchCondition c = condition(20, how, search);
        EXPECT_EQ(c.yearMatchesCondition(year), matches) << name;
    }
    FakeItem item = article();
    EXPECT_TRUE(condition(20, 20, u"1999"_s).conditionMatchesItem(item));
}

TEST(SmartSearchConditionModified, comparesTimeStamps)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString threeDaysAgo = ModifiedStamp::format(now.addDays(-3));
    const QString tenDaysAgo = ModifiedStamp::format(now.addDays(-10));
    const QString utcStamp = now.toUTC().toString(u"yyyy-MM-dd HH:mm:ss"_s) + u" +0000"_s;
    const std::tuple<const char *, qint32, QString, QString, bool> rows[] = {
        {"changedWithinAWeek", 25, u"7"_s, threeDaysAgo, true},
        {"notChangedWithinAWeek", 25, u"7"_s, tenDaysAgo, false},
        {"oldChange", 26, u"7"_s, tenDaysAgo, true},
        {"otherZonesAreConverted", 25, u"1"_s, utcStamp, true},
        {"isAPrefixOfTheLocalStamp", 7, threeDaysAgo.left(10), threeDaysAgo, true},
        {"afterCutToTheSearchLength", 20, tenDaysAgo.left(10), threeDaysAgo, true},
        {"beforeCutToTheSearchLength", 21, tenDaysAgo.left(10), threeDaysAgo, false},
        {"tooShortNeverMatches", 25, u"7"_s, threeDaysAgo.left(24), false},
        {"textConditionsStayText", 6, threeDaysAgo.right(5), threeDaysAgo, true},
        {"unreadableOffset", 26, u"7"_s, tenDaysAgo.left(20) + u"x0000"_s, false},
        {"unreadableStamp", 25, u"7"_s, u"yesterday, around noon, +0100"_s, false},
    };
    for (const auto &[name, how, search, modified, matches] : rows) {
        const SmartSearchCondition c = condition(25, how, search);
        EXPECT_EQ(c.modifiedMatchesCondition(modified, now), matches) << name;
    }
    FakeItem item = article();
    item.display.insert(u"modified"_s, threeDaysAgo);
    EXPECT_TRUE(condition(25, 25, u"7"_s).conditionMatchesItem(item, now));
}

TEST(SmartSearchConditionAttachment, testsNameAndState)
{
    const std::tuple<const char *, qint32, QString, QString, qint32, bool> rows[] = {
        {"nameContains", 1, u"pdf"_s, u"/home/me/papers/paper.pdf"_s, 2, true},
        {"folderNameIsNotTested", 1, u"papers"_s, u"/home/me/papers/paper.pdf"_s, 2, false},
        {"noFile", 3, u"pdf"_s, QString(), 0, false},
        {"fileExists", 30, QString(), u"/a.pdf"_s, 2, true},
        {"missingIsNotExisting", 30, QString(), u"/a.pdf"_s, 1, false},
        {"missing", 31, QString(), u"/a.pdf"_s, 1, true},
        {"otherConditionsAskForMissing", 25, QString(), u"/a.pdf"_s, 1, true},
    };
    for (const auto &[name, how, search, file, state, matches] : rows) {
        FakeItem item;
        item.file = file;
        item.state = state;
        const SmartSearchCondition c = condition(30, how, search);
        EXPECT_EQ(c.conditionMatchesItem(item), matches) << name;
        EXPECT_EQ(c.conditionChoice(), how) << name;
    }
}
