#include "tex/ConvertFromTeX.h"

#include "TexTestSupport.h"
#include "core/StringInputStream.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// The engine with only its own tables and default hooks, plus one entry in
// each table a converter fills, so that the reading rules and the order of
// the tables can be seen without a target notation.
class PlainConverter : public ConvertFromTeX
{
public:
    PlainConverter()
    {
        m_textStyleCommands.insert(u"bf"_s, u"[%@]"_s);
        m_bothModeCommands0.insert(u"ss"_s, u"SS"_s);
        m_bothModeCommands0.insert(u"&"_s, u"&"_s);
        m_bothModeCommands1.insert(u"textbf"_s, u"<%@>"_s);
        m_mathModeCommands0.insert(u"alpha"_s, u"ALPHA"_s);
        m_accentDic.insert(u"'"_s, AccentData());
        m_accentDic.insert(u"c"_s, AccentData());
    }
};

const PlainConverter &plain()
{
    static const PlainConverter converter;
    return converter;
}

} // namespace

TEST(ConvertFromTeX, readingRules)
{
    expectConversions(
        [](const QString &text) { return plain().convert(text); },
        {
            // Typographic characters in text mode.
            {"tilde is a space", "a~b", "a b"},
            {"bar is an em dash", "a|b", "a-b"},
            {"two hyphens", "a--b", "a-b"},
            {"one hyphen keeps the next character", "a-b", "a-b"},
            {"hyphens at the end", "a--", "a-"},
            {"double back-quote", "``x''", "\"x\""},
            {"inverted exclamation", "!`Hola", "!Hola"},
            // The caret rule in text mode.
            {"caret before a letter", "^x", "?x"},
            {"caret at the end", "^", "?"},
            {"caret caret space is a back-quote", "^^ x", "`x"},
            {"two of them open double quotes", "^^ ^^ x", "\"x"},
            {"followed by a partial form", "^^ ^x", "`?x"},
            {"followed by a back-quote", "^^ `x", "``x"},
            // Groups and math.
            {"braces vanish", "{a}{b{c}}", "abc"},
            {"stray brace ends the text", "xy}zw", "xy"},
            {"unclosed brace runs to the end", "{ab", "ab"},
            {"unclosed dollar runs to the end", "$ab", "ab"},
            {"math apostrophes are primes", "$f''$", "f''"},
            {"math hyphen is the minus", "$a-b$", "a-b"},
            {"text rules resume after math", "$x$--", "x-"},
            {"dollar inside a math group ends only the group", "${a$b$c", "abc"},
            {"brace ends a math span", "${a}b$c", "abc"},
            {"default subscript, one character", "$x_i$", "x_i"},
            {"default superscript", "$x^{ab}$", "x^{ab}"},
            {"default subscript at the end", "$x_", "x"},
            // Commands, in the order of the tables.
            {"size commands vanish", "\\small x", "x"},
            {"text style takes the rest of the group", "{\\bf xyz} uvw", "[xyz] uvw"},
            {"text style converts in text mode", "$a{\\bf b--c}$", "a[b-c]"},
            {"parameterless command", "\\ss{}x", "SSx"},
            {"escaped special", "A \\& B", "A & B"},
            {"one-argument command", "\\textbf{a}b", "<a>b"},
            {"math ignore command eats the full stop", "$\\left( x \\right.$", "( x "},
            {"math ignore command keeps other characters", "$\\big)$", ")"},
            {"left outside math is unknown", "\\left", "{?left}"},
            {"math operator", "$\\sin x$", "sinx"},
            {"math symbol", "$\\alpha$", "ALPHA"},
            {"math symbol in text is unknown", "\\alpha", "{?alpha}"},
            {"accent in math is unknown", "$\\'e$", "{?'}e"},
            {"default accent drops the mark", "\\'e", "e"},
            {"unknown command", "\\foo bar", "{?foo}bar"},
            {"command name ends at a line break", "{\\bf\nx}", "[x]"},
            {"backslash before a line break is a control space", "a\\\nb", "a{? }b"},
        });
}

TEST(ConvertFromTeX, readTeXCommandFromStream)
{
    // next: the character read after the name
    const std::tuple<const char *, std::optional<QString>, QChar> rows[] = {
        {"alpha x", u"alpha"_s, u'x'},  {"alpha  x", u"alpha"_s, u' '},
        {"alpha{x}", u"alpha"_s, u'{'}, {"alpha", u"alpha"_s, QChar()},
        {"'e", u"'"_s, u'e'},           {" x", u" "_s, u'x'},
        {"c c", u"c"_s, u'c'},          {"ss\tx", u"ss"_s, u'x'},
        {"", std::nullopt, QChar()},
    };
    for (const auto &[input, name, next] : rows) {
        StringInputStream stream(QString::fromUtf8(input));
        EXPECT_EQ(plain().readTeXCommandFromStream(stream), name) << input;
        EXPECT_EQ(stream.getChar(), next) << input;
    }
}

TEST(ConvertFromTeX, readParameterFromStream)
{
    const std::tuple<const char *, std::optional<QString>, QChar> rows[] = {
        {"{ab{c}d}e", u"ab{c}d"_s, u'e'}, {"{a\\}b}c", u"a\\}b"_s, u'c'},
        {"{ab", u"ab"_s, QChar()},        {"\\alpha x", u"\\alpha"_s, u'x'},
        {"\\", u"\\"_s, QChar()},         {"{\\i}", u"i"_s, QChar()},
        {"\\j x", u"j"_s, u'x'},          {" n", u" "_s, u'n'},
        {"}", u"}"_s, QChar()},           {"", std::nullopt, QChar()},
    };
    for (const auto &[input, parameter, next] : rows) {
        StringInputStream stream(QString::fromUtf8(input));
        EXPECT_EQ(plain().readParameterFromStream(stream), parameter) << input;
        EXPECT_EQ(stream.getChar(), next) << input;
    }
}

TEST(ConvertFromTeX, letterCommandsNameTheirBaseLetter)
{
    const std::pair<const char *, QChar> letters[] = {
        {"AA", u'A'},   {"ae", u'a'},    {"l", u'l'},   {"ss", u's'},
        {"i", QChar()}, {"SS", QChar()}, {"", QChar()},
    };
    for (const auto &[name, letter] : letters)
        EXPECT_EQ(plain().commandIsLetter(QString::fromUtf8(name)), letter) << name;
}

TEST(ConvertFromTeX, malformedInputEndsQuicklyAndNulCharactersAreDropped)
{
    const int n = 200000;
    EXPECT_EQ(plain().convert(QString(n, u'{') + u'x' + QString(n, u'}')), u"x"_s);
    EXPECT_EQ(plain().convert(QString(n, u'{') + u"yz"_s), u"yz"_s);
    EXPECT_EQ(plain().convert(QString(n, u'$')), QString());

    // Commands nested inside command arguments: the innermost levels stay TeX.
    const QString converted = plain().convert(u"\\textbf{"_s.repeated(5000) + u'x');
    EXPECT_TRUE(converted.startsWith(u"<<<<"_s));
    EXPECT_TRUE(converted.contains(u'x'));

    EXPECT_TRUE(plain().convert(u"{\\bf "_s.repeated(5000) + u'y').contains(u'y'));
    EXPECT_TRUE(plain().convert(u"$x"_s + u"^{"_s.repeated(5000) + u'z').startsWith(u"x^{"_s));
    const QString input = u"a"_s + QChar(0) + u"b--c"_s + QChar(0);
    EXPECT_EQ(plain().convert(input), u"ab-c"_s);
    EXPECT_EQ(plain().convert(QString()), QString());
}

TEST(ConvertFromTeX, randomInputConvertsTheSameEveryTime)
{
    // Short texts drawn from the characters with meaning to the engine.
    const QString alphabet = u"\\{}$^_'`-!?<>~|.a c1 \u00a0"_s;
    quint32 seed = 12345;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return seed >> 8;
    };
    for (int round = 0; round < 5000; ++round) {
        QString input;
        const int length = int(next() % 24);
        for (int i = 0; i < length; ++i)
            input += alphabet.at(qsizetype(next() % quint32(alphabet.size())));
        EXPECT_EQ(plain().convert(input), plain().convert(input)) << qPrintable(input);
    }
}
