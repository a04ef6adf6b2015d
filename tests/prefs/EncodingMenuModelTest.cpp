#include "prefs/EncodingMenuModel.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

std::unique_ptr<BibPreferences> preferencesWith(const QList<quint32> &active)
{
    auto preferences = std::make_unique<BibPreferences>(u"/nonexistent/never-written.conf"_s);
    preferences->setDefaults();
    preferences->setActiveEncodings(active);
    return preferences;
}

// The titles of the menu's items, "-" for the separator.
QStringList titles(const EncodingMenuModel &menu)
{
    QStringList out;
    for (const EncodingMenuModel::Item &item : menu.items())
        out << (item.separator ? u"-"_s : item.title);
    return out;
}

} // namespace

TEST(EncodingMenuModel, itemsAreEditThenSeparatorThenSortedNamesOrTheDefaultSelection)
{
    auto preferences = preferencesWith({TextEncodings::UTF8, TextEncodings::JapaneseEUC,
                                        TextEncodings::ISOLatin1, 0x7777 /* unknown */});
    EncodingMenuModel menu(*preferences);
    menu.setEncodingMenu();
    EXPECT_EQ(titles(menu), (QStringList{Texts::text(u"EditEncodings"), u"-"_s, u"Japanese (EUC)"_s,
                                         u"Unicode (UTF-8)"_s, u"Western (ISO Latin 1)"_s}));
    EXPECT_EQ(menu.items().value(0).tag, EncodingMenuModel::kEditEncodingsTag);
    EXPECT_EQ(menu.activeEncoding(),
              (QList<quint32>{TextEncodings::JapaneseEUC, TextEncodings::UTF8,
                              TextEncodings::ISOLatin1}));
    // Without an active list the default selection is stored.
    auto fresh = preferencesWith({});
    EncodingMenuModel freshMenu(*fresh);
    freshMenu.setEncodingMenu();
    EXPECT_EQ(fresh->activeEncodings(), TextEncodings::defaultActiveEncodings());
    EXPECT_EQ(freshMenu.activeNames().size(), fresh->activeEncodings().size());
}

TEST(EncodingMenuModel, selectingAnInactiveEncodingAddsAnItemButNotToTheActiveList)
{
    auto preferences = preferencesWith({TextEncodings::UTF8});
    EncodingMenuModel menu(*preferences);
    menu.setEncodingMenu();
    menu.selectEncodeing(TextEncodings::ShiftJISCF);
    menu.selectEncodeing(TextEncodings::ShiftJISCF);
    EXPECT_EQ(menu.selectedEncodeing(), quint32(TextEncodings::ShiftJISCF));
    EXPECT_EQ(titles(menu).mid(2), (QStringList{u"Unicode (UTF-8)"_s, u"Japanese (Shift JIS)"_s}));
    EXPECT_EQ(preferences->activeEncodings(), QList<quint32>{TextEncodings::UTF8});
    // An alias code selects the item of its encoding.
    menu.selectEncodeing(TextEncodings::DOSJapanese);
    EXPECT_EQ(menu.selectedEncodeing(), quint32(TextEncodings::ShiftJIS));
}
