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
    const std::tuple<const char *, QString, bool, QString, const char16_t *> rows[] = {
        {"entry", u"{key, title = {A {B} C}, year = 2004}"_s, true,
         u"key(0) ,(8) title(0) =(6) {A {B} C}(3) ,(8) year(0) =(6) 2004(1)"_s, nullptr},
        {"concatenation", u"month = jan # \" 1\""_s, false,
         u"month(0) =(6) jan(0) #(7) \" 1\"(4)"_s, nullptr},
        {"separatorsNeedNoSpaces", u"a=b#c,d"_s, false, u"a(0) =(6) b(0) #(7) c(0) ,(8) d(0)"_s,
         nullptr},
        {"tenDigitsAreAWord", u"a = 1234567890"_s, false, u"a(0) =(6) 1234567890(0)"_s, nullptr},
        {"separatorsInsideBracesStay", u"a = {x=y, #z}"_s, false, u"a(0) =(6) {x=y, #z}(3)"_s,
         nullptr},
        {"whiteSpaceRunsCollapse", u"a\t=\n{x \n\t y}"_s, false, u"a(0) =(6) {x y}(3)"_s, nullptr},
        {"yenIsABackslash", u"a = {\u00a5alpha}"_s, false, u"a(0) =(6) {\\alpha}(3)"_s, nullptr},
        // A double quote inside braces is a character, kept as written.
        {"quotesInsideBracesStay", u"a = {say \"hi\" now}"_s, false,
         u"a(0) =(6) {say \"hi\" now}(3)"_s, nullptr},
        {"germanBabelQuotes", u"a = {\"`Bacho\\TeX\"' Gro\"s \"Uberblick}"_s, false,
         u"a(0) =(6) {\"`Bacho\\TeX\"' Gro\"s \"Uberblick}(3)"_s, nullptr},
        {"annotationMarkup", u"a = {1:family=\"student\"; id=\"k0025\"}"_s, false,
         u"a(0) =(6) {1:family=\"student\"; id=\"k0025\"}(3)"_s, nullptr},
        {"quotedWordInnerBraces", u"a = {x {\"y\"} w}"_s, false, u"a(0) =(6) {x {\"y\"} w}(3)"_s,
         nullptr},
        {"quoteInBracesDoesNotHideABrace", u"a = {x \"y} b = {\"}"_s, false,
         u"a(0) =(6) {x \"y}(3) b(0) =(6) {\"}(3)"_s, nullptr},
        {"loneQuoteInBraces", u"a = {12\" ruler}"_s, false, u"a(0) =(6) {12\" ruler}(3)"_s,
         nullptr},
        {"quoteClosedByTeXApostrophes", u"a = {Reply to \"Comment'' [x]}"_s, false,
         u"a(0) =(6) {Reply to \"Comment'' [x]}(3)"_s, nullptr},
        {"quotePartnerDeeperIsNotAPartner", u"a = {x \"y {z\"} w}"_s, false,
         u"a(0) =(6) {x \"y {z\"} w}(3)"_s, nullptr},
        {"bracedQuoteInsideQuotes", u"a = \"Marky {\"}The Beasty{\"} Q\""_s, false,
         u"a(0) =(6) \"Marky {\"}The Beasty{\"} Q\"(4)"_s, nullptr},
        {"quotedValueStartsAToken", u"a = x\"y z\""_s, false, u"a(0) =(6) x(0) \"y z\"(4)"_s,
         nullptr},
        {"textAfterQuoteJoins", u"a = \"x\"b"_s, false, u"a(0) =(6) \"x\"b(0)"_s, nullptr},
        {"bracesInsideQuotes", u"a = \"x {y} z\""_s, false, u"a(0) =(6) \"x {y} z\"(4)"_s, nullptr},
        {"escapedBraceDoesNotNest", u"a = {\\{}"_s, false, u"a(0) =(6) {\\{}(3)"_s, nullptr},
        {"escapedQuoteDoesNotQuote", u"a = \"\\\"x\""_s, false, u"a(0) =(6) \"\\\"x\"(4)"_s,
         nullptr},
        {"escapedDollarIsNotMath", u"a = {\\$x}"_s, false, u"a(0) =(6) {\\$x}(3)"_s, nullptr},
        {"texCommandToken", u"a = \\relax"_s, false, u"a(0) =(6) \\relax(9)"_s, nullptr},
        {"mathToken", u"a = $x {y}$"_s, false, u"a(0) =(6) $x(0) {y}$(0)"_s, nullptr},
        {"mathInBraces", u"a = {$x {y}$}"_s, false, u"a(0) =(6) {$x {y}$}(3)"_s, nullptr},
        {"dollarSignInAUrl", u"a = {http://x/all/$file/y.pdf}"_s, false,
         u"a(0) =(6) {http://x/all/$file/y.pdf}(3)"_s, nullptr},
        {"dollarSignInQuotes", u"a = \"x/$file/y\""_s, false, u"a(0) =(6) \"x/$file/y\"(4)"_s,
         nullptr},
        {"dollarsAcrossGroupsInAValue", u"a = {New ${$\\Xi${}}_{b}$ Baryon}"_s, false,
         u"a(0) =(6) {New ${$\\Xi${}}_{b}$ Baryon}(3)"_s, nullptr},
        {"loneBackslashAtEnd", u"a = b\\"_s, false, u"a(0) =(6) b\\(0)"_s, nullptr},
        {"emptyText", QString(), false, QString(), nullptr},
        {"nulIsKept", QStringView(u"a = {x\0y}", 9).toString(), false,
         QStringView(u"a(0) =(6) {x\0y}(3)", 18).toString(), nullptr},
        {"unpairedSurrogatesAreText", u"a = {\xD800x\xDC00}"_s, false,
         u"a(0) =(6) {\xD800x\xDC00}(3)"_s, nullptr},
        // Failures keep the tokens read so far.
        {"parenthesisedEntry", u"(key, a = b)"_s, true, QString(), u"ReadError_MissingOpenBra"},
        {"nothingToOpen", u"  "_s, true, QString(), u"ReadError_MissingOpenBra"},
        {"unclosedEntry", u"{a = {b}"_s, true, u"a(0) =(6) {b}(3)"_s, u"ReadError_MissingCloseBra"},
        {"unclosedValue", u"a = {b"_s, false, u"a(0) =(6) {b(0)"_s, u"ReadError_MissingCloseBra"},
        {"surplusBrace", u"a = b}"_s, false, u"a(0) =(6) b(0)"_s, u"ReadError_TooManyBra"},
        // Inside a value a dollar that cannot open or close math at its
        // brace level is a character; at the top level math must close.
        {"mathAcrossBraces", u"a = {$x}$"_s, false, u"a(0) =(6) {$x}$(0)"_s,
         u"ReadError_MissingEndMath"},
        {"mathClosingInADeeperGroup", u"a = $x {$} y$ $"_s, false, u"a(0) =(6) $x(0) {(0)"_s,
         u"ReadError_BadMathNesting"},
        {"unclosedQuote", u"a = \"x"_s, false, u"a(0) =(6) \"x(0)"_s, u"ReadError_MissingEndQuote"},
        {"quoteClosingOutsideItsBraces", u"a = \"x}\""_s, false, u"a(0) =(6) \"x}(0)"_s,
         u"ReadError_TooManyQuote"},
        {"unclosedMath", u"a = $x"_s, false, u"a(0) =(6) $x(0)"_s, u"ReadError_MissingEndMath"},
        {"unclosedQuoteWinsOverMath", u"{a = \"$x"_s, true, u"a(0) =(6) \"$x(0)"_s,
         u"ReadError_MissingEndQuote"},
        {"truncatedAfterBackslash", u"{a = {x\\"_s, true, u"a(0) =(6) {x\\(0)"_s,
         u"ReadError_MissingCloseBra"},
    };
    for (const auto &[name, text, needsBraket, tokens, errorKey] : rows) {
        StringInputStream stream = readerStream(text);
        QString error = u"stale"_s;
        const QList<BibElement> elements =
            BibElement::getElementsFromStream(stream, error, needsBraket);
        EXPECT_EQ(render(elements), tokens) << name;
        EXPECT_EQ(error, expectedError(errorKey)) << name;
    }
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
    ASSERT_EQ(elements.size(), 3);
    EXPECT_EQ(elements[2].elementType(), BibElement::BracedString);
    EXPECT_EQ(elements[2].stringValue().size(), 2 * depth + 1);

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
        {"concatenationDropsSharps", u"{k, month = jan # \" 1\"}"_s, true,
         u"bibkey=[k(2)]; month=[jan(0) \" 1\"(4)]"_s},
        {"namesAreLowerCased", u"{Title = {x}}"_s, false, u"title=[{x}(3)]"_s},
        // As in BibTeX the first value counts; later ones are kept renamed.
        {"repeatedNameKeepsEveryValue", u"{a = {x}, A = {y}, a = z}"_s, false,
         u"a=[{x}(3)]; a.1=[{y}(3)]; a.2=[z(0)]"_s},
        {"trailingComma", u"{title = {x},}"_s, false, u"title=[{x}(3)]"_s},
        {"emptyValueDropsTheField", u"{note = , title = {x}}"_s, false, u"title=[{x}(3)]"_s},
        {"danglingSharp", u"{a = b #, c = d #}"_s, false, u"a=[b(0)]; c=[d(0)]"_s},
        {"numberKey", u"{2004, a = b}"_s, true, u"a=[b(0)]; bibkey=[2004(2)]"_s},
        {"keyAlone", u"{key}"_s, true, u"bibkey=[key(2)]"_s},
        {"keyWithComma", u"{key,}"_s, true, u"bibkey=[key(2)]"_s},
        {"fieldCalledBibkeyKeepsTheKey", u"{k, bibkey = {x}}"_s, true, u"bibkey=[k(2)]"_s},
        {"fieldCalledBibkeyWithoutKey", u"{bibkey = {x}}"_s, false, u"bibkey=[{x}(3)]"_s},
        {"nothing", u"{}"_s, false, QString()},
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
        {"nameAtEnd", u"{a = b, Title}"_s, false, u"ReadError_NoEqual", u"title"_s},
        {"twoValues", u"{title = {x} {y}}"_s, false, u"ReadError_FieldSyntax", u"title"_s},
        {"sharpFirst", u"{a = # b}"_s, false, u"ReadError_FieldSyntax", u"a"_s},
        {"doubleEqual", u"{a = = b}"_s, false, u"ReadError_FieldSyntax", u"a"_s},
        {"texCommandValue", u"{a = \\relax}"_s, false, u"ReadError_FieldSyntax", u"a"_s},
        {"numberAsName", u"{2004 = {x}}"_s, false, u"ReadError_BadFieldName", u"2004"_s},
        {"bracedName", u"{{a} = {x}}"_s, false, u"ReadError_BadFieldName", u"{a}"_s},
        {"commaAsName", u"{a = b,, c = d}"_s, false, u"ReadError_BadFieldName", u","_s},
        {"missingKeyComma", u"{key title = {x}}"_s, true, u"ReadError_NoComma", u"key"_s},
        {"quotedKey", u"{\"key\", a = b}"_s, true, u"ReadError_BadBibKey", u"\"key\""_s},
        {"noKeyAtAll", u"{}"_s, true, u"ReadError_BadBibKey", u""_s},
        {"commaInsteadOfKey", u"{, a = b}"_s, true, u"ReadError_BadBibKey", u","_s},
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
        EXPECT_TRUE(error.contains(argument)) << name;
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
        {"whiteSpaceCollapses", u"a \t\n b"_s, u"a b"_s},
        {"yenBecomesBackslash", u"\u00a5alpha"_s, u"\\alpha"_s},
        {"escapedBraceIsText", u"\\{"_s, u"\\{"_s},
        {"trailingBackslash", u"a\\"_s, u"a\\"_s},
        {"math", u"$x {y}$"_s, u"$x {y}$"_s},
        {"dollarsNeedNotPair", u"{$x}$ costs $5"_s, u"{$x}$ costs $5"_s},
        {"loneQuoteIsACharacter", u"a 12\" ruler"_s, u"a 12\" ruler"_s},
        {"quotesDoNotNest", u"\"{\"}"_s, u"\"{\"}"_s},
        {"empty", QString(), u""_s},
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
        {"twoValues", u"@a b"_s, false, QString(), u"@a"_s, u"ReadError_FieldSyntax2"},
        {"sharpFirst", u"@# a"_s, false, QString(), u"@"_s, u"ReadError_FieldSyntax2"},
        {"texCommand", u"@\\relax"_s, false, QString(), u"@"_s, u"ReadError_FieldSyntax2"},
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
