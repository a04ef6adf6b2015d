#include "model/BibItem.h"

#include "core/Texts.h"
#include "model/ItemTestSupport.h"
#include "model/ModifiedStamp.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

class BibItemTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { setUpItemServices(); }

    // An item of `db` in its key index, from BibTeX field lines.
    std::shared_ptr<BibItem> add(const QString &lines, const QString &key = u"k"_s,
                                 const QString &type = u"ARTICLE"_s)
    {
        return db.add(type, key, fieldsFrom(lines));
    }

    // An item of `db` that is not in its key index.
    std::shared_ptr<BibItem> make(const QString &lines, const QString &type = u"MISC"_s)
    {
        return BibItem::bibItemOfType(type, u"k"_s, fieldsFrom(lines), &db);
    }

    FakeDatabase db;
};

// The edit forms of the named fields, joined by "|".
QString edits(const BibItem &item, const QStringList &fields)
{
    QStringList forms;
    for (const QString &field : fields)
        forms << item.fieldDataForEdit(field);
    return forms.join(u'|');
}

QString entryText(const BibItem &item)
{
    return item.bibItemStringWithAttachments(-1, u"\n");
}

} // namespace

TEST_F(BibItemTest, creationSetsThePseudoFieldsAndTheEditForm)
{
    BibItem::FieldElements data = fieldsFrom(u"title = {The {\\TeX}book}, year = 1984"_s);
    // Copied data keeps no stale key: the key element follows the given key.
    data.insert(u"bibkey"_s, {BibElement::bibElementWithSpecial(u"old"_s)});
    auto item = BibItem::bibItemOfType(u"BOOK"_s, u"knuth84"_s, data, &db);
    EXPECT_EQ(edits(*item, {u"bibkey"_s, u"bibtype"_s, u"database"_s, u"title"_s}),
              u"knuth84|BOOK|refs.bib|The {\\TeX}book");
    EXPECT_FALSE(item->strayItem() || item->isDirty());

    auto fresh = BibItem::create();
    EXPECT_EQ(fresh->bibType() + fresh->fieldDataForEdit(u"database"_s),
              u"ARTICLE"_s + Texts::text(u"NoDatabase"));
    EXPECT_TRUE(fresh->strayItem());
}

TEST_F(BibItemTest, editFormMarksExpressionsWithAnAt)
{
    // Text that begins with "@" stays text: its edit form is one braced string.
    const std::tuple<const char *, QString, QString> rows[] = {
        {"macro name", u"month = jan"_s, u"@jan"_s},
        {"quoted string and macro", u"title = \"A\" # b"_s, u"@\"A\" # b"_s},
        {"braced text beginning with an at", u"title = {@home: a}"_s, u"@{@home: a}"_s},
        {"quoted text beginning with an at", u"title = \"@home\""_s, u"@{@home}"_s},
        {"at text with reversed braces", u"title = \"@a}{b\""_s, u"@\"@a}{b\""_s},
        {"straight quotes in braces", u"title = {Do \"L\" {\"}x}"_s, u"Do \"L\" {\"}x"_s},
    };
    for (const auto &[name, lines, edit] : rows) {
        SCOPED_TRACE(name);
        const QString field = lines.section(u' ', 0, 0);
        EXPECT_EQ(make(lines)->fieldDataForEdit(field), edit);
    }
}

TEST_F(BibItemTest, entryTextWritesOneLinePerFieldInAlphabeticalOrder)
{
    auto item = BibItem::bibItemOfType(
        u"ARTICLE"_s, u"smith04"_s,
        fieldsFrom(u"year = 2004, title = {A {B} C}, author = {Smith, J.}, month = jan"_s), &db);
    EXPECT_EQ(entryText(*item), u"@ARTICLE { smith04,\n\tauthor = \"Smith, J.\",\n\tmonth = jan,\n"
                                u"\ttitle = \"A {B} C\",\n\tyear = 2004\n}\n\n"_s);
    EXPECT_EQ(entryText(*make(QString())), u"@MISC { k,\n\n}\n\n");
}

TEST_F(BibItemTest, entryTextWritesEachValueSoThatItReadsBack)
{
    const std::tuple<const char *, QString, QString> rows[] = {
        {"digits bare", u"123"_s, u"123"_s},
        {"expression verbatim", u"@jan # {x}"_s, u"jan # {x}"_s},
        {"ten digits quoted (a word otherwise)", u"1234567890"_s, u"\"1234567890\""_s},
        {"quote outside braces braced", u"M\\\"uller"_s, u"{M\\\"uller}"_s},
        {"quote inside braces quoted", u"{M\\\"uller}"_s, u"\"{M\\\"uller}\""_s},
        {"babel quotes braced", u"\"`Bacho\\TeX\"' Gro\"s"_s, u"{\"`Bacho\\TeX\"' Gro\"s}"_s},
        {"literal at braced", u"@{@home: a study}"_s, u"{@home: a study}"_s},
    };
    for (const auto &[name, edit, value] : rows) {
        SCOPED_TRACE(name);
        auto item = make(QString());
        ASSERT_TRUE(item->setFieldData(edit, u"f"_s));
        EXPECT_EQ(item->rawField(), u"f = "_s + value + u'\n');
        EXPECT_EQ(make(item->rawField())->fieldDataForEdit(u"f"_s), item->fieldDataForEdit(u"f"_s));
    }
    // An empty value is written as empty braces, so that the field survives.
    EXPECT_EQ(make(u"note = {}"_s)->rawField(), u"note = {}\n");
    EXPECT_TRUE(fieldsFrom(u"note = {}\n"_s).contains(u"note"_s));
}

TEST_F(BibItemTest, attachedFileIsStoredRelativeAndWrittenAsTheModeSays)
{
    const auto file = u"file = {/base/papers/a.pdf}"_s;
    auto item = make(file);
    EXPECT_EQ(item->bibItemStringWithAttachments(0, u"\n"), u"@MISC { k,\n\n}\n\n");
    EXPECT_EQ(item->bibItemStringWithAttachments(1, u"\n"),
              u"@MISC { k,\n\tfile = \"/base/papers/a.pdf\"\n}\n\n");
    EXPECT_EQ(item->bibItemStringWithAttachments(-1, u"\r\n"),
              u"@MISC { k,\r\n\tfile = \"papers/a.pdf\"\r\n}\r\n\r\n");
    // Kept as given without a database, or when the database keeps full paths.
    auto stray = BibItem::bibItemOfType(u"MISC"_s, u"c"_s, fieldsFrom(file), nullptr);
    EXPECT_EQ(stray->fieldDataForEdit(u"file"_s), u"/base/papers/a.pdf");
    db.fullPaths = true;
    EXPECT_EQ(make(file)->fieldDataForEdit(u"file"_s), u"/base/papers/a.pdf");
}

TEST_F(BibItemTest, setFieldDataAcceptsOrRefusesAsTheValueParses)
{
    // Expected edit form; none: the field is gone.
    const std::tuple<const char *, QString, bool, std::optional<QString>> rows[] = {
        {"plain text", u"  New title \t"_s, true, u"New title"_s},
        {"literal leading at", u"@{@home: a study}"_s, true, u"@{@home: a study}"_s},
        {"leading at means an expression", u"@home: a study"_s, false, u"Old"_s},
        {"expression normalised", u"@jan   #  {x}"_s, true, u"@jan # {x}"_s},
        {"blanks delete", u"  \t "_s, true, std::nullopt},
        {"unbalanced braces refused", u"{a"_s, false, u"Old"_s},
        {"bad expression refused", u"@a = b"_s, false, u"Old"_s},
    };
    for (const auto &[name, value, accepted, edit] : rows) {
        SCOPED_TRACE(name);
        auto item = add(u"title = {Old}"_s, u"k"_s, u"MISC"_s);
        EXPECT_EQ(item->setFieldData(value, u"title"_s), accepted);
        EXPECT_EQ(item->isDirty(), accepted);
        EXPECT_EQ(item->bibFieldsElements().contains(u"title"_s), edit.has_value());
        EXPECT_EQ(item->fieldDataForEdit(u"title"_s), edit.value_or(QString()));
    }
}

TEST_F(BibItemTest, setFieldDataRefusesKeysAndTypesThatCannotBeRead)
{
    auto mine = add(QString(), u"a"_s, u"MISC"_s);
    add(QString(), u"b"_s, u"MISC"_s);
    for (const QString &bad : {u"b"_s, u""_s, u"two words"_s})
        EXPECT_FALSE(mine->setFieldData(bad, u"bibkey"_s)) << qPrintable(bad);
    EXPECT_TRUE(mine->setFieldData(u"a"_s, u"bibkey"_s));
    EXPECT_TRUE(mine->setFieldData(u"c"_s, u"bibkey"_s));
    EXPECT_EQ(db.keys.value(u"c"_s).get(), mine.get());
    EXPECT_FALSE(db.keys.contains(u"a"_s));

    EXPECT_TRUE(mine->setFieldData(u"BOOK"_s, u"bibtype"_s));
    EXPECT_FALSE(mine->setFieldData(u""_s, u"bibtype"_s));
    EXPECT_EQ(mine->bibType(), u"BOOK");
}

TEST_F(BibItemTest, rawTextRoundTripsAndReplacesTheFieldsOnlyWhenItParses)
{
    auto item = add(u"author = {A. Smith}, month = jan # \" 1\", year = 2004, "
                    u"title = {On {B}}, note = {}"_s);
    const BibItem::FieldTexts before = item->bibFieldsForEdit();
    EXPECT_TRUE(item->setRawFields(item->rawField()));
    EXPECT_EQ(item->bibFieldsForEdit(), before);

    // Text that does not parse keeps the last valid fields.
    for (const QString &text : {u"title = {unclosed"_s, u"title {x}"_s}) {
        const BibItem::FieldElements valid = item->bibFieldsElements();
        EXPECT_FALSE(item->setRawFields(text)) << qPrintable(text);
        EXPECT_EQ(item->bibFieldsElements(), valid) << qPrintable(text);
        item->fixChanged();
        EXPECT_EQ(edits(*item, {u"title"_s, u"year"_s}), u"On {B}|2004") << qPrintable(text);
    }
    // Valid text replaces the fields but not the pseudo-fields.
    EXPECT_TRUE(item->setRawFields(u"title = {U},\nbibkey = {other}, journal = jps"_s));
    EXPECT_EQ(edits(*item, {u"title"_s, u"year"_s, u"bibkey"_s}), u"U||k");
    EXPECT_TRUE(item->isDirty());
    // A valid text without any field removes every field.
    EXPECT_TRUE(item->setRawFields(u"  \n"_s));
    EXPECT_EQ(item->bibFieldsForEdit().size(), 3);
}

TEST_F(BibItemTest, fixChangedStampsExpandsAndReports)
{
    FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    RecordingObserver observer;
    auto item = add(u"title = {T}, author = {A. Smith}"_s);
    item->backupOriginal();
    db.calls.clear();

    ASSERT_TRUE(item->setFieldData(u"{\\'E}t\\'e"_s, u"title"_s));
    item->fixChanged();
    EXPECT_FALSE(item->isDirty());
    EXPECT_EQ(item->fieldDataForView(u"title"_s), u"Été");
    EXPECT_EQ(item->fieldDataForView(u"modified"_s), ModifiedStamp::format(FixedClock::moment));
    EXPECT_EQ(db.calls, QStringList({u"setDirty"_s}));
    EXPECT_EQ(observer.calls, QStringList({u"changed k"_s, u"resortItems"_s}));
    item->fixChanged(); // a commit without a change does nothing
    EXPECT_EQ(observer.calls.size(), 2);

    // Changed names are reindexed; the commit takes a new backup.
    ASSERT_TRUE(item->setFieldData(u"A. Smyth"_s, u"author"_s));
    db.calls.clear();
    observer.calls.clear();
    item->fixChanged();
    EXPECT_EQ(db.calls, QStringList({u"replaceAuthors"_s}));
    EXPECT_EQ(observer.calls, QStringList({u"changed k"_s, u"selectionChanged"_s}));
    EXPECT_FALSE(item->namesWereChanged());
}

TEST_F(BibItemTest, namesWereChangedComparesEachNameInOrderUntilTheBackupIsReleased)
{
    const std::tuple<const char *, QString, bool> rows[] = {
        {"same names", u"Smith, A. and Jones, B."_s, false},
        {"one name written differently", u"A. Smith and C. Jones"_s, true},
        {"order swapped", u"B. Jones and A. Smith"_s, true},
        {"one more", u"A. Smith and B. Jones and C. Brown"_s, true},
    };
    for (const auto &[name, after, changed] : rows) {
        auto item = add(u"author = {A. Smith and B. Jones}"_s);
        item->backupOriginal();
        ASSERT_TRUE(item->setFieldData(after, u"author"_s));
        item->expandWithMacro(&db.macros);
        EXPECT_EQ(item->namesWereChanged(), changed) << name;
        // Released, the backup takes the current names.
        item->releaseBackup();
        EXPECT_FALSE(item->namesWereChanged()) << name;
    }
}

TEST_F(BibItemTest, changeBibKeyCommitsTheKeyAlone)
{
    FixedClock clock(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
    RecordingObserver observer;
    auto item = add(u"title = {T}"_s, u"old"_s);
    db.calls.clear();
    item->changeBibKey(u"new"_s);
    EXPECT_EQ(item->fieldDataForView(u"modified"_s), ModifiedStamp::format(FixedClock::moment));
    EXPECT_EQ(db.calls, QStringList({u"replaceBibKey old new"_s}));
    EXPECT_EQ(observer.calls, QStringList({u"changed new"_s}));
    EXPECT_EQ(item->originalBibKey(), u"new");
}

TEST_F(BibItemTest, markingNeitherDirtiesNorStamps)
{
    RecordingObserver observer;
    auto item = add(QString());
    item->setMark(true);
    EXPECT_EQ(item->valueForColumn(u"00_mark"_s).value_or(ListCell()).text, u"X");
    EXPECT_FALSE(item->isDirty());
    EXPECT_FALSE(item->bibFieldsForEdit().contains(u"modified"_s));
    item->setMark(false);
    EXPECT_FALSE(item->mark() || item->bibFieldsElements().contains(u"mark"_s));
    EXPECT_EQ(observer.calls.size(), 2);
}

TEST_F(BibItemTest, closingTheDatabaseLeavesAStrayItemWithItsFields)
{
    auto item = add(u"title = {T}"_s);
    ASSERT_TRUE(item->setFieldData(u"U"_s, u"note"_s));
    FakeDatabase other;
    item->databaseClosed(&other);
    EXPECT_FALSE(item->strayItem());
    item->databaseClosed(&db);
    EXPECT_TRUE(item->strayItem() && !item->isDirty());
    EXPECT_EQ(item->fieldDataForView(u"database"_s),
              Texts::format(u"NoDatabaseX", {u"refs.bib"_s}));
    EXPECT_EQ(item->fieldDataForEdit(u"title"_s), u"T");

    db.keys.remove(u"k"_s); // the database let the item go
    EXPECT_EQ(item->identicalItemInDatabase(&db), nullptr);
    auto twin = add(QString());
    EXPECT_EQ(item->identicalItemInDatabase(&db), twin);
    other.id = u"DB-2"_s;
    other.keys.insert(u"k"_s, twin);
    EXPECT_EQ(item->identicalItemInDatabase(&other), nullptr);
}

TEST_F(BibItemTest, sortByColumnOrdersNumbersAbsentValuesAndTies)
{
    // Column, field lines of the items "a" and "b", and how a compares to b.
    const std::tuple<const char *, QString, QString, QString, int> rows[] = {
        {"years as numbers", u"06_year"_s, u"year = 2001"_s, u"year = 1999"_s, 1},
        {"equal years by key", u"06_year"_s, u"year = 2001"_s, u"year = 2001"_s, -1},
        {"non-numbers as text", u"06_year"_s, u"year = {n.d.}"_s, u"year = {forth}"_s, 1},
        {"no year first", u"06_year"_s, u"title = {x}"_s, u"year = 1999"_s, -1},
        {"page 9 before 10", u"08_page"_s, u"pages = {10--12}"_s, u"pages = {9--12}"_s, 1},
        {"no identifier by key", QString(), u"title = {b}"_s, u"title = {a}"_s, -1},
    };
    for (const auto &[name, column, aLines, bLines, order] : rows) {
        SCOPED_TRACE(name);
        auto a = add(aLines, u"a"_s, u"MISC"_s);
        auto b = add(bLines, u"b"_s, u"MISC"_s);
        a->setSortIdentifier(column, true);
        b->setSortIdentifier(column, true);
        EXPECT_EQ(a->sortByIdentifier(*b), order);
        EXPECT_EQ(b->sortByIdentifier(*a), -order);
        a->setSortIdentifier(column, false);
        EXPECT_EQ(a->sortByIdentifier(*b), -order) << "descending";
    }
}

TEST_F(BibItemTest, sortByModifiedReadsBackTheStamps)
{
    // Stamps of different zones compare by the moment they denote.
    auto older = add(u"modified = {2024-03-05 10:00:00 +0900}"_s, u"z"_s, u"MISC"_s);
    auto newer = add(u"modified = {2024-03-05 02:00:00 +0000}"_s, u"a"_s, u"MISC"_s);
    auto never = add(QString(), u"m"_s, u"MISC"_s);
    for (auto *item : {older.get(), newer.get(), never.get()})
        item->setSortIdentifier(u"13_modified"_s, true);
    EXPECT_EQ(older->sortByIdentifier(*newer), -1);
    EXPECT_EQ(never->sortByIdentifier(*older), -1);
    EXPECT_EQ(newer->sortByIdentifier(*never), 1);
}

TEST_F(BibItemTest, dictionaryFormRestoresAStrayItem)
{
    auto item = add(u"title = {Caf\\'e}, year = 2004, month = feb"_s);
    const QMap<QString, QString> property = item->bibItemDictionaryForProperty();
    EXPECT_EQ(property.value(u"title"_s) + property.value(u"month"_s), u"Caf\\'eFebruary");
    EXPECT_FALSE(property.contains(u"bibkey"_s));

    auto restored = BibItem::bibItemOfKey(u"k"_s, property);
    EXPECT_TRUE(restored->strayItem());
    EXPECT_EQ(restored->promisedDbID(), u"DB-1");
    EXPECT_EQ(restored->fieldDataForView(u"title"_s), u"Café");
    EXPECT_EQ(restored->bibFieldsElements().value(u"year"_s).first().elementType(),
              BibElement::Number);
}

TEST_F(BibItemTest, archiveRestoresTheSameElements)
{
    RecordingObserver finder;
    auto item = add(u"title = \"A\" # b, year = 2004, note = {$x$}"_s);
    const QJsonObject archive = item->encodeWithCoder();

    QString error;
    auto stray = BibItem::initWithCoder(archive, error);
    ASSERT_TRUE(stray) << qPrintable(error);
    EXPECT_TRUE(stray->strayItem());
    EXPECT_EQ(stray->promisedDbID(), u"DB-1");
    finder.database = &db;
    auto restored = BibItem::initWithCoder(archive, error);
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->database(), &db);
    EXPECT_EQ(restored->bibFieldsElements(), item->bibFieldsElements());

    for (const QJsonObject &bad :
         {QJsonObject(), QJsonObject{{u"bibType"_s, u"A"_s},
                                     {u"bibKey"_s, u"k"_s},
                                     {u"fields"_s, QJsonObject{{u"t"_s, 3}}}}}) {
        EXPECT_EQ(BibItem::initWithCoder(bad, error), nullptr);
        EXPECT_EQ(error, u"ArchiveError_NotAnItem");
    }
}

TEST_F(BibItemTest, matchKeyIgnoresKeyNotesAndLetterCaseAndTextSearchReadsDisplayForms)
{
    auto a = add(u"title = {Neural Nets}, author = {A. Smith}, annote = {x}"_s, u"a"_s);
    auto b = add(u"title = {neural nets}, author = {Smith, A.}"_s, u"b"_s);
    auto c = add(u"title = {Neural Nets}, author = {A. Smith}"_s, u"c"_s, u"BOOK"_s);
    EXPECT_EQ(a->matchKey(false), b->matchKey(false));
    EXPECT_NE(a->matchKey(false), c->matchKey(false));

    auto item = add(u"title = {Caf\\'e Society}"_s);
    EXPECT_TRUE(item->containsString(u"café"_s, {u"title"_s}, Qt::CaseInsensitive));
    EXPECT_FALSE(item->containsString(u"café"_s, {u"title"_s}, Qt::CaseSensitive));
}

TEST(ModifiedStamp, writesLocalTimeWithItsOffsetAndReadsItBack)
{
    const QDateTime moment(QDate(2023, 12, 31), QTime(23, 59, 58), Qt::OffsetFromUTC,
                           -(5 * 3600 + 1800));
    const QString text = ModifiedStamp::format(moment);
    EXPECT_EQ(ModifiedStamp::parse(text), moment);
    EXPECT_EQ(ModifiedStamp::parse(u"2024-03-05 14:07:09 +0900"_s),
              QDateTime(QDate(2024, 3, 5), QTime(5, 7, 9), Qt::UTC));
    for (const QString &bad :
         {u"2024-03-05 14:07:09"_s, u"2024-13-05 14:07:09 +0900"_s, u"2024-03-05 14:07:09 0900x"_s})
        EXPECT_FALSE(ModifiedStamp::parse(bad)) << qPrintable(bad);
}
