#include "model/EditTextCleanup.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

struct CleanupCase
{
    const char *name;
    QString text;
    qsizetype cursor;
    QString expected;
    qsizetype expectedCursor;
};

class EditTextCleanupCases : public testing::TestWithParam<CleanupCase>
{};

TEST_P(EditTextCleanupCases, cleansAndKeepsTheInsertionPoint)
{
    const CleanupCase &c = GetParam();
    const EditTextCleanup result = EditTextCleanup::clean(c.text, c.cursor, u"\u00a5"_s);
    EXPECT_EQ(result.text, c.expected);
    EXPECT_EQ(result.cursor, c.expectedCursor);
    EXPECT_EQ(result.changed, c.text != c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    EditTextCleanup, EditTextCleanupCases,
    testing::Values(CleanupCase{"untouched", u"title = {A}"_s, 5, u"title = {A}"_s, 5},
                    CleanupCase{"yenBecomesBackslash", u"{\u00a5\"u}"_s, 3, u"{\\\"u}"_s, 3},
                    CleanupCase{"noBreakSpace", u"a\u00a0b"_s, 3, u"a b"_s, 3},
                    CleanupCase{"nulBeforeCursor", u"a\0b"_s, 3, u"ab"_s, 2},
                    // Removed characters after the insertion point leave it where it is.
                    CleanupCase{"nulAfterCursor", u"ab\0\0"_s, 1, u"ab"_s, 1},
                    CleanupCase{"nulOnBothSides", u"\0a\0b"_s, 2, u"ab"_s, 1}),
    [](const testing::TestParamInfo<CleanupCase> &row) { return std::string(row.param.name); });

TEST(EditTextCleanup, aLongerYenMarkShortensOnlyBeforeTheCursor)
{
    const EditTextCleanup result = EditTextCleanup::clean(u"x[yen]y[yen]"_s, 8, u"[yen]"_s);
    EXPECT_EQ(result.text, u"x\\y\\"_s);
    EXPECT_EQ(result.cursor, 4);
}

} // namespace
