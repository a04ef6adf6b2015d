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
        {"nonAsciiDigit", u"\u0663"_s, BibElement::Word},
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
        {"shortBraced", BibElement(BibElement::BracedString, u"{"_s), u""_s},
        {"mathKeepsDollars", BibElement(BibElement::Math, u"$x$"_s), u"$x$"_s},
    };
    for (const auto &[name, element, contents] : rows)
        EXPECT_EQ(element.stringContents(), contents) << name;
}

TEST(BibElementMacros, onlyWordsReachTheMacroListUpperCased)
{
    // Display and TeX form, and the name the list was asked for.
    const std::tuple<const char *, QString, QString, QString, QString> rows[] = {
        {"word", u"jan"_s, u"<JAN>"_s, u"tex:JAN"_s, u"JAN"_s},
        {"braced", u"{A {B}}"_s, u"A {B}"_s, u"A {B}"_s, QString()},
        {"quoted", u"\"x y\""_s, u"x y"_s, u"x y"_s, QString()},
        {"number", u"2004"_s, u"2004"_s, u"2004"_s, QString()},
    };
    for (const auto &[name, text, display, tex, asked] : rows) {
        RecordingMacros macros;
        const BibElement element = BibElement::bibElementWithString(text);
        EXPECT_EQ(element.stringWithMacro(&macros), display) << name;
        EXPECT_EQ(element.stringWithMacroInTeX(&macros), tex) << name;
        EXPECT_EQ(macros.asked, asked) << name;
        EXPECT_EQ(macros.askedCommon, !asked.isNull()) << name;
    }
    // Without a list a name stands for itself.
    EXPECT_EQ(BibElement::bibElementWithString(u"jan"_s).stringWithMacro(nullptr), u"JAN"_s);
    EXPECT_EQ(BibElement::bibElementWithString(u"jan"_s).stringWithMacroInTeX(nullptr), u"JAN"_s);
}

TEST(BibElementArchive, roundTripsThroughJsonTextAndRejectsWhatIsNotAnElement)
{
    const QList<BibElement> elements = {
        BibElement::bibElementWithString(u"{A \"q\" \u00e9}"_s),
        BibElement::bibElementWithQuoteString(u"x\ty"_s),
        BibElement::bibElementWithSpecial(u"key:2004"_s),
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

    const std::tuple<const char *, QByteArray> rows[] = {
        {"notAnObject", "[1, \"x\"]"},
        {"missingType", R"({"elementData": "x"})"},
        {"missingData", R"({"elementType": 0})"},
        {"fractionalType", R"({"elementType": 1.5, "elementData": "x"})"},
        {"negativeType", R"({"elementType": -1, "elementData": "x"})"},
        {"unknownType", R"({"elementType": 10, "elementData": "x"})"},
    };
    for (const auto &[name, bad] : rows) {
        const QJsonDocument document = QJsonDocument::fromJson("[" + bad + "]");
        EXPECT_FALSE(BibElement::fromArchive(document.array().at(0)).has_value()) << name;
    }
}

TEST(BibElement, anElementReadsTheSameHoweverItWasMade)
{
    // Made from the token, from the text as read, or by changing the type
    // of a word: the same element, the same text as read.
    const BibElement fromText(BibElement::BracedString, u"{A \"b\"}"_s);
    BibElement retyped(BibElement::Word, u"{A \"b\"}"_s);
    retyped.setType(BibElement::BracedString);
    EXPECT_EQ(BibElement::bibElementWithString(QStringView(u"{A \"b\"}")), fromText);
    EXPECT_EQ(retyped, fromText);
    retyped.setType(BibElement::Word);
    EXPECT_EQ(retyped.stringContents(), u"{A \"b\"}");
    EXPECT_EQ(BibElement::bibElementWithQuoteString(u"x"_s),
              BibElement(BibElement::QuotedString, u"\"x\""_s));
    // The inside is shared, not copied, by every reader of the contents.
    EXPECT_TRUE(fromText.stringContents().isSharedWith(fromText.stringContents()));
}
