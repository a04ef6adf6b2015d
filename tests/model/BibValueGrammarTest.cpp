#include "model/BibElement.h"

#include "core/StringInputStream.h"
#include "core/Texts.h"

#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

using namespace Qt::StringLiterals;

static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

StringInputStream readerStream(const QString &text)
{
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    return stream;
}

// "text(code)" for each element, separated by one space.
QString render(const QList<BibElement> &elements)
{
    QStringList parts;
    for (const BibElement &element : elements)
        parts << element.stringValue() + u'(' + QString::number(element.elementType()) + u')';
    return parts.join(u' ');
}

// "name=[text(code) ...]" for each field, sorted by name, separated by "; ".
QString render(const BibFieldDictionary &fields)
{
    QStringList names = fields.keys();
    std::sort(names.begin(), names.end());
    QStringList parts;
    for (const QString &name : names)
        parts << name + u"=["_s + render(fields.value(name)) + u']';
    return parts.join(u"; ");
}

// The text the grammar reports for `key`, or null for no error.
QString expectedError(const char16_t *key, const QString &argument = QString())
{
    return key ? Texts::format(key, {argument}) : QString();
}

} // namespace

TEST(BibValueGrammarTokenizer, splitsValuesAndSeparators)
{
    // The text after "a = " (in an entry: after "{a = "), the tokens after
    // "a(0) =(6)"; failures keep the tokens read so far.
    const std::tuple<const char *, bool, QString, QString, const char16_t *> rows[] = {
        {"concatenation", false, u"jan # \" 1\""_s, u"jan(0) #(7) \" 1\"(4)"_s, nullptr},
        // A double quote inside braces is a character, kept as written.
        {"quotesInsideBraces", false, u"{say \"hi\"}"_s, u"{say \"hi\"}(3)"_s, nullptr},
        {"germanBabelQuotes", false, u"{\"`TeX\"' Gro\"s}"_s, u"{\"`TeX\"' Gro\"s}(3)"_s, nullptr},
        {"quoteInBracesHidesNoBrace", false, u"{x \"y} b = {\"}"_s,
         u"{x \"y}(3) b(0) =(6) {\"}(3)"_s, nullptr},
        {"bracedQuoteInQuotes", false, u"\"M {\"}B{\"} Q\""_s, u"\"M {\"}B{\"} Q\"(4)"_s, nullptr},
        {"quotedValueStartsAToken", false, u"x\"y z\""_s, u"x(0) \"y z\"(4)"_s, nullptr},
        {"escapedBraceDoesNotNest", false, u"{\\{}"_s, u"{\\{}(3)"_s, nullptr},
        {"texCommandToken", false, u"\\relax"_s, u"\\relax(9)"_s, nullptr},
        {"mathToken", false, u"$x {y}$"_s, u"$x(0) {y}$(0)"_s, nullptr},
        // Inside a value a dollar that cannot open or close math at its
        // brace level is a character; at the top level math must close.
        {"dollarSignInAUrl", false, u"{/all/$file/y}"_s, u"{/all/$file/y}(3)"_s, nullptr},
        {"dollarSignInQuotes", false, u"\"x/$file/y\""_s, u"\"x/$file/y\"(4)"_s, nullptr},
        {"dollarsAcrossGroups", false, u"{${$\\Xi${}}_{b}$}"_s, u"{${$\\Xi${}}_{b}$}(3)"_s,
         nullptr},
        {"loneBackslashAtEnd", false, u"b\\"_s, u"b\\(0)"_s, nullptr},
        {"nulIsKept", false, QStringView(u"{x\0y}", 5).toString(),
         QStringView(u"{x\0y}(3)", 8).toString(), nullptr},
        {"unpairedSurrogates", false, u"{\xD800x\xDC00}"_s, u"{\xD800x\xDC00}(3)"_s, nullptr},
        {"unclosedEntry", true, u"{b}"_s, u"{b}(3)"_s, u"ReadError_MissingCloseBra"},
        {"unclosedValue", false, u"{b"_s, u"{b(0)"_s, u"ReadError_MissingCloseBra"},
        {"surplusBrace", false, u"b}"_s, u"b(0)"_s, u"ReadError_TooManyBra"},
        {"mathAcrossBraces", false, u"{$x}$"_s, u"{$x}$(0)"_s, u"ReadError_MissingEndMath"},
        {"mathClosingInADeeperGroup", false, u"$x {$} y$ $"_s, u"$x(0) {(0)"_s,
         u"ReadError_BadMathNesting"},
        {"unclosedQuote", false, u"\"x"_s, u"\"x(0)"_s, u"ReadError_MissingEndQuote"},
        {"quoteClosingOutsideItsBraces", false, u"\"x}\""_s, u"\"x}(0)"_s,
         u"ReadError_TooManyQuote"},
        {"unclosedQuoteWinsOverMath", true, u"\"$x"_s, u"\"$x(0)"_s, u"ReadError_MissingEndQuote"},
        {"truncatedAfterBackslash", true, u"{x\\"_s, u"{x\\(0)"_s, u"ReadError_MissingCloseBra"},
    };
    for (const auto &[name, entry, value, tokens, errorKey] : rows) {
        StringInputStream stream = readerStream((entry ? u"{a = "_s : u"a = "_s) + value);
        QString error = u"stale"_s;
        const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, entry);
        EXPECT_EQ(render(elements), u"a(0) =(6) "_s + tokens) << name;
        EXPECT_EQ(error, expectedError(errorKey)) << name;
    }
    StringInputStream parenthesised = readerStream(u"(key, a = b)"_s);
    QString error;
    EXPECT_TRUE(BibElement::getElementsFromStream(parenthesised, error, true).isEmpty());
    EXPECT_EQ(error, expectedError(u"ReadError_MissingOpenBra"));
}

TEST(BibValueGrammarTokenizer, stopsJustAfterTheClosingBrace)
{
    StringInputStream stream = readerStream(u"  {k, a = {b}} @next"_s);
    QString error;
    BibElement::getElementsFromStream(stream, error, true);
    EXPECT_TRUE(error.isNull());
    EXPECT_EQ(stream.getNonSpaceChar(), u'@');
}

TEST(BibValueGrammarTokenizer, deepNestingNeedsNoRecursion)
{
    constexpr int depth = 100000;
    const QString open(depth, u'{');
    const QString close(depth, u'}');

    StringInputStream balanced = readerStream(u"{a = "_s + open + u'x' + close + u'}');
    QString error;
    const QList<BibElement> elements = BibElement::getElementsFromStream(balanced, error, true);
    EXPECT_TRUE(error.isNull());
    EXPECT_EQ(elements.value(2).stringValue().size(), 2 * depth + 1);

    StringInputStream unbalanced = readerStream(u"{a = "_s + open);
    BibElement::getElementsFromStream(unbalanced, error, true);
    EXPECT_EQ(error, expectedError(u"ReadError_MissingCloseBra"));
    EXPECT_FALSE(BibElement::checkNesting(open).has_value());
}

TEST(BibValueGrammarGrouping, groupsFieldsAndKey)
{
    const std::tuple<const char *, QString, bool, QString> rows[] = {
        {"entry", u"{key, title = {A {B} C}, year = 2004}"_s, true,
         u"bibkey=[key(2)]; title=[{A {B} C}(3)]; year=[2004(1)]"_s},
        // As in BibTeX the first value counts; later ones are kept renamed.
        {"repeatedNameKeepsEveryValue", u"{a = {x}, A = {y}, a = z}"_s, false,
         u"a=[{x}(3)]; a.1=[{y}(3)]; a.2=[z(0)]"_s},
        {"emptyValueDropsTheField", u"{note = , title = {x}}"_s, false, u"title=[{x}(3)]"_s},
        {"danglingSharp", u"{a = b #, c = d #}"_s, false, u"a=[b(0)]; c=[d(0)]"_s},
        {"numberKey", u"{2004, a = b}"_s, true, u"a=[b(0)]; bibkey=[2004(2)]"_s},
        {"keyAlone", u"{key}"_s, true, u"bibkey=[key(2)]"_s},
        {"fieldCalledBibkeyKeepsTheKey", u"{k, bibkey = {x}}"_s, true, u"bibkey=[k(2)]"_s},
        {"fieldCalledBibkeyWithoutKey", u"{bibkey = {x}}"_s, false, u"bibkey=[{x}(3)]"_s},
        {"allValueKinds", u"{a = w # 1 # {b} # \"q\" # $m$}"_s, false,
         u"a=[w(0) 1(1) {b}(3) \"q\"(4) $m$(5)]"_s},
    };
    for (const auto &[name, text, needsBibkey, expected] : rows) {
        StringInputStream stream = readerStream(text);
        QString error;
        const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
        ASSERT_TRUE(error.isNull()) << name;
        error = u"stale"_s;
        const auto fields = BibElement::analyzeElements(elements, error, needsBibkey);
        ASSERT_TRUE(fields.has_value()) << name << ": " << error.toStdString();
        EXPECT_TRUE(error.isNull()) << name;
        EXPECT_EQ(render(*fields), expected) << name;

        QList<BibElement> consumed = elements;
        const auto moved = BibElement::analyzeElements(std::move(consumed), error, needsBibkey);
        ASSERT_TRUE(moved.has_value()) << name;
        EXPECT_EQ(render(*moved), expected) << name;
    }
}

TEST(BibValueGrammarGrouping, reportsTheOffendingTokenOrField)
{
    const std::tuple<const char *, QString, bool, const char16_t *, QString> rows[] = {
        {"missingEqual", u"{title {x}}"_s, false, u"ReadError_NoEqual", u"title"_s},
        {"twoValues", u"{title = {x} {y}}"_s, false, u"ReadError_FieldSyntax", u"title"_s},
        {"sharpFirst", u"{a = # b}"_s, false, u"ReadError_FieldSyntax", u"a"_s},
        {"commaAsName", u"{a = b,, c = d}"_s, false, u"ReadError_BadFieldName", u","_s},
        {"missingKeyComma", u"{key title = {x}}"_s, true, u"ReadError_NoComma", u"key"_s},
        {"quotedKey", u"{\"key\", a = b}"_s, true, u"ReadError_BadBibKey", u"\"key\""_s},
        {"noKeyAtAll", u"{}"_s, true, u"ReadError_BadBibKey", u""_s},
    };
    for (const auto &[name, text, needsBibkey, errorKey, argument] : rows) {
        StringInputStream stream = readerStream(text);
        QString error;
        const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
        ASSERT_TRUE(error.isNull()) << name;
        const auto fields = BibElement::analyzeElements(elements, error, needsBibkey);
        EXPECT_FALSE(fields.has_value()) << name;
        EXPECT_EQ(error, expectedError(errorKey, argument)) << name;
        QString movedError;
        EXPECT_FALSE(
            BibElement::analyzeElements(QList<BibElement>(elements), movedError, needsBibkey))
            << name;
        EXPECT_EQ(movedError, error) << name;
    }
}

TEST(BibValueGrammarCheckNesting, normalisesOrRefusesPlainValues)
{
    const std::tuple<const char *, QString, std::optional<QString>> rows[] = {
        {"straightQuotesStay", u"a \"word\" b"_s, u"a \"word\" b"_s},
        {"quoteAheadOfReversedBraces", u"}\"{"_s, std::nullopt},
        {"quoteInsideReversedBraces", u"}{{\"}}{"_s, u"}{{\"}}{"_s},
        {"unclosedBrace", u"{a"_s, std::nullopt},
        {"reversedBracesBalanceOut", u"}{"_s, u"}{"_s},
        {"escapedBraceIsText", u"\\{"_s, u"\\{"_s},
        {"trailingBackslash", u"a\\"_s, u"a\\"_s},
        {"dollarsNeedNotPair", u"{$x}$ costs $5"_s, u"{$x}$ costs $5"_s},
        {"nulIsKept", QStringView(u"a\0b", 3).toString(), QStringView(u"a\0b", 3).toString()},
    };
    for (const auto &[name, text, result] : rows)
        EXPECT_EQ(BibElement::checkNesting(text), result) << name;
}

TEST(BibValueGrammarCheckValidity, acceptsValuesJoinedBySharps)
{
    const std::tuple<const char *, QString, bool, QString, QString, const char16_t *> rows[] = {
        {"macroAndBraced", u"@jan # {x}"_s, true, u"jan(0) {x}(3)"_s, u"@jan # {x}"_s, nullptr},
        {"spacingNormalised", u"@ jan#\"a  b\" #2004 "_s, true, u"jan(0) \"a b\"(4) 2004(1)"_s,
         u"@jan # \"a b\" # 2004"_s, nullptr},
        {"atAlone", u"@"_s, true, QString(), u"@"_s, nullptr},
        {"danglingSharp", u"@a #"_s, true, u"a(0)"_s, u"@a"_s, nullptr},
        {"assignment", u"@a = b"_s, false, QString(), u"@a"_s, u"ReadError_FieldSyntax2"},
        {"sharpFirst", u"@# a"_s, false, QString(), u"@"_s, u"ReadError_FieldSyntax2"},
        {"unbalanced", u"@{x"_s, false, QString(), u"@"_s, u"ReadError_MissingCloseBra"},
    };
    for (const auto &[name, text, valid, expectedElements, expectedText, errorKey] : rows) {
        QString normalised;
        QString error = u"stale"_s;
        const auto elements = BibElement::checkValidity(text, normalised, &error);
        ASSERT_EQ(elements.has_value(), valid) << name;
        if (elements) {
            EXPECT_EQ(render(*elements), expectedElements) << name;
        }
        EXPECT_EQ(normalised, expectedText) << name;
        EXPECT_EQ(error, expectedError(errorKey)) << name;
    }
}
