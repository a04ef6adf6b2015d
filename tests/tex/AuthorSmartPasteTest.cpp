#include "tex/AuthorSmartPaste.h"

#include "PasteTestSupport.h"
#include "TexTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// The rewritten paste, with the insertion point after it.
QString rewritten(const QString &pasted)
{
    qsizetype cursor = -1;
    const QString text = AuthorSmartPaste().authorSmartPaste(pasted, {}, {}, cursor);
    EXPECT_EQ(cursor, text.size()) << text.toStdString();
    return text;
}

} // namespace

TEST(AuthorSmartPaste, rewritesEveryShapeOfNameList)
{
    expectConversions(
        rewritten,
        {
            // Given names first.
            {"commas and a final and", u"A. B. Li, C. Wu and D. Ng",
             u"A. B. Li and C. Wu and D. Ng"},
            {"serial comma", u"J. Li, K. Wu, and L. Ng", u"J. Li and K. Wu and L. Ng"},
            {"initials run together", u"J.R. Smith", u"J. R. Smith"},
            {"hyphenated initials", u"K.-I. Kawarabayashi", u"K.-I. Kawarabayashi"},
            {"initial without full stop", u"J Smith, K L Jones", u"J. Smith and K. L. Jones"},
            {"capitals as family name", u"Y. LI, J. WU", u"Y. Li and J. Wu"},
            {"full names in capitals", u"JOHN SMITH, KAREN JONES", u"John Smith and Karen Jones"},
            // Family names first, with commas.
            {"torn pairs rejoined", u"Smith, J., Jones, K.", u"Smith, J. and Jones, K."},
            {"full given names", u"Smith, John, Jones, Karen", u"Smith, John and Jones, Karen"},
            {"particles stay in one name", u"van der Berg, J. R.", u"van der Berg, J. R."},
            {"ampersand with serial comma", u"Smith, J., & Jones, K.", u"Smith, J. and Jones, K."},
            // Semicolons separate.
            {"short pieces", u"Smith, J.; Jones, K.", u"Smith, J. and Jones, K."},
            {"semicolon and", u"Smith, J.; and Jones, K.", u"Smith, J. and Jones, K."},
            {"initials after the comma", u"Smith, JR; Jones, K", u"Smith, J. R. and Jones, K."},
            // A piece longer than 40 characters: the semicolon belongs to the text.
            {"long piece: commas separate",
             u"J. Smith, K. Jones, L. Brown, M. White and N. Green; P. Black",
             u"J. Smith and K. Jones and L. Brown and M. White and N. Green; P. Black"},
            // BibTeX reads "Smith J." as given name Smith, family name J.; the comma
            // makes it read the family name first.
            {"Vancouver shape", u"Smith J, Jones K", u"Smith, J. and Jones, K."},
            {"two initials", u"SMITH JR", u"Smith, J. R."},
            {"particles", u"van der Berg JR", u"van der Berg, J. R."},
            {"initials with full stops", u"Smith J.R., Jones K.", u"Smith, J. R. and Jones, K."},
            {"hyphenated initials", u"Dupont J.-P.", u"Dupont, J.-P."},
            {"four capitals are a name", u"Smith JOHN", u"Smith John"},
            {"short family name in capitals", u"YU H, LEE YH", u"Yu, H. and Lee, Y. H."},
            {"two-word family names", u"ALI TAIGA A, LE ROUX N", u"Ali Taiga, A. and Le Roux, N."},
            {"short words first", u"VAN ZYL JM, NEL DG", u"Van Zyl, J. M. and Nel, D. G."},
            {"hyphenated family name", u"ABU-KHZAM FN", u"Abu-Khzam, F. N."},
            {"initials apart", u"Smith J R, Brown J.", u"Smith, J. R. and Brown, J."},
            {"comma already there", u"Hoyle, Rebecca B.; Yau, K W",
             u"Hoyle, Rebecca B. and Yau, K. W."},
            // "and" joins separate people.
            {"two family names", u"Smith and Jones", u"Smith and Jones"},
            {"and in capitals", u"SMITH J AND JONES K", u"Smith, J. and Jones, K."},
            // Affiliation marks are dropped.
            {"letter lists", u"A. Smith a,b, C. Jones c", u"A. Smith and C. Jones"},
            {"numbers attached", u"J. Li1, K. Wu2,3 and L. Ng1", u"J. Li and K. Wu and L. Ng"},
            {"numbers apart", u"A. Smith 1, B. Jones 2", u"A. Smith and B. Jones"},
            {"symbols", u"J. Li*, K. Wu\u2020, L. Ng\u00b9\u00b2", u"J. Li and K. Wu and L. Ng"},
            {"marks before a comma", u"Smith1, J.; Jones2, K.", u"Smith, J. and Jones, K."},
            // Special characters become TeX.
            {"precomposed letter", u"M\u00fcller, K.", u"M{\\\"u}ller, K."},
            {"hyphen character", u"Jean\u2010Pierre Dupont", u"Jean-Pierre Dupont"},
        });
}

TEST(AuthorSmartPaste, joinsTheTextAroundThePaste)
{
    const AuthorSmartPaste paste;
    const std::tuple<const char *, const char16_t *, const char16_t *, const char16_t *,
                     const char16_t *, qsizetype>
        rows[] = {
            {"at the end", u"A. Smith and", u"C. Jones, D. Brown", u"",
             u"A. Smith and C. Jones and D. Brown", 34},
            {"at the start", u"", u"C. Jones, D. Brown", u"and E. White",
             u"C. Jones and D. Brown and E. White", 21},
            {"nothing left of the paste", u"A. Smith and", u"a, b", u"and E. White",
             u"A. Smith and E. White", 8},
        };
    for (const auto &[name, prefix, pasted, suffix, expected, expectedCursor] : rows) {
        qsizetype cursor = -1;
        EXPECT_EQ(paste.authorSmartPaste(QString::fromUtf16(pasted), QString::fromUtf16(prefix),
                                         QString::fromUtf16(suffix), cursor),
                  QString::fromUtf16(expected))
            << name;
        EXPECT_EQ(cursor, expectedCursor) << name;
    }
}

TEST(AuthorSmartPaste, initialsAreRecognised)
{
    for (const char16_t *yes : {u"J", u"JR", u"ABC", u"J.", u"J.R.", u"J.-P.", u"\u00c9."})
        EXPECT_TRUE(AuthorSmartPaste::isInitials(QString::fromUtf16(yes)))
            << QString::fromUtf16(yes).toStdString();
    for (const char16_t *no : {u"", u"ABCD", u"Jr", u"J.R", u"Smith", u"j.", u"J.."})
        EXPECT_FALSE(AuthorSmartPaste::isInitials(QString::fromUtf16(no)))
            << QString::fromUtf16(no).toStdString();
}
