#include "prefs/EncodingMenuModel.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<BibPreferences> freshPreferences()
{
    auto preferences = std::make_unique<BibPreferences>(u"/nonexistent/never-written.conf"_s);
    preferences->setDefaults();
    return preferences;
}

} // namespace

TEST(EncodingMenuModel, withoutActiveListTheDefaultSelectionIsStored)
{
    auto preferences = freshPreferences();
    ASSERT_TRUE(preferences->activeEncodings().isEmpty());
    EncodingMenuModel menu(*preferences);
    menu.setEncodingMenu();
    const QList<quint32> stored = preferences->activeEncodings();
    EXPECT_EQ(stored, TextEncodings::defaultActiveEncodings());
    EXPECT_EQ(menu.activeNames().size(), stored.size());
}

TEST(EncodingMenuModel, itemsAreEditThenSeparatorThenSortedNames)
{
    auto preferences = freshPreferences();
    preferences->setActiveEncodings({TextEncodings::UTF8, TextEncodings::JapaneseEUC,
                                     TextEncodings::ISOLatin1, 0x7777 /* unknown */});
    EncodingMenuModel menu(*preferences);
    menu.setEncodingMenu();
    const QList<EncodingMenuModel::Item> items = menu.items();
    ASSERT_EQ(items.size(), 5);
    EXPECT_EQ(items[0].title, Texts::text(u"EditEncodings"));
    EXPECT_EQ(items[0].tag, EncodingMenuModel::kEditEncodingsTag);
    EXPECT_TRUE(items[1].separator);
    EXPECT_EQ(items[2].title, u"Japanese (EUC)"_s);
    EXPECT_EQ(items[3].title, u"Unicode (UTF-8)"_s);
    EXPECT_EQ(items[4].title, u"Western (ISO Latin 1)"_s);
    EXPECT_EQ(menu.activeEncoding(),
              (QList<quint32>{TextEncodings::JapaneseEUC, TextEncodings::UTF8,
                              TextEncodings::ISOLatin1}));
}

TEST(EncodingMenuModel, selectingAnInactiveEncodingAddsAnItemButNotToTheActiveList)
{
    auto preferences = freshPreferences();
    preferences->setActiveEncodings({TextEncodings::UTF8});
    EncodingMenuModel menu(*preferences);
    menu.setEncodingMenu();
    menu.selectEncodeing(TextEncodings::ShiftJISCF);
    EXPECT_EQ(menu.selectedEncodeing(), quint32(TextEncodings::ShiftJISCF));
    EXPECT_EQ(menu.items().last().title, u"Japanese (Shift JIS)"_s);
    EXPECT_EQ(menu.items().size(), 4);
    menu.selectEncodeing(TextEncodings::ShiftJISCF);
    EXPECT_EQ(menu.items().size(), 4);
    EXPECT_EQ(preferences->activeEncodings(), QList<quint32>{TextEncodings::UTF8});

    menu.selectEncodeing(TextEncodings::UTF8);
    EXPECT_EQ(menu.selectedEncodeing(), quint32(TextEncodings::UTF8));
    // An alias code selects the item of its encoding.
    menu.selectEncodeing(TextEncodings::DOSJapanese);
    EXPECT_EQ(menu.selectedEncodeing(), quint32(TextEncodings::ShiftJIS));
}
