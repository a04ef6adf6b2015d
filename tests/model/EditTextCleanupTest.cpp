#include "model/EditTextCleanup.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

TEST(EditTextCleanup, cleansAndKeepsTheInsertionPoint)
{
    // Text, insertion point, yen mark, cleaned text, insertion point after.
    // Removed characters after the insertion point leave it where it is.
    const std::tuple<const char *, QString, qsizetype, QString, QString, qsizetype> rows[] = {
        {"untouched", u"title = {A}"_s, 5, u"\u00a5"_s, u"title = {A}"_s, 5},
        {"yen becomes backslash", u"{\u00a5\"u}"_s, 3, u"\u00a5"_s, u"{\\\"u}"_s, 3},
        {"no-break space", u"a\u00a0b"_s, 3, u"\u00a5"_s, u"a b"_s, 3},
        {"NUL before the cursor", u"a\0b"_s, 3, u"\u00a5"_s, u"ab"_s, 2},
        {"NUL after the cursor", u"ab\0\0"_s, 1, u"\u00a5"_s, u"ab"_s, 1},
        {"longer yen mark", u"x[yen]y[yen]"_s, 8, u"[yen]"_s, u"x\\y\\"_s, 4},
    };
    for (const auto &[name, text, cursor, yen, expected, expectedCursor] : rows) {
        SCOPED_TRACE(name);
        const EditTextCleanup result = EditTextCleanup::clean(text, cursor, yen);
        EXPECT_EQ(result.text, expected);
        EXPECT_EQ(result.cursor, expectedCursor);
        EXPECT_EQ(result.changed, text != expected);
    }
}
