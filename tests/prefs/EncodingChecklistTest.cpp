#include "prefs/EncodingChecklist.h"

#include "core/TextEncodings.h"
#include "prefs/BibPreferences.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(EncodingChecklist, marksAndButtonStatesFollowTheChecks)
{
    EncodingChecklist checklist;
    ASSERT_EQ(checklist.encodingNames(), TextEncodings::encodingNames());
    EXPECT_FALSE(checklist.canConfirm());
    checklist.setMarks({TextEncodings::UTF8, TextEncodings::JapaneseEUC});
    EXPECT_EQ(checklist.markedEncodings(),
              (QList<quint32>{TextEncodings::JapaneseEUC, TextEncodings::UTF8}));
    EXPECT_TRUE(checklist.canConfirm());

    checklist.checkAll();
    EXPECT_EQ(checklist.markedEncodings().size(), checklist.encodingNames().size());
    EXPECT_FALSE(checklist.checkAllEnabled());
    checklist.uncheckAll();
    EXPECT_FALSE(checklist.uncheckAllEnabled());
    for (const qsizetype row : {qsizetype(0), qsizetype(-1), qsizetype(100000)})
        checklist.setChecked(row, true); // rows out of range are ignored
    EXPECT_TRUE(checklist.checkAllEnabled());
    EXPECT_TRUE(checklist.uncheckAllEnabled());
    EXPECT_EQ(checklist.markedEncodings().size(), 1);
}

TEST(EncodingChecklist, checkContainsAddsEveryMatchIgnoringCase)
{
    EncodingChecklist checklist;
    checklist.setMarks({TextEncodings::UTF8});
    const int added = checklist.checkContains(u"japan");
    const QStringList names = checklist.encodingNames();
    QStringList checked;
    for (qsizetype row = 0; row < names.size(); ++row)
        if (checklist.isChecked(row))
            checked << names[row];
    EXPECT_EQ(checked, names.filter(QRegularExpression(u"Japan|\\(UTF-8\\)"_s)));
    EXPECT_EQ(added, names.filter(u"Japan"_s).size());
    EXPECT_GE(added, 6);
    EXPECT_EQ(checklist.checkContains(u"japan"), 0);
    EXPECT_EQ(checklist.checkContains(u""), 0);
    EXPECT_FALSE(EncodingChecklist::checkContainsEnabled(u""));
    EXPECT_TRUE(EncodingChecklist::checkContainsEnabled(u"j"));
}

TEST(EncodingChecklist, confirmStoresMarkedCodesOnlyWhenSomeAreMarked)
{
    BibPreferences preferences(u"/nonexistent/never-written.conf"_s);
    preferences.setDefaults();
    preferences.setActiveEncodings({TextEncodings::UTF8});
    EncodingChecklist checklist;
    checklist.uncheckAll();
    EXPECT_FALSE(checklist.confirm(preferences));
    EXPECT_EQ(preferences.activeEncodings(), QList<quint32>{TextEncodings::UTF8});
    checklist.checkContains(u"korean");
    ASSERT_TRUE(checklist.confirm(preferences));
    EXPECT_EQ(preferences.activeEncodings(), checklist.markedEncodings());
    EXPECT_TRUE(TextEncodings::nameOfEncoding(preferences.activeEncodings().value(0))
                    .contains(u"Korean"_s));
}
