// The forms an entry makes on demand: made when first asked for, made again
// after a change, and equal names held once.
#include "model/BibItem.h"
#include "model/ItemFootprint.h"
#include "model/ItemTestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class ItemFormsTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { setUpItemServices(); }
    FakeDatabase db;
};

qint64 displayBytes(const BibItem &item)
{
    ItemFootprint footprint;
    footprint.addItem(item);
    return footprint.bytes(ItemFootprint::DisplayForms);
}

} // namespace

TEST_F(ItemFormsTest, displayFormsAreMadeWhenFirstAskedFor)
{
    auto item =
        db.add(u"ARTICLE"_s, u"k"_s, fieldsFrom(u"title = {Caf\\'e}, author = {Smith, A.}"_s));
    EXPECT_EQ(displayBytes(*item), 0);
    // The names exist from the start: the author index needs them.
    ASSERT_EQ(item->authorList().size(), 1);
    EXPECT_EQ(item->authorList().front().familyName(), u"Smith");
    EXPECT_EQ(item->fieldDataForView(u"title"_s), u"Café");
    EXPECT_GT(displayBytes(*item), 0);
}

TEST_F(ItemFormsTest, displayFormsFollowEveryChange)
{
    struct Row
    {
        const char *name;
        std::function<void(BibItem &)> change;
        QString field;
        QString shown;
    };
    const Row rows[] = {
        {"edited field",
         [](BibItem &item) {
             item.setFieldData(u"New {T}itle"_s, u"title"_s);
             item.fixChanged();
         },
         u"title"_s, u"New Title"_s},
        {"changed macro",
         [this](BibItem &item) {
             db.macros.setMacroWithName(u"jcp"_s, u"{JCP}"_s);
             item.expandWithMacro(&db.macros);
         },
         u"journal"_s, u"JCP"_s},
        {"closed database keeps its expansion", [this](BibItem &item) { item.databaseClosed(&db); },
         u"journal"_s, u"J. Chem. Phys."_s},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(row.name);
        db.macros.setMacroWithName(u"jcp"_s, u"{J. Chem. Phys.}"_s);
        db.keys.clear();
        auto item = db.add(u"ARTICLE"_s, u"k"_s, fieldsFrom(u"title = {Old}, journal = jcp"_s));
        EXPECT_EQ(item->fieldDataForView(u"title"_s), u"Old"); // made before the change
        row.change(*item);
        EXPECT_EQ(item->fieldDataForView(row.field), row.shown);
    }
}

TEST_F(ItemFormsTest, equalNamesShareTheTextOfTheNameKept)
{
    auto a = db.add(u"ARTICLE"_s, u"a"_s, fieldsFrom(u"author = {Smith, Ann and Doe, J.}"_s));
    auto b =
        db.add(u"ARTICLE"_s, u"b"_s, fieldsFrom(u"author = {Ann Smith}, editor = {Roe, R.}"_s));
    QHash<QString, AuthorName> kept;
    const auto holder = [&kept](const AuthorName &name) -> const AuthorName * {
        auto it = kept.find(name.stringValue());
        if (it == kept.end())
            it = kept.insert(name.stringValue(), name);
        return &*it;
    };
    a->shareNames(holder);
    b->shareNames(holder);
    EXPECT_EQ(a->authorList().front(), b->authorList().front());
    EXPECT_EQ(a->authorList().front().familyName().constData(),
              b->authorList().front().familyName().constData());
    EXPECT_EQ(kept.size(), 3);
}
