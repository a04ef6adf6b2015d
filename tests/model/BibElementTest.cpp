#include "model/BibElement.h"

#include "model/MacroSource.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// A macro list that answers "<name>" for display and "tex:<name>" for TeX,
// and remembers what it was asked.
class RecordingMacros : public MacroSource
{
public:
    QString expandMacro(const QString &name, bool searchCommon) const override
    {
        asked = name;
        askedCommon = searchCommon;
        return u'<' + name + u'>';
    }
    QString expandMacroInTeX(const QString &name, bool searchCommon) const override
    {
        asked = name;
        askedCommon = searchCommon;
        return u"tex:"_s + name;
    }
    mutable QString asked;
    mutable bool askedCommon = false;
};

} // namespace

TEST(BibElement, classifiesTextByShape)
{
    const std::tuple<const char *, QString, qint32> rows[] = {
        {"braced", u"{a}"_s, BibElement::BracedString},
        {"bracedByEndsOnly", u"{a}b{c}"_s, BibElement::BracedString},
        {"quoted", u"\"a b\""_s, BibElement::QuotedString},
        {"loneQuote", u"\""_s, BibElement::QuotedString},
        {"math", u"$x^2$"_s, BibElement::Math},
        {"texCommand", u"\\alpha"_s, BibElement::TeXCommand},
        {"nineDigits", u"123456789"_s, BibElement::Number},
        {"tenDigitsAreAWord", u"1234567890"_s, BibElement::Word},
        {"emptyIsANumber", QString(), BibElement::Number},
        {"digitsThenLetter", u"12a"_s, BibElement::Word},
        {"nonAsciiDigit", u"\u0663"_s, BibElement::Word},
        {"openBraceOnly", u"{"_s, BibElement::Word},
        {"unclosedBrace", u"{x"_s, BibElement::Word},
        {"braceThenQuote", u"{x\""_s, BibElement::Word},
        {"macroName", u"jan"_s, BibElement::Word},
    };
    for (const auto &[name, text, type] : rows) {
        const BibElement element = BibElement::bibElementWithString(text);
        EXPECT_EQ(element.elementType(), type) << name;
        EXPECT_EQ(element.stringValue(), text) << name;
    }
}

TEST(BibElement, stringContentsStripsOnlyBracesAndQuotes)
{
    const std::tuple<const char *, BibElement, QString> rows[] = {
        {"braced", BibElement(BibElement::BracedString, u"{A {B}}"_s), u"A {B}"_s},
        {"quoted", BibElement(BibElement::QuotedString, u"\"x\""_s), u"x"_s},
        {"shortBraced", BibElement(BibElement::BracedString, u"{"_s), u""_s},
        {"emptyQuoted", BibElement(BibElement::QuotedString, QString()), u""_s},
        {"mathKeepsDollars", BibElement(BibElement::Math, u"$x$"_s), u"$x$"_s},
        {"wordAsIs", BibElement(BibElement::Word, u"jan"_s), u"jan"_s},
        {"specialAsIs", BibElement(BibElement::Special, u"{k}"_s), u"{k}"_s},
    };
    for (const auto &[name, element, contents] : rows)
        EXPECT_EQ(element.stringContents(), contents) << name;
}

TEST(BibElementMacros, wordsAreLookedUpUpperCaseWithTheCommonList)
{
    RecordingMacros macros;
    const BibElement word = BibElement::bibElementWithString(u"jan"_s);
    EXPECT_EQ(word.stringWithMacro(&macros), u"<JAN>"_s);
    EXPECT_EQ(macros.asked, u"JAN"_s);
    EXPECT_TRUE(macros.askedCommon);
    EXPECT_EQ(word.stringWithMacroInTeX(&macros), u"tex:JAN"_s);
    // Without a list a name stands for itself.
    EXPECT_EQ(word.stringWithMacro(nullptr), u"JAN"_s);
    EXPECT_EQ(word.stringWithMacroInTeX(nullptr), u"JAN"_s);
}

TEST(BibElementMacros, otherKindsNeverReachTheMacroList)
{
    const std::tuple<const char *, QString, QString> rows[] = {
        {"braced", u"{A {B}}"_s, u"A {B}"_s},       {"quoted", u"\"x y\""_s, u"x y"_s},
        {"number", u"2004"_s, u"2004"_s},           {"math", u"$x$"_s, u"$x$"_s},
        {"texCommand", u"\\relax"_s, u"\\relax"_s},
    };
    for (const auto &[name, text, value] : rows) {
        RecordingMacros macros;
        const BibElement element = BibElement::bibElementWithString(text);
        EXPECT_EQ(element.stringWithMacro(&macros), value) << name;
        EXPECT_EQ(element.stringWithMacroInTeX(&macros), value) << name;
        EXPECT_TRUE(macros.asked.isNull()) << name;
    }
}

TEST(BibElementArchive, roundTripsEveryKindThroughJsonText)
{
    const QList<BibElement> elements = {
        BibElement::bibElementWithString(u"{A \"q\" \u00e9}"_s),
        BibElement::bibElementWithQuoteString(u"x\ty"_s),
        BibElement::bibElementWithSpecial(u"key:2004"_s),
        BibElement::bibElementWithString(QString()),
        BibElement::bibElementComma(),
        BibElement(BibElement::TeXCommand, u"\\\u0000"_s),
    };
    QJsonArray array;
    for (const BibElement &element : elements)
        array.append(element.archive());
    const QByteArray json = QJsonDocument(array).toJson(QJsonDocument::Compact);
    const QJsonArray restored = QJsonDocument::fromJson(json).array();
    ASSERT_EQ(restored.size(), elements.size());
    for (qsizetype i = 0; i < elements.size(); ++i)
        EXPECT_EQ(BibElement::fromArchive(restored.at(i)), elements.at(i)) << i;
}

TEST(BibElementArchive, rejectsWhatIsNotAnElement)
{
    const std::tuple<const char *, QByteArray> rows[] = {
        {"notAnObject", "[1, \"x\"]"},
        {"missingType", R"({"elementData": "x"})"},
        {"missingData", R"({"elementType": 0})"},
        {"typeAsText", R"({"elementType": "0", "elementData": "x"})"},
        {"fractionalType", R"({"elementType": 1.5, "elementData": "x"})"},
        {"negativeType", R"({"elementType": -1, "elementData": "x"})"},
        {"unknownType", R"({"elementType": 10, "elementData": "x"})"},
        {"dataAsNumber", R"({"elementType": 1, "elementData": 2004})"},
    };
    for (const auto &[name, json] : rows) {
        const QJsonDocument document = QJsonDocument::fromJson("[" + json + "]");
        EXPECT_FALSE(BibElement::fromArchive(document.array().at(0)).has_value()) << name;
    }
}

TEST(BibElement, anElementReadsTheSameHoweverItWasMade)
{
    // Made from the token, from the text as read, or by changing the type
    // of a word: the same element, the same text as read.
    const BibElement fromToken = BibElement::bibElementWithString(QStringView(u"{A \"b\"}"));
    const BibElement fromText(BibElement::BracedString, u"{A \"b\"}"_s);
    BibElement retyped(BibElement::Word, u"{A \"b\"}"_s);
    retyped.setType(BibElement::BracedString);
    EXPECT_EQ(fromToken, fromText);
    EXPECT_EQ(retyped, fromText);
    EXPECT_EQ(fromToken.stringValue(), u"{A \"b\"}");
    retyped.setType(BibElement::Word);
    EXPECT_EQ(retyped.stringValue(), u"{A \"b\"}");
    EXPECT_EQ(retyped.stringContents(), u"{A \"b\"}");
    // A quoted string made from its inside reads back with its quotes.
    EXPECT_EQ(BibElement::bibElementWithQuoteString(u"x"_s),
              BibElement(BibElement::QuotedString, u"\"x\""_s));
    // The inside is shared, not copied, by every reader of the contents.
    EXPECT_TRUE(fromText.stringContents().isSharedWith(fromText.stringContents()));
}
