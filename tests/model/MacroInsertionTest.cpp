#include "model/MacroInsertion.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

TEST(MacroInsertion, insertsTheMacroAndPlacesTheCursorAfterIt)
{
    // Field text, selection (start, length), macro, new text, cursor.
    // A "#" of plain text is part of the value, not a joint.
    const std::tuple<const char *, QString, qsizetype, qsizetype, QString, QString, qsizetype>
        rows[] = {
            {"empty field", u""_s, 0, 0, u"jpc"_s, u"@jpc"_s, 4},
            {"at the end", u"Phys. Rev."_s, 10, 0, u"b"_s, u"@\"Phys. Rev. \" # b"_s, 18},
            {"in the middle", u"In  Proc. of"_s, 2, 0, u"icml"_s,
             u"@\"In \" # icml # \" Proc. of\""_s, 13},
            {"expression fragments kept", u"@jan # \" 1999\""_s, 4, 0, u"feb"_s,
             u"@jan # feb # \" 1999\""_s, 10},
            {"selection replaced", u"Journal of X"_s, 11, 1, u"x"_s, u"@\"Journal of \" # x"_s, 18},
            {"plain sharp kept", u"C#"_s, 2, 0, u"lang"_s, u"@\"C# \" # lang"_s, 13},
            {"plain quote braced", u"The \"best\""_s, 10, 0, u"m"_s, u"@{The \"best\" } # m"_s, 18},
            {"open string closed", u"@\"Phys Rev\" # b"_s, 6, 0, u"m"_s,
             u"@\"Phys \" # m # \" Rev\" # b"_s, 12},
            {"expression sharp trimmed", u"@a # "_s, 5, 0, u"b"_s, u"@a # b"_s, 6},
        };
    for (const auto &[name, text, start, length, macro, expected, cursor] : rows) {
        const MacroInsertion::Result result =
            MacroInsertion::insertMacro(text, start, length, macro);
        EXPECT_EQ(result.text, expected) << name;
        EXPECT_EQ(result.cursor, cursor) << name;
    }
}

TEST(MacroInsertion, macrosAreRefusedInKeyAndLinkFields)
{
    for (const QString &field : {u"bibkey"_s, u"url"_s, QString()})
        EXPECT_FALSE(MacroInsertion::permitsMacro(field)) << field.toStdString();
    EXPECT_TRUE(MacroInsertion::permitsMacro(u"journal"_s));
}
