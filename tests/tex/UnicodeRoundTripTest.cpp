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

TEST(UnicodeRoundTrip, everyLetterMathSymbolAndTheRootComeBack)
{
    QString characters;
    for (const UnicodeToTeX::Accent &accent : UnicodeToTeX::accents())
        characters += Texts::text(QStringView(accent.lettersKey));
    ASSERT_EQ(characters.size(), 230);
    const QString letters = Texts::text(u"UnicodeLetters");
    characters += letters.left(11) + Texts::text(u"UnicodeMathChars");
    for (const QChar c : characters) {
        // The wave dash is the second character written \sim; it reads back as the first.
        const QChar expected = c == QChar(0x301C) ? QChar(0x223C) : c;
        EXPECT_EQ(roundTrip(c), QString(expected)) << qPrintable(hex(c));
    }
    // The five ligatures come back as their letters by design.
    QStringList ligatures;
    for (const QChar c : letters.mid(11))
        ligatures << roundTrip(c);
    EXPECT_EQ(ligatures.join(u' '), u"ff fi fl ffi ffl"_s);
    // So does a root with its argument.
    QString tex = u"\u221a2"_s;
    UnicodeToTeX::globalConverter()->convertMath(tex);
    EXPECT_EQ(TeXtoText::convertString(tex), u"\u221a2"_s);
}
