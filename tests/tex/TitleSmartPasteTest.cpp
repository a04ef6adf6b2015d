#include "tex/TitleSmartPaste.h"

#include "PasteTestSupport.h"
#include "TexTestSupport.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

// The paste as rewritten with `lists`, with the insertion point after it.
auto rewriting(const TitleSmartPaste::WordLists &lists = defaultWordLists())
{
    return [paste = TitleSmartPaste(lists)](const QString &pasted) {
        qsizetype cursor = -1;
        const QString text = paste.titleSmartPaste(pasted, {}, {}, cursor);
        EXPECT_EQ(cursor, text.size()) << text.toStdString();
        return text;
    };
}

} // namespace

TEST(TitleSmartPaste, rewritesWordsNamesLettersAndFormulas)
{
    expectConversions(
        rewriting(),
        {
            // Ordinary words are capitalised, short ones stay.
            {"short words stay, even first", u"a study of the DNA helix",
             u"a Study of the {DNA} Helix"},
            {"listed short word capitalised", u"two", u"Two"},
            {"mixed case lowered", u"heLLO wORLD", u"{heLLO} {wORLD}"},
            {"trailing punctuation kept", u"results, and discussion.", u"Results, and Discussion."},
            {"hyphenated words", u"self-consistent", u"Self-Consistent"},
            {"apostrophes", u"Schr\u00f6dinger's cat and don't",
             u"Schr{\\\"o}dinger's cat and don't"},
            {"spaces collapse", u"  quantum   dots ", u"Quantum Dots"},
            // Acronyms, names and inner capitals are braced.
            {"inner capital", u"mRNA", u"{mRNA}"},
            {"proper nouns across a hyphen", u"Monte-Carlo", u"{Monte}-{Carlo}"},
            {"word with a digit is no formula", u"H2Q", u"{H2Q}"},
            {"acronym across a slash", u"CPU/GPU", u"{CPU}/{GPU}"},
            // Single letters become math.
            {"variable", u"the n body problem", u"the $n$ Body Problem"},
            {"letter before a hyphen", u"x-ray", u"$x$-Ray"},
            // Formulas go into math.
            {"counts", u"H2O and NaCl.", u"{H}$_2${O} and {NaCl}."},
            {"charge", u"Fe3+ ions", u"{Fe}$^{3+}$ Ions"},
            {"bracketed group", u"(NH4)2SO4", u"({NH}$_4$)$_2${SO}$_4$"},
            {"mass number", u"13C NMR", u"$^{13}${C} {NMR}"},
            {"negative ions", u"OH- and SO42-", u"{OH}- and {SO}$^{42-}$"},
            {"dimensions are no isotopes", u"2-D and 3D", u"2-{D} and 3{D}"},
            {"polytype is no isotope", u"4H SiC", u"4{H} {SiC}"},
            {"light isotopes", u"1H and 6Li NMR", u"$^1${H} and $^6${Li} {NMR}"},
            {"count after an operator", u"CuSO4\u00b75H2O", u"{CuSO}$_4$\u00b75{H}$_2${O}"},
            {"fraction", u"Li1/2CoO2", u"{Li}$_{1/2}${CoO}$_2$"},
            {"charge before an operator", u"Ca2++CO32-", u"{Ca}$^{2+}$+{CO}$^{32-}$"},
            {"greek letter", u"Fe2\u03b1", u"{Fe}$_2\\alpha$"},
            {"unclosed group", u"(CH3", u"({CH}$_3$"},
            {"braced group", u"{CH3}2", u"\\{{CH}$_3$\\}$_2$"},
        });
    // With "ray" treated as a short word the hyphenated half stays lower case.
    TitleSmartPaste::WordLists lists = defaultWordLists();
    lists.captalizeWords.removeAll(u"ray"_s);
    expectConversions(rewriting(lists), {{"letter before a short word", u"x-ray", u"$x$-ray"}});
}

TEST(TitleSmartPaste, wordListsDecideCapitalsAndTheTextAroundIsJoined)
{
    TitleSmartPaste::WordLists lists;
    lists.captalizeWords = {u"gas"_s};
    lists.lowercaseWords = {u"versus"_s};
    const TitleSmartPaste paste(lists);
    const std::tuple<const char16_t *, bool> rows[] = {
        {u"gas", false}, {u"versus", true}, {u"the", true}, {u"with", false}, {u"Gas", true}};
    for (const auto &[word, lower] : rows)
        EXPECT_EQ(paste.wordShouldBeLower(QString::fromUtf16(word)), lower)
            << QString::fromUtf16(word).toStdString();
    // The paste is joined to the text before and after it.
    qsizetype cursor = -1;
    EXPECT_EQ(paste.titleSmartPaste(u"quantum dots"_s, u"Volume 2:"_s, u"(revised)"_s, cursor),
              u"Volume 2: Quantum Dots (revised)"_s);
    EXPECT_EQ(cursor, 22);
}

TEST(TitleSmartPaste, formulaPartsAndTheirTeX)
{
    const TitleSmartPaste paste(defaultWordLists());
    const ChemicalFormula &formula = paste.formula();
    // An en dash between elements splits the word like a hyphen.
    bool startWithNumber = true;
    EXPECT_EQ(formula.separateWord(u"Fe\u2013N"_s, startWithNumber),
              std::optional<QStringList>({u"Fe"_s, u"-"_s, u"N"_s}));
    EXPECT_FALSE(startWithNumber);
    // A word's leading count is a mass number; a group's is copied.
    EXPECT_EQ(formula.formulaOf({u"2"_s, u"H"_s}, true, ChemicalFormula::Variant::Word),
              u"$^2${H}"_s);
    EXPECT_EQ(formula.formulaOf({u"4"_s, u"K"_s}, true, ChemicalFormula::Variant::Word), u"4{K}"_s);
    EXPECT_EQ(formula.formulaOf({u"2"_s, u"H"_s}, true, ChemicalFormula::Variant::Block),
              u"2{H}"_s);
}

TEST(TitleSmartPaste, deepBracketsEndInBraces)
{
    const TitleSmartPaste paste(defaultWordLists());
    QString word = QString(5000, u'(') + u"H2O"_s;
    EXPECT_TRUE(paste.wordShouldBeBracketed(word));
    EXPECT_TRUE(word.contains(u"H2O"_s) || word.contains(u"{H}$_2${O}"_s));
}
