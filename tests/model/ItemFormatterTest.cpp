#include "model/ItemFormatter.h"

#include "core/Texts.h"
#include "model/ItemTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

class ItemFormatterTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { setUpItemServices(); }

    FakeDatabase db;

    QString cell(const std::shared_ptr<BibItem> &item, const QString &column)
    {
        const std::optional<ListCell> value = item->valueForColumn(column);
        return value ? value->text : u"<unset>"_s;
    }
};

ItemServices::CopyNameSettings copySettings(bool abbreviate, int threshold, int kept,
                                            int format = 1)
{
    ItemServices::CopyNameSettings settings;
    settings.format = format;
    settings.separator = u", "_s;
    settings.abbreviate = abbreviate;
    settings.nonAbbrevNum = threshold;
    settings.abbrevNum = kept;
    return settings;
}

} // namespace

TEST_F(ItemFormatterTest, authorColumnFallsThroughToEditorsThenTheKey)
{
    const std::tuple<const char *, QString, QString> rows[] = {
        {"authors", u"author = {Walter E. Harmon and Jean-Marc Aubert}"_s,
         u"Harmon, W.E.; Aubert, J.-M."_s},
        {"one editor", u"editor = {C. Green}"_s, u"Green, C."_s + Texts::text(u"Ed")},
        {"two editors", u"editor = {C. Green and D. Black}"_s,
         u"Green, C., Black, D."_s + Texts::text(u"Eds")},
        {"key only", u"key = {Brown}"_s, u"Brown (key)"_s},
        {"nothing", u"title = {x}"_s, u"<unset>"_s},
    };
    for (const auto &[name, fields, expected] : rows) {
        auto item = db.add(u"MISC"_s, u"k"_s, fieldsFrom(fields));
        EXPECT_EQ(cell(item, u"04_author"_s), expected) << name;
    }
}

TEST_F(ItemFormatterTest, cellsCarryTheColumnAlignmentAndOwnershipColour)
{
    auto item = db.add(u"ARTICLE"_s, u"k"_s, fieldsFrom(u"year = 2004, pages = {123--130}"_s));
    const ListCell year = item->valueForColumn(u"06_year"_s).value();
    EXPECT_EQ(year.alignment, ListCell::Alignment::Center);
    EXPECT_EQ(year.colour, ListCell::Colour::Black);
    EXPECT_EQ(item->valueForColumn(u"08_page"_s)->alignment, ListCell::Alignment::Right);
    EXPECT_TRUE(year.styled && !item->valueForColumn(u"00_mark"_s)->styled);

    auto stray =
        BibItem::bibItemOfType(u"ARTICLE"_s, u"s"_s, fieldsFrom(u"year = 2004"_s), nullptr);
    stray->expandWithMacro(nullptr);
    EXPECT_EQ(stray->valueForColumn(u"06_year"_s)->colour, ListCell::Colour::Red);
}

TEST_F(ItemFormatterTest, attachmentColumnCodesTheLinks)
{
    const std::tuple<const char *, QString, int, QString> rows[] = {
        {"nothing", u"title = {x}"_s, 0, u"0"_s},
        {"e-mail", u"email = {a@b.c}"_s, 0, u"1"_s},
        {"url", u"url = {http://x}, email = {a@b.c}"_s, 0, u"2"_s},
        {"file present", u"file = {a.pdf}"_s, 2, u"5"_s},
        {"missing file", u"file = {a.pdf}"_s, 1, u"3"_s},
        {"no state", u"file = {a.pdf}"_s, 0, u"<unset>"_s},
    };
    for (const auto &[name, fields, state, expected] : rows) {
        auto item = BibItem::bibItemOfType(u"MISC"_s, u"k"_s, fieldsFrom(fields), &db);
        item->setFileState(state);
        item->makeAttributedStringForList();
        EXPECT_EQ(cell(item, u"01_file"_s), expected) << name;
    }
}

TEST_F(ItemFormatterTest, pagesCellIsTheFirstPage)
{
    const std::tuple<QString, std::optional<QString>> rows[] = {
        {u"123--130"_s, u"123"_s}, {u"e1234"_s, u"e1234"_s},  {u"12, 15"_s, u"12"_s},
        {u"-5"_s, std::nullopt},   {QString(), std::nullopt},
    };
    for (const auto &[pages, expected] : rows)
        EXPECT_EQ(ItemFormatter::pagesForList(pages), expected) << qPrintable(pages);
}

TEST_F(ItemFormatterTest, modifiedCellShortensByAge)
{
    const QDateTime now(QDate(2024, 6, 15), QTime(12, 0), Qt::OffsetFromUTC, 3600);
    const std::tuple<const char *, qint64, QString> rows[] = {
        {"two hours", 2 * 3600, u"10:00"_s},
        {"a week", 7 * 86400, u"Jun 08"_s},
        {"two years", 2 * 365 * 86400, u"2022, Jun"_s},
    };
    for (const auto &[name, secondsAgo, expected] : rows) {
        const QDateTime then = now.addSecs(-secondsAgo);
        const QString stamp = then.toString(u"yyyy-MM-dd HH:mm:ss"_s) + u" +0100"_s;
        EXPECT_EQ(ItemFormatter::modifiedForList(stamp, now), expected) << name;
    }
    EXPECT_EQ(ItemFormatter::modifiedForList(QString(), now), std::nullopt);
}

TEST_F(ItemFormatterTest, slotValues)
{
    db.macros.setMacroWithName(u"VOL"_s, u"12"_s);
    auto item = db.add(u"ARTICLE"_s, u"k"_s,
                       fieldsFrom(u"pages = {123--130}, volume = vol, number = {4, 5}, "
                                  u"journal = {Communications of the {ACM}}, "
                                  u"title = {Caf\\'e}, author = {Walter E. Harmon}"_s));
    const std::tuple<QString, QString> rows[] = {
        {u"abbrev_pages"_s, u"123"_s},
        {u"abbrev_volume"_s, u"vol"_s}, // the expression without
                                        // its "@"
        {u"abbrev_journal"_s, u"CACM"_s},
        {u"fam"_s, u"Harmon"_s},
        {u"giv"_s, u"WE"_s},
    };
    for (const auto &[slot, expected] : rows)
        EXPECT_EQ(item->fieldDataForListFormat(slot), expected) << qPrintable(slot);
}

TEST_F(ItemFormatterTest, famAndGivComeFromTheFirstEditorWithoutAuthors)
{
    auto item =
        db.add(u"BOOK"_s, u"k"_s, fieldsFrom(u"editor = {M{\\\"u}ller-L{\\\"u}denscheid, Hans}"_s));
    EXPECT_EQ(item->fieldDataForListFormat(u"fam"_s), u"MullerLudenscheid");
    EXPECT_EQ(item->fieldDataForListFormat(u"giv"_s), u"H");
}

TEST_F(ItemFormatterTest, nameListForCopyingAppliesTheEtAlRules)
{
    const QString two = u"A. Smith and B. Jones"_s;
    const QString four = two + u" and C. Brown and D. White"_s;
    const std::tuple<const char *, QString, ItemServices::CopyNameSettings, std::optional<QString>>
        rows[] = {
            {"three, the last after and", two + u" and C. Brown"_s, copySettings(true, 3, 1),
             u"A. Smith, B. Jones and C. Brown"_s},
            {"four shortened to one", four, copySettings(true, 3, 1),
             u"A. Smith"_s + Texts::text(u"et al")},
            {"abbreviation off", four, copySettings(false, 3, 1),
             u"A. Smith, B. Jones, C. Brown and D. White"_s},
            {"kept count zero keeps one", two, copySettings(true, 1, 0),
             u"A. Smith"_s + Texts::text(u"et al")},
            {"format 3: first family first", two, copySettings(true, 10, 5, 3),
             u"Smith, A. and B. Jones"_s},
            {"Japanese names shortened", u"山田 太郎 and 鈴木 花子 and 佐藤 一郎"_s,
             copySettings(true, 2, 1), u"山田 太郎"_s + Texts::format(u"et al-J", {u"2"_s})},
            {"no names", QString(), copySettings(true, 3, 1), std::nullopt},
        };
    for (const auto &[name, names, settings, expected] : rows)
        EXPECT_EQ(ItemFormatter::nameListForListFormat(names, settings), expected) << name;
}

TEST_F(ItemFormatterTest, abbrevStringKeepsCapitalsDigitsAndCJK)
{
    const std::tuple<QString, QString> rows[] = {
        {u"Communications of the ACM"_s, u"CACM"_s}, {u"Physical Review B 12"_s, u"PRB12"_s},
        {u"J. {\\\"U}ber Phys."_s, u"JUP"_s}, // the accent command goes, its letter stays
        {u"日本物理学会誌"_s, u"日本物理学会誌"_s},  {u"trailing \\"_s, QString()},
    };
    for (const auto &[text, expected] : rows)
        EXPECT_EQ(ItemFormatter::abbrevString(text), expected) << qPrintable(text);
}

TEST_F(ItemFormatterTest, referenceWrappingByKindAndPrefix)
{
    const std::tuple<int, int, QString> rows[] = {
        {3, 0, u"\\bibitem{k} T\n"_s},
        {4, 0, u"<p style=\"margin-bottom:0.8ex;\">T</p>\n"_s},
        {4, 1, u"<li style=\"margin-bottom:0.8ex;\">T</li>\n"_s},
        {4, 3, u"<li style=\"margin-bottom:0.8ex;text-indent:-1.5em;\">[k] T</li>\n"_s},
        {6, 3, u"<p>[k]\tT</p>\n"_s},
        {7, 2, u"5. T\n"_s},
        {5, 2, u"T"_s},
        {7, 9, u"T"_s},
    };
    for (const auto &[kind, prefix, expected] : rows)
        EXPECT_EQ(ItemFormatter::wrapReference(kind, 5, prefix, u"k"_s, u"T"_s), expected)
            << kind << '/' << prefix;
}

TEST_F(ItemFormatterTest, referencesForEveryKind)
{
    auto item = db.add(u"article"_s, u"harmon69"_s,
                       fieldsFrom(u"author = {Walter E. Harmon}, journal = cacm, volume = 12, "
                                  u"year = 1969, pages = {1--10}, title = {Caf\\'e}"_s));
    EXPECT_EQ(item->makeItemsTextWithFormat(2, 1, 3), u"harmon69");
    EXPECT_EQ(item->makeItemsTextWithFormat(7, 5, 2),
              u"5. W.E. Harmon, Communications of the ACM 12 (1969) 1.\n");
    EXPECT_EQ(item->makeItemsTextWithFormat(3, 1, 0),
              u"\\bibitem{harmon69} W.E. Harmon, Communications of the ACM {\\bf 12} (1969) 1.\n");
    EXPECT_EQ(item->makeItemsTextWithFormat(6, 1, 1),
              u"<li>W.E. Harmon, Communications of the ACM <b>12</b> (1969) 1.</li>\n");
    // A type without a definition of its own takes the undefined one.
    auto odd = db.add(u"PATENT"_s, u"p"_s, fieldsFrom(u"title = {Gadget}, year = 2001"_s));
    EXPECT_EQ(odd->makeItemsTextWithFormat(7, 1, 0),
              TeXtoText::convertString(u"``Gadget'',"_s) + u" (2001).\n"_s);
}
