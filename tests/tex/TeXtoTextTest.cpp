#include "tex/TeXtoText.h"

#include "TexTestSupport.h"
#include "core/StringInputStream.h"
#include "core/Texts.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Row
{
    const char *name;
    const char *input;
    const char *expected;
};

void expectRows(std::initializer_list<Row> rows)
{
    for (const Row &row : rows) {
        EXPECT_EQ(TeXtoText::convertString(QString::fromUtf8(row.input)),
                  QString::fromUtf8(row.expected))
            << row.name << ": " << row.input;
    }
}

struct AccentTable
{
    const char *command;
    const char16_t *key;
    const char *letters;
    char16_t combiningMark;
};

const AccentTable kAccentTables[] = {
    {".", u"AccentDot", "BCDEFGHIMNPRSTWXYZbcdefghmnprstwxyz", 0x0307},
    {"`", u"AccentGrave", "AEIOUaeiou", 0x0300},
    {"=", u"AccentMacron", "AEGIOUaegiou", 0x0304},
    {"~", u"AccentTilde", "AEINOUYaeinouy", 0x0303},
    {"\"", u"AccentUmlaut", "AEIOUYaeiouy", 0x0308},
    {"'", u"AccentAcute", "ACEILNORSUYZaceilnorsuyz", 0x0301},
    {"^", u"AccentCirconflexe", "ACEGHIJOSUWYaceghijosuwy", 0x0302},
    {"H", u"AccentDoubleAcute", "OUou", 0x030B},
    {"c", u"AccentCedilla", "CHSTchst", 0x0327},
    {"u", u"AccentBreve", "AEGIOUaegiou", 0x0306},
    {"v", u"AccentCaron", "CDENRSTZcenrsz", 0x030C},
    {"r", u"AccentCircle", "AUauwy", 0x030A},
    {"b", u"AccentUBar", "BDKLNRTZbdhklnrtz", 0x0331},
    {"d", u"AccentUDot", "ABDEHIKLMNORSTUVWYZabdehiklmnorstuvwyz", 0x0323},
};

} // namespace

TEST(TeXtoTextTables, everyResourceHasItsLength)
{
    const std::pair<const char16_t *, qsizetype> lengths[] = {
        {u"superExpNum", 11}, {u"subExpNum", 10}, {u"superCmd", 9},      {u"superExp", 9},
        {u"subCmd", 5},       {u"subExp", 5},     {u"bothModeExp0", 35}, {u"mathModeExp0", 102},
        {u"Quotes", 5},       {u"LongHyphen", 2}, {u"InverseMark", 2},
    };
    for (const auto &[key, length] : lengths) {
        ASSERT_TRUE(Texts::contains(key)) << QStringView(key).toString().toStdString();
        EXPECT_EQ(Texts::text(key).size(), length) << QStringView(key).toString().toStdString();
    }
    for (const AccentTable &table : kAccentTables) {
        ASSERT_TRUE(Texts::contains(table.key));
        EXPECT_EQ(Texts::text(table.key).size(), qsizetype(strlen(table.letters)))
            << QStringView(table.key).toString().toStdString();
    }
    EXPECT_EQ(Texts::text(u"superCmd"), u"+-=()aion"_s);
    EXPECT_EQ(Texts::text(u"subCmd"), u"+-=()"_s);
}

TEST(TeXtoTextTables, accentedLettersDecomposeToTheirLetterAndMark)
{
    for (const AccentTable &table : kAccentTables) {
        const QString accented = Texts::text(table.key);
        const QString letters = QString::fromLatin1(table.letters);
        for (qsizetype k = 0; k < letters.size() && k < accented.size(); ++k) {
            const QString expected = QString(letters.at(k)) + QChar(table.combiningMark);
            EXPECT_EQ(QString(accented.at(k)).normalized(QString::NormalizationForm_D), expected)
                << QStringView(table.key).toString().toStdString() << " position " << k;
            EXPECT_EQ(expected.normalized(QString::NormalizationForm_C).size(), 1);
        }
    }
}

TEST(TeXtoTextTables, everyAccentCommandGivesItsLetters)
{
    for (const AccentTable &table : kAccentTables) {
        const QString accented = Texts::text(table.key);
        const QString letters = QString::fromLatin1(table.letters);
        const QString command = QString::fromLatin1(table.command);
        for (qsizetype k = 0; k < letters.size(); ++k) {
            const QString braced = u'\\' + command + u'{' + letters.at(k) + u'}';
            EXPECT_EQ(TeXtoText::convertString(braced), QString(accented.at(k)))
                << qPrintable(braced);
        }
    }
}

TEST(TeXtoTextTables, digitsAndScriptsMapInOrder)
{
    const QString super = Texts::text(u"superExpNum");
    const QString sub = Texts::text(u"subExpNum");
    for (int d = 0; d <= 9; ++d) {
        EXPECT_EQ(QString(super.at(d)).normalized(QString::NormalizationForm_KD),
                  QString::number(d));
        EXPECT_EQ(QString(sub.at(d)).normalized(QString::NormalizationForm_KD), QString::number(d));
    }
    const QString superCmd = Texts::text(u"superCmd");
    const QString superExp = Texts::text(u"superExp");
    // The raised and lowered minus signs decompose to the minus sign U+2212.
    const auto plainForm = [](QChar c) {
        const QString form = QString(c).normalized(QString::NormalizationForm_KD);
        return form == u"\u2212"_s ? u"-"_s : form;
    };
    for (qsizetype k = 0; k < superCmd.size(); ++k)
        EXPECT_EQ(plainForm(superExp.at(k)), QString(superCmd.at(k)));
    const QString subCmd = Texts::text(u"subCmd");
    const QString subExp = Texts::text(u"subExp");
    for (qsizetype k = 0; k < subCmd.size(); ++k)
        EXPECT_EQ(plainForm(subExp.at(k)), QString(subCmd.at(k)));
}

TEST(TeXtoText, accents)
{
    expectRows({
        {"braced tilde", "{\\~n}", "ñ"},
        {"bare tilde", "Espa\\~na", "España"},
        {"dotless i under circumflex", "\\^{\\i}", "î"},
        {"dotless i without braces", "na\\\"\\i ve", "naïve"},
        {"cedilla with a space", "Fran\\c cois", "François"},
        {"cedilla braced", "Fran\\c{c}ois", "François"},
        {"caron outside its list", "\\v{d}", "{\\v{d}}"},
        {"longer argument", "\\~{ab}", "{\\~{ab}}"},
        {"no argument", "\\~", "{\\~{?}}"},
        {"empty argument", "\\'{}", "{\\'{}}"},
        {"double acute", "Erd\\H{o}s", "Erdős"},
        {"dot below", "\\d{s}", "ṣ"},
        {"line below", "\\b{h}", "ẖ"},
        {"ring", "\\r{u}", "ů"},
        {"letter I with dot", "\\.I", "İ"},
        {"accent command in math", "$\\'e$", "{\\'}e"},
    });
}

TEST(TeXtoText, letterCommandsAndSymbols)
{
    expectRows({
        {"aa", "\\aa", "å"},
        {"AA with empty group", "\\AA{}ngstr\\\"om", "Ångström"},
        {"ss", "Stra\\ss e", "Straße"},
        {"ae and oe", "\\ae\\OE", "æŒ"},
        {"slashed letters", "{\\L}\\'od\\'z {\\O}re", "Łódź Øre"},
        {"dotless letters alone", "{\\i}{\\j}", "ıȷ"},
        {"TeX logos", "\\TeX{} and \\LaTeX", "TeX and LaTeX"},
        {"escaped specials", "\\#\\$\\%\\&\\_\\{\\}", "#$%&_{}"},
        {"control space", "a\\ b", "a b"},
        {"thin space", "10\\,000", "10\u2009000"},
        {"signs", "\\S\\P\\dag\\ddag\\copyright", "§¶†‡©"},
        {"currencies", "\\pounds\\euro\\yen", "£€¥"},
        {"unknown command", "\\foo bar", "{\\foo}bar"},
        {"math command in text", "\\alpha", "{\\alpha}"},
        {"left in text", "\\left", "{\\left}"},
        {"size command", "\\small x", "x"},
    });
}

TEST(TeXtoText, commandsOfLaterPackages)
{
    expectRows({
        {"quote commands", "Women{\\textquoteright}s \\textquoteleft{}x\\textquoteright",
         "Women’s ‘x’"},
        {"dashes by name", "1--2\\textendash{}3\\textemdash", "1–2–3—"},
        {"url argument", "see \\url{http://a.org/x}", "see http://a.org/x"},
        {"mbox keeps its argument", "\\mbox{IEEE} Trans.", "IEEE Trans."},
        {"math roman", "$\\mathrm{d}x$", "dx"},
        {"math star and angles", "$\\star\\langle a\\rangle$", "⋆⟨a⟩"},
        {"superscript text", "5\\textsuperscript{th}", "5th"},
        {"classic entry wins", "\\copyright", "©"},
    });
}

TEST(TeXtoText, fontCommands)
{
    expectRows({
        {"textbf and it", "\\textbf{Bold} and {\\it it}", "Bold and it"},
        {"emph", "\\emph{Very} good", "Very good"},
        {"declaration ends with its group", "{\\bf xyz} uvw", "xyz uvw"},
        {"nested", "\\textit{a \\textbf{b} c}", "a b c"},
        {"missing argument", "\\textbf", "?"},
        {"argument converted", "\\emph{na\\\"\\i ve}", "naïve"},
    });
}

TEST(TeXtoText, quotesAndDashes)
{
    expectRows({
        {"double quotes", "``Quote''", "“Quote”"},
        {"single quotes", "`x'", "‘x’"},
        {"apostrophe", "Don't", "Don’t"},
        {"en dash", "1--2", "1–2"},
        {"em dash", "a---b", "a—b"},
        {"vertical bar", "a|b", "a—b"},
        {"inverted marks", "!`Hola! ?`Qu\\'e?", "¡Hola! ¿Qué?"},
        {"less and greater in text", "P < .05 and x>1", "P < .05 and x>1"},
        {"caret back-quote", "^^ x", "‘x"},
    });
}

TEST(TeXtoText, math)
{
    expectRows({
        {"greek", "$\\alpha+\\beta$", "α+β"},
        {"greek capitals", "$\\Gamma\\Omega$", "ΓΩ"},
        {"lunate and variant epsilon", "$\\epsilon\\varepsilon$", "ϵε"},
        {"superscript digit", "x$^2$", "x²"},
        {"superscript in math", "$x^2$", "x²"},
        {"subscript digits", "$x_{10}$", "x₁₀"},
        {"subscript letters stay", "$x_{ij}$", "x_{ij}"},
        {"subscript one letter", "$x_i$", "x_i"},
        {"raised expression", "$x^{n+1}$", "xⁿ⁺¹"},
        {"raised negative", "$10^{-3}$", "10⁻³"},
        {"raised letters outside the set", "$x^{ab}$", "x^{ab}"},
        {"raised letter outside the set", "$x^b$", "x^b"},
        {"raised command", "$x^\\alpha$", "x^{α}"},
        {"degree", "$90^\\circ$", "90°"},
        {"lowered sign", "$x_{(+)}$", "x₍₊₎"},
        {"empty script", "$x^{}$", "x"},
        {"primes", "$f''$", "f′′"},
        {"minus", "$-1$", "–1"},
        {"relations", "$a<b>c$", "a<b>c"},
        {"operators", "$\\sin x \\log y$", "sinx logy"},
        {"lim sup", "$\\limsup$", "lim sup"},
        {"delimiters vanish", "$\\left( x \\right.$", "( x "},
        {"arrows", "$\\to\\Rightarrow\\longleftarrow$", "→⇒⟵"},
        {"relations symbols", "$\\leq\\geq\\neq\\approx$", "≤≥≠≈"},
        {"spacing", "$a\\,b\\;c\\!d$", "a\u2009b\u2004c\u200bd"},
        {"double bar and backslash", "$\\|x\\|\\backslash$", "‖x‖\\"},
        {"unknown math command", "$\\foo$", "{\\foo}"},
        {"unclosed math", "$\\alpha", "α"},
    });
}

TEST(TeXtoText, malformedInput)
{
    expectRows({
        {"stray brace", "xy}zw", "xy"},
        {"unclosed brace", "{abc", "abc"},
        {"backslash at the end", "abc\\", "abc"},
        {"accent at the end", "abc\\'", "abc{\\'{?}}"},
        {"two hyphens at the end", "a--", "a–"},
    });
}

TEST(TeXtoText, plainTextIsReturnedAsItStands)
{
    expectRows({
        {"empty", "", ""},
        {"words", "A plain title, with commas.", "A plain title, with commas."},
        {"unicode", "Ærø and 東京", "Ærø and 東京"},
        {"no-break space reads as a space", "a\u00a0b", "a b"},
    });
}

TEST(TeXtoText, readingPrimitivesOnTheSharedConverter)
{
    // Name parsing takes the initial of '\AA{}ngstr\"om' this way.
    TeXtoText *converter = TeXtoText::globalConverter();
    ASSERT_NE(converter, nullptr);
    StringInputStream stream(u"AA{}ngstr"_s);
    const std::optional<QString> name = converter->readTeXCommandFromStream(stream);
    ASSERT_TRUE(name);
    EXPECT_EQ(converter->commandIsLetter(*name), u'A');
    EXPECT_TRUE(converter->commandIsAccent(u"~"_s));
    EXPECT_FALSE(converter->commandIsAccent(u"AA"_s));
}

TEST(TeXtoText, globalObjectIsCreatedOnceAndSharedAcrossThreads)
{
    TeXtoText::createGlobalObject();
    TeXtoText *first = TeXtoText::globalConverter();
    TeXtoText::createGlobalObject();
    EXPECT_EQ(TeXtoText::globalConverter(), first);

    const QStringList inputs = {u"{\\~n}$x^2$"_s, u"\\textbf{B} --- ``q''"_s, u"$\\alpha_{10}$"_s,
                                u"Erd\\H{o}s"_s};
    QStringList expected;
    for (const QString &input : inputs)
        expected << TeXtoText::convertString(input);

    std::vector<std::thread> threads;
    std::vector<int> mismatches(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                const qsizetype k = (i + t) % inputs.size();
                if (TeXtoText::convertString(inputs.at(k)) != expected.at(k))
                    ++mismatches[size_t(t)];
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int count : mismatches)
        EXPECT_EQ(count, 0);
}
