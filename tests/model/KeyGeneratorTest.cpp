#include "model/KeyGenerator.h"

#include "core/Texts.h"
#include "model/ItemTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

const QString kDefaultRule =
    u"[<fam>][<giv>][:<abbrev_journal/abbrev_organization/abbrev_institution/abbrev_school/"
    u"abbrev_publisher/abbrev_booktitle>][<abbrev_volume>][:<year>]"_s;

class KeyGeneratorTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { setUpItemServices(); }

    FakeDatabase db;
};

} // namespace

TEST(KeyCharacters, keepTheKeySetAndEverythingFromU2900AndReadBack)
{
    const std::tuple<QString, QString> rows[] = {
        {u"Harmon W.E.: CACM 12"_s, u"HarmonW.E.:CACM12"_s},
        {u"a_b-c;d|e/f[g](h)"_s, u"a_b-c;d|e/f[g](h)"_s},
        {u"{Müller}, \"x\" 'y' ~z"_s, u"Mllerxyz"_s},
        {u"山田太郎:2001"_s, u"山田太郎:2001"_s},
        {u"\U00020B9F"_s, u"\U00020B9F"_s}, // a CJK character outside the BMP
        {u"#%&*+=?!@$^`<>\\"_s, QString()},
    };
    for (const auto &[rendered, key] : rows)
        EXPECT_EQ(KeyGenerator::keyFromRenderedRule(rendered), key) << qPrintable(rendered);
    // Acceptable keys are those the reader reads back.
    for (const QString &good : {u"Smith2000.1"_s, u"a:b/c(d)"_s, u"山田2001"_s, u"x@y"_s})
        EXPECT_TRUE(KeyGenerator::isAcceptableKey(good)) << qPrintable(good);
    for (const QString &bad : {QString(), u"a b"_s, u"a,b"_s, u"{a}"_s, u"a\tb"_s})
        EXPECT_FALSE(KeyGenerator::isAcceptableKey(bad)) << qPrintable(bad);
}

TEST_F(KeyGeneratorTest, rulesRenderEachEntryAsDocumented)
{
    const std::tuple<const char *, QString, QString> rows[] = {
        {"every part",
         u"author = {W. E. Harmon}, journal = {Comm. ACM}, volume = 12, year = 1969"_s,
         u"HarmonWE:CACM12:1969"_s},
        {"no journal: the element vanishes with its colon",
         u"author = {Walter E. Harmon}, volume = 12, year = 1969"_s, u"HarmonWE12:1969"_s},
        {"the journal as a macro", u"author = {Walter E. Harmon}, journal = cacm, year = 1969"_s,
         u"HarmonWE:CACM:1969"_s},
        {"umlauts lose their accents", u"author = {J{\\\"u}rgen M{\\\"u}ller}, year = 2000"_s,
         u"MullerJ:2000"_s},
        {"the key field stands in for names", u"key = {Brown}, year = 2001"_s, u"Brown:2001"_s},
        {"a volume range is cut", u"author = {A. Smith}, volume = {12/13}, year = 2000"_s,
         u"SmithA12:2000"_s},
    };
    for (const auto &[name, fields, key] : rows) {
        auto item = db.add(u"ARTICLE"_s, u"k"_s, fieldsFrom(fields));
        EXPECT_EQ(item->bibKeyFromGenRule(kDefaultRule), key) << name;
    }
    // An entry without names or key takes the text for no author.
    auto anonymous = db.add(u"ARTICLE"_s, u"k"_s, fieldsFrom(u"year = 2001"_s));
    const QString fam = anonymous->fieldDataForListFormat(u"fam"_s);
    EXPECT_FALSE(fam.isEmpty());
    EXPECT_EQ(anonymous->bibKeyFromGenRule(u"[<fam>][:<year>]"_s),
              KeyGenerator::keyFromRenderedRule(fam) + u":2001"_s);

    // The rule of the preferences.
    BibPreferences::globalPreferences()->setBibkeyGenRule(u"[<fam>][:<year>]"_s);
    auto smith = db.add(u"ARTICLE"_s, u"k"_s, fieldsFrom(u"author = {A. Smith}, year = 2000"_s));
    EXPECT_EQ(smith->generateBibKey(), u"Smith:2000");
    BibPreferences::globalPreferences()->setBibkeyGenRule(kDefaultRule);
}
