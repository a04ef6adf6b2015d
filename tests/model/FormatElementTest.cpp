#include "model/FormatElement.h"

#include "core/Texts.h"

#include <QHash>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

static void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace {

// An entry as far as templates see it: the values of its slots.
struct FakeItem
{
    QHash<QString, QString> fields;
    QString fieldDataForListFormat(const QString &name) const { return fields.value(name); }
};

QString render(const QString &rule, const FakeItem &item, int kind)
{
    QString error;
    QString text;
    for (const FormatElement &element : FormatElement::elementArrayWithString(rule, error))
        text += element.elementStringOfItem(item, kind);
    return text;
}

QString errorText(const char *key)
{
    return key ? Texts::text(QString::fromUtf8(key)) : QString();
}

} // namespace

TEST(FormatElementGrammar, parsesTemplatesIntoElements)
{
    // normalized: the elements read, written back
    const std::tuple<const char *, const char16_t *, QStringList, const char *> rows[] = {
        {"reference template",
         u"[<author>, ][<journal>][| <volume>][ (<year>)][ <abbrev_pages>][.]",
         {u"[<author>, ]"_s, u"[<journal>]"_s, u"[| <volume>]"_s, u"[ (<year>)]"_s,
          u"[ <abbrev_pages>]"_s, u"[.]"_s},
         nullptr},
        {"open bracket at the end", u"[a][", {u"[a]"_s}, nullptr},
        {"empty element ends the template", u"[a][][b]", {u"[a]"_s}, nullptr},
        {"style marker alone is empty", u"[a][/][b]", {u"[a]"_s}, nullptr},
        {"yen reads as backslash", u"[\u00a5<x]", {u"[\\<x]"_s}, nullptr},
        {"alternatives lower-cased, spaces dropped",
         u"[<Author / Editor/KEY>]",
         {u"[<author/editor/key>]"_s},
         nullptr},
        {"closing bracket first", u"x]", {}, "FormatError_MissingOpenBrace"},
        {"unclosed element", u"[a][b", {u"[a]"_s}, "FormatError_MissingCloseBrace"},
        {"unclosed slot at the end", u"[<a", {}, "FormatError_MissingCloseBrace"},
        {"bracket inside a slot", u"[<a]", {}, "FormatError_MissingEndField"},
        {"backslash inside a slot", u"[<a\\b>]", {}, "FormatError_BadCharInField"},
        {"empty alternative", u"[</a>]", {}, "FormatError_BadCharInField"},
        {"closing angle outside", u"[a>b]", {}, "FormatError_Syntax"},
        {"empty slot", u"[<>]", {}, "FormatError_Syntax"},
        {"trailing slash in a slot", u"[<a/>]", {}, "FormatError_Syntax"},
        {"two slots", u"[x][<a> <b>][y]", {u"[x]"_s}, "FormatError_TooManyFieldBlock"},
    };
    for (const auto &[name, rule, expected, errorKey] : rows) {
        QString error = u"stale"_s;
        const QList<FormatElement> elements =
            FormatElement::elementArrayWithString(QString::fromUtf16(rule), error);
        QStringList normalized;
        for (const FormatElement &element : elements)
            normalized << element.normalizedString();
        EXPECT_EQ(normalized, expected) << name;
        EXPECT_EQ(error, errorText(errorKey)) << name;
    }
}

TEST(FormatElementGrammar, normalizedTextReadsBackToTheSameElements)
{
    const char16_t *rules[] = {
        u"[a\\]b][\\[x][\\<lit\\>][a[b]c][\\\\][\\/x][\\|y][\\_z]",
        u"[/``<title>''][_<Note/Key>]",
        u"  junk [ spaced    out ] junk",
    };
    for (const char16_t *rule : rules) {
        QString error;
        const QString once = FormatElement::normalizedStringOf(QString::fromUtf16(rule), error);
        EXPECT_TRUE(error.isEmpty()) << qPrintable(QString::fromUtf16(rule));
        EXPECT_EQ(FormatElement::elementArrayWithString(once, error),
                  FormatElement::elementArrayWithString(QString::fromUtf16(rule), error))
            << qPrintable(once);
        EXPECT_EQ(FormatElement::normalizedStringOf(once, error), once);
    }
    QString error;
    EXPECT_EQ(FormatElement::normalizedStringOf(u"[a][<x> <y>]"_s, error), u"[a]"_s);
    EXPECT_EQ(error, Texts::text(u"FormatError_TooManyFieldBlock"));
}

TEST(FormatElementRendering, rendersByOutputKind)
{
    const FakeItem item{{
        {u"author"_s, u"Knuth, D. E."_s},
        {u"volume"_s, u"12"_s},
        {u"title"_s, u"On {\\TeX}"_s},
        {u"b"_s, u"B"_s},
        {u"c"_s, u"C"_s},
        {u"pages"_s, u"1--10"_s},
    }};
    const std::tuple<const char *, const char16_t *, int, const char16_t *> rows[] = {
        {"bold HTML, blank outside", u"[| <volume>]", 4, u" <b>12</b>"},
        {"bold TeX", u"[| <volume>]", 3, u" {\\bf 12}"},
        {"italic quotes HTML", u"[/``<title>'']", 6, u"<i>&ldquo;On TeX&rdquo;</i>"},
        {"italic quotes TeX", u"[/``<title>'']", 3, u"{\\it ``On {\\TeX}''}"},
        {"underline TeX", u"[_<volume>]", 3, u"\\underline{12}"},
        {"dashes converted for text", u"[ pp. <pages>]", 7, u" pp. 1\u201310"},
        {"dashes kept for TeX", u"[ pp. <pages>]", 3, u" pp. 1--10"},
        {"absent field vanishes with its text", u"[<author>, ][<editor>, ][<year>]", 7,
         u"Knuth, D. E., "},
        {"first non-empty alternative", u"[<a/b/c>]", 7, u"B"},
        {"no alternative at all", u"[(<a/x>)]", 7, u""},
        {"element without slot always renders", u"[.]", 4, u"."},
        {"blanks on both sides stay outside", u"[/ <volume> ]", 4, u" <i>12</i> "},
        {"blank separator is one blank", u"[<b>][ ][<c>]", 4, u"B C"},
        {"template with error keeps earlier elements", u"[<b>][<x> <y>][<c>]", 7, u"B"},
    };
    for (const auto &[name, rule, kind, expected] : rows)
        EXPECT_EQ(render(QString::fromUtf16(rule), item, kind), QString::fromUtf16(expected))
            << name;
}
