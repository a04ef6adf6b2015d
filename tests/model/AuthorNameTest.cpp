#include "model/AuthorName.h"

#include "core/Texts.h"
#include "tex/TeXtoText.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

QString u8(const char *text)
{
    return QString::fromUtf8(text);
}

class AuthorNameTest : public testing::Test
{
protected:
    static void SetUpTestSuite() { TeXtoText::createGlobalObject(); }
};

struct NameRow
{
    const char *label;
    const char *field;
    const char *family;
    const char *given;
};

void expectSingleName(const NameRow &row, const QList<AuthorName> &names)
{
    ASSERT_EQ(names.size(), 1) << row.label;
    EXPECT_EQ(names.first().familyName(), u8(row.family)) << row.label;
    EXPECT_EQ(names.first().givenName(), u8(row.given)) << row.label;
}

// The names of a field, joined by "|".
QString namesOf(const QList<AuthorName> &names)
{
    QStringList got;
    for (const AuthorName &name : names)
        got << name.stringValue();
    return got.join(u'|');
}

} // namespace

TEST_F(AuthorNameTest, westernForms)
{
    const NameRow rows[] = {
        {"given first", "Walter E. Harmon", "Harmon", "W.E."},
        {"family comma given", "Harmon, Walter E.", "Harmon", "W.E."},
        {"particle inside", "Pieter van Dalen", "van Dalen", "P."},
        {"von last jr first", "von Last, Jr, First", "von Last, Jr", "F."},
        {"trailing Jr", "John Smith Jr", "Smith Jr", "J."},
        {"particles only", "de la Roche", "de la Roche", ""},
        {"accented initial stays accented", "Émile Zola", "Zola", "É."},
        {"roman numeral at the end", "John Smith III", "Smith III", "J."},
        {"middle initial without full stop", "John M Smith", "Smith", "J.M."},
        {"doubled comma", "Wall,, Larry", "Wall", "L."},
        {"Jr after a comma stays a given part", "Richard H. Granger, Jr", "Richard H. Granger",
         "J."},
        {"markup dropped", "{Barnes} [X] $Y$ \\relax Noble", "Noble", "B.X.Y."},
    };
    for (const NameRow &row : rows)
        expectSingleName(row, AuthorName::createNamesFrom(u8(row.field)));
}

TEST_F(AuthorNameTest, japaneseNamesKeepTheirOrder)
{
    const NameRow rows[] = {
        {"family space given", "山田 太郎", "山田", "太郎"},
        {"no space", "山田太郎", "山田太郎", ""},
        {"ideographic space", "山田\xE3\x80\x80太郎", "山田", "太郎"},
        {"comma form", "山田, 太郎", "山田", "太郎"},
    };
    for (const NameRow &row : rows) {
        const QList<AuthorName> names = AuthorName::createNamesFrom(u8(row.field));
        expectSingleName(row, names);
        EXPECT_TRUE(names.value(0).isJapanese()) << row.label;
    }
    const AuthorName name = AuthorName::createNamesFrom(u8("山田 太郎")).first();
    EXPECT_EQ(name.stringValueWithFormat(0), u8("山田 太郎"));
    EXPECT_EQ(name.stringValueWithFormat(2), u8("山田"));
    EXPECT_EQ(name.stringValueWithFormat(3), u8("太郎 山田"));
    EXPECT_EQ(name.nameForSearch(), u8("山田 太郎"));
    EXPECT_EQ(name.familyNameForKey(), u8("山田"));
}

TEST_F(AuthorNameTest, fieldsSplitIntoNames)
{
    const std::tuple<const char *, const char *, const char *> rows[] = {
        {"two names", "Walter E. Harmon and Pieter van Dalen", "Harmon, W.E.|van Dalen, P."},
        {"and others", "A. Smith and B. Jones and others", "Smith, A.|Jones, B.|etc."},
        {"final and loses the name before it", "A. Smith and B. Jones and", "Smith, A."},
        {"final and with a blank keeps both", "A. Smith and B. Jones and ", "Smith, A.|Jones, B."},
        {"leading and yields nothing", "and A. Smith", ""},
        {"braces do not protect and", "{Barnes and Noble}", "Barnes|Noble"},
        {"ideographic comma", "山田 太郎、鈴木 花子", "山田 太郎|鈴木 花子"},
        {"and before a comma", "Smith and, Jones", "Smith|Jones"},
        {"only commas", ", ,", ""},
        {"empty", "", ""},
    };
    for (const auto &[label, field, expected] : rows)
        EXPECT_EQ(namesOf(AuthorName::createNamesFrom(u8(field))), u8(expected)) << label;
    // TeX names keep brace groups whole.
    EXPECT_EQ(namesOf(AuthorName::createTeXNamesFrom(u8("{Barnes and Noble} and Ann {van} Smith"))),
              u8("{Barnes and Noble}|Smith, A.v."));
}

TEST_F(AuthorNameTest, formatsOfWesternNames)
{
    const AuthorName name = AuthorName::createNamesFrom(u8("Walter E. Harmon")).first();
    EXPECT_EQ(name.stringValueWithFormat(0), u8("Harmon, W.E."));
    EXPECT_EQ(name.stringValueWithFormat(1), u8("W.E. Harmon"));
    EXPECT_EQ(name.stringValueWithFormat(2), u8("Harmon"));

    const AuthorName single = AuthorName::createNamesFrom(u8("Aristotle")).first();
    for (int format : {0, 1, 2, 3})
        EXPECT_EQ(single.stringValueWithFormat(format), u8("Aristotle")) << format;
}

TEST_F(AuthorNameTest, searchAndKeyFormsFoldToLatinLetters)
{
    const auto search = [](const char *field) {
        return AuthorName::createNamesFrom(u8(field)).value(0).nameForSearch();
    };
    EXPECT_EQ(search("José Müller"), u8("Muller, J."));
    // Letters without a Latin form stay, so such names remain findable.
    EXPECT_EQ(search("Иван Иванов"), u8("Иванов, И."));
    // Key parts keep only ASCII letters.
    const AuthorName name =
        AuthorName::createNamesFrom(u8("Anne-Sophie Müller-Lüdenscheidt")).first();
    EXPECT_EQ(name.familyNameForKey(), u8("MullerLudenscheidt"));
    EXPECT_EQ(name.givenNameForKey(), u8("AS"));
    EXPECT_EQ(AuthorName::createNamesFrom(u8("Łukasz Þórsson")).first().familyNameForKey(),
              u8("THorsson"));
    EXPECT_EQ(AuthorName::createNamesFrom(u8("Иван Иванов")).first().familyNameForKey(), u8(""));
    // Letters that spell out fold without the transliterator; others go through it.
    EXPECT_EQ(AuthorName::foldToAscii(u8("ÆæÐđØøÞþßıĲĳŁłŒœ Ħ"), false),
              u8("AEaeDdOoTHthssiIJijLlOEoe H"));
}

TEST_F(AuthorNameTest, pseudoNamesSortAtTheEnds)
{
    const AuthorName all = AuthorName::authorNameForAllAuthors();
    EXPECT_TRUE(all.isAll());
    EXPECT_EQ(all.familyName(), Texts::text(u"AllAuthors"));
    const QList<AuthorName> names =
        AuthorName::createNamesFrom(u8("B. Beta and A. Alpha and others"));
    ASSERT_EQ(names.size(), 3);
    const AuthorName &beta = names[0], &alpha = names[1], &others = names[2];
    EXPECT_LT(all.compareNames(alpha), 0);
    EXPECT_LT(alpha.compareNames(beta), 0);
    EXPECT_LT(beta.compareNames(others), 0);
    EXPECT_GT(others.compareNames(all), 0);
    EXPECT_TRUE(others.isOthers());
    EXPECT_TRUE(others.nameForSearch().isEmpty());
}

TEST_F(AuthorNameTest, texNamesKeepMarkup)
{
    const NameRow rows[] = {
        {"accent command initial", "{\\'E}mile Zola", "Zola", "{\\'{E}}."},
        {"letter command initial", "{\\O}ystein Ore", "Ore", "{\\O}."},
        {"braced family kept", "Donald {Knuth}", "{Knuth}", "D."},
        {"letter command keeps its word apart", "Hans Gro\\ss e", "Gro\\ss{}e", "H."},
        {"braced corporate name stays whole", "{R Core Team}", "{R Core Team}", ""},
        {"braces keep full stops", "{U.S. Army} Corps", "Corps", "U."},
        {"yen sign reads as a backslash", "Kurt G{\xC2\xA5\"o}del", "G{\\\"o}del", "K."},
    };
    for (const NameRow &row : rows)
        expectSingleName(row, AuthorName::createTeXNamesFrom(u8(row.field)));
}

TEST_F(AuthorNameTest, initialsOfOneWord)
{
    const AuthorName western;
    const std::tuple<const char *, const char *> rows[] = {
        {"Jean-Marc", "J.-M."}, {"Walter", "W."}, {"-Pierre", "-P."},
        {"Ann-", "A.-."},       {"a\\-b", "a."},  {"\xF0\x9D\x94\x84lpha", "\xF0\x9D\x94\x84."},
    };
    for (const auto &[word, initials] : rows)
        EXPECT_EQ(western.initialize(u8(word), false), u8(initials)) << word;
}

TEST_F(AuthorNameTest, hostileFieldsNeverYieldAnEmptyFamily)
{
    QStringList fields = {u8("\\"),    u8("}}}}"), u8("\\'"),    u8(".."),           u8("a,,,b"),
                          u8(", x"),   u8("x ,"),  u8("\\\\\\"), u8("\xE3\x80\x81"), u8("$$$$"),
                          u8("{\\'}"), u8("-."),   u8("x and"),  u8("\xF0\x9D\x94"), u8("Jr")};
    const QString alphabet = u8("aZ .,-{}\\'\"$[]~and others 山、，Jr");
    quint32 seed = 777;
    const auto next = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) & 0x7FFF;
    };
    for (int round = 0; round < 5000; ++round) {
        QString text;
        for (int i = int(next() % 30); i > 0; --i)
            text += alphabet.at(next() % alphabet.size());
        fields << text;
    }
    for (const QString &text : fields) {
        for (const auto &names :
             {AuthorName::createNamesFrom(text), AuthorName::createTeXNamesFrom(text)}) {
            for (const AuthorName &name : names)
                ASSERT_FALSE(name.familyName().isEmpty()) << qPrintable(text);
        }
    }
}
