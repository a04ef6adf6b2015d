#include "tex/TeXtoText.h"
#include "tex/UnicodeToTeX.h"

#include "core/Texts.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// Unicode to TeX (symbols, letters, math, in the order of the command line)
// and back to text.
QString roundTrip(QChar c)
{
    QString tex(c);
    const UnicodeToTeX *converter = UnicodeToTeX::globalConverter();
    converter->convertSymbols(tex);
    converter->convertLetter(tex);
    converter->convertMath(tex);
    return TeXtoText::convertString(tex);
}

QString hex(QChar c)
{
    return u"U+%1"_s.arg(int(c.unicode()), 4, 16, QChar(u'0')).toUpper();
}

} // namespace

TEST(UnicodeRoundTrip, everyAccentedLetterComesBack)
{
    int checked = 0;
    for (const UnicodeToTeX::Accent &accent : UnicodeToTeX::accents()) {
        const QString letters = Texts::text(QStringView(accent.lettersKey));
        for (const QChar c : letters) {
            EXPECT_EQ(roundTrip(c), QString(c)) << qPrintable(hex(c));
            ++checked;
        }
    }
    EXPECT_EQ(checked, 230);
}

TEST(UnicodeRoundTrip, everySpecialLetterComesBack)
{
    // The five ligatures come back as their letters by design.
    const QString letters = Texts::text(u"UnicodeLetters");
    for (qsizetype k = 0; k < 11; ++k)
        EXPECT_EQ(roundTrip(letters.at(k)), QString(letters.at(k)))
            << qPrintable(hex(letters.at(k)));
    const char16_t *ligatures[] = {u"ff", u"fi", u"fl", u"ffi", u"ffl"};
    for (qsizetype k = 11; k < 16; ++k)
        EXPECT_EQ(roundTrip(letters.at(k)), QString::fromUtf16(ligatures[k - 11]));
}

TEST(UnicodeRoundTrip, everyGreekLetterAndMathSymbolComesBack)
{
    const QString math = Texts::text(u"UnicodeMathChars");
    ASSERT_EQ(math.size(), 85);
    for (qsizetype k = 0; k < math.size(); ++k) {
        // Position 29 is the second character written \sim; \sim reads back
        // as the first (position 28).
        const QChar expected = k == 29 ? math.at(28) : math.at(k);
        EXPECT_EQ(roundTrip(math.at(k)), QString(expected))
            << qPrintable(hex(math.at(k))) << " position " << k;
    }
}

TEST(UnicodeRoundTrip, squareRootComesBack)
{
    QString tex = u"\u221a2"_s;
    UnicodeToTeX::globalConverter()->convertMath(tex);
    EXPECT_EQ(TeXtoText::convertString(tex), u"\u221a2"_s);
}
