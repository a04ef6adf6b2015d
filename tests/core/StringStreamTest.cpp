#include "core/CharacterSet.h"
#include "core/StringInputStream.h"
#include "core/StringOutputStream.h"

#include <QString>

#include <gtest/gtest.h>

#include <thread>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Everything getChar hands out until the end, as one string.
QString readAll(StringInputStream &stream)
{
    QString out;
    for (QChar c = stream.getChar(); !c.isNull(); c = stream.getChar())
        out.append(c);
    return out;
}

} // namespace

TEST(CharacterSets, membershipFollowsTheUnicodeCategories)
{
    // The boundaries of each set, not every member.
    const std::tuple<char16_t, bool, bool, bool> rows[] = {
        {u' ', true, false, true},   {u'\n', true, true, true},     {0x2028, true, true, true},
        {0x00A0, true, false, true}, {u'{', false, false, true},    {0x2014, false, false, true},
        {u'=', false, false, false}, {0x00E9, false, false, false}, {0xD800, false, false, false},
    };
    for (const auto &[c, whitespace, newline, delimiter] : rows) {
        const auto label = QString::number(c, 16).toStdString();
        EXPECT_EQ(gWhitespaceSet().contains(c), whitespace) << "U+" << label;
        EXPECT_EQ(gNewlineSet().contains(c), newline) << "U+" << label;
        EXPECT_EQ(gWordDelimiterSet().contains(c), delimiter) << "U+" << label;
    }
}

TEST(CharacterSets, setupIsSafeToRepeatFromSeveralThreads)
{
    std::vector<std::thread> threads;
    for (int i = 0; i < 4; ++i)
        threads.emplace_back([] {
            StringInputStream::setupCharacterSets();
            StringInputStream::setupCharacterSets();
        });
    for (auto &thread : threads)
        thread.join();
    EXPECT_TRUE(gWhitespaceSet().contains(u' '));
    EXPECT_FALSE(gWordDelimiterSet().contains(u'a'));
}

TEST(StringInputStream, emptyTextAnswersEnd)
{
    StringInputStream stream{QString()};
    EXPECT_TRUE(stream.getNonSpaceChar().isNull());
    EXPECT_TRUE(stream.getNonDelimiterChar().isNull());
    EXPECT_FALSE(stream.getWord().has_value());
    EXPECT_FALSE(stream.getWordNonSpace().has_value());
    EXPECT_FALSE(stream.getWordBeginsWith(u'a').has_value());
    stream.ungetChar();
    stream.setPosition(5);
    EXPECT_EQ(stream.position(), 0);
}

TEST(StringInputStream, wordReadersSkipDelimitersAndConsumeTheTerminator)
{
    StringInputStream stream(u"  ,foo, bar"_s);
    EXPECT_EQ(stream.getWord(), u"foo"_s);
    EXPECT_EQ(stream.position(), 7);
    EXPECT_EQ(stream.getWord(), u"bar"_s);
    EXPECT_FALSE(stream.getWord().has_value());
    StringInputStream skipped(u"abc,def"_s);
    skipped.skipWord();
    EXPECT_EQ(skipped.getChar(), u'd');

    // Words end only at punctuation and space.
    const std::pair<QString, QString> words[] = {
        {u"a=b"_s, u"a=b"_s},
        {u"a#b"_s, u"a"_s},
        {u"$x~y$ z"_s, u"$x~y$"_s},
        {u"(x2y)"_s, u"x2y"_s},
        {u"«caf\u00e9»"_s, u"caf\u00e9"_s},
    };
    for (const auto &[text, word] : words)
        EXPECT_EQ(StringInputStream(text).getWord(), word) << text.toStdString();

    StringInputStream nonSpace(u" \t a,b.c\nnext"_s);
    EXPECT_EQ(nonSpace.getWordNonSpace(), u"a,b.c"_s);
    EXPECT_EQ(nonSpace.getWordNonSpace(), u"next"_s);
    EXPECT_FALSE(nonSpace.getWordNonSpace().has_value());

    StringInputStream begins(u"xa, yb #bc, bb end"_s);
    EXPECT_EQ(begins.getWordBeginsWith(u'b'), u"bc"_s);
    EXPECT_EQ(begins.getWordBeginsWith(u'b'), u"bb"_s);
    EXPECT_FALSE(begins.getWordBeginsWith(u'b').has_value());
    EXPECT_FALSE(StringInputStream(u"a, #b"_s).getWordBeginsWith(u'#').has_value());
}

TEST(StringInputStream, mappingsApplyWhateverTheFlags)
{
    const std::tuple<const char *, QString, bool, bool, QString> rows[] = {
        {"nbspAndIdeographicAlwaysSpace", u"a\u00a0b\u3000c"_s, false, false, u"a b c"_s},
        {"tabsStayWithoutCollapsing", u"a\t\nb"_s, false, false, u"a\t\nb"_s},
        {"yenUnchangedByDefault", u"\u00a5alpha"_s, false, false, u"\u00a5alpha"_s},
        {"yenReadsAsBackslash", u"\u00a5alpha"_s, false, true, u"\\alpha"_s},
        {"yenIsNotASpace", u" \u00a5 x"_s, true, true, u" \\ x"_s},
        {"everyRunCollapses", u"a \t\n b\u00a0\u3000\r\nc  "_s, true, false, u"a b c "_s},
    };
    for (const auto &[name, text, spaces, yen, read] : rows) {
        StringInputStream stream(text);
        stream.setSpacesToASpace(spaces);
        stream.setYenToBackslash(yen);
        EXPECT_EQ(readAll(stream), read) << name;
    }
}

TEST(StringInputStream, getNonSpaceCharSkipsWhiteSpaceAndMapsYen)
{
    StringInputStream stream(u" \u3000\t\u00a5alpha"_s);
    stream.setYenToBackslash(true);
    EXPECT_EQ(stream.getNonSpaceChar(), u'\\');
    StringInputStream plain(u"\n\u00a5"_s);
    EXPECT_EQ(plain.getNonSpaceChar(), QChar(0x00A5));
    EXPECT_TRUE(plain.getNonSpaceChar().isNull());
}

TEST(StringInputStream, cursorMovesStayInsideTheText)
{
    StringInputStream stream(u"one\r\ntwo"_s);
    stream.skipToEndOfLine(); // stops after the first break character
    EXPECT_EQ(stream.getChar(), u'\n');
    stream.skipToEndOfLine();
    EXPECT_TRUE(stream.atEnd());
    stream.setPosition(99);
    EXPECT_EQ(stream.getChar(), u'o');
    stream.setPosition(-4);
    EXPECT_EQ(stream.getChar(), u'o');
    stream.rewind();
    stream.ungetChar();
    EXPECT_EQ(stream.position(), 0);

    // ungetChar steps back one unit, also after a collapsed run of spaces.
    StringInputStream run(u"a   b"_s);
    run.setSpacesToASpace(true);
    EXPECT_EQ(run.getChar(), u'a');
    EXPECT_EQ(run.getChar(), u' ');
    run.ungetChar();
    EXPECT_EQ(run.getChar(), u' '); // the unit before the cursor is a space
    EXPECT_EQ(run.getChar(), u'b');
    run.ungetChar();
    EXPECT_EQ(run.position(), 4);

    // A NUL in the text reads as a null character but is not the end.
    StringInputStream nul(QStringView(u"a\0b", 3).toString());
    nul.getChar();
    EXPECT_TRUE(nul.getChar().isNull());
    EXPECT_FALSE(nul.atEnd());
    EXPECT_EQ(nul.getChar(), u'b');
}

TEST(StringOutputStream, keepsEverythingInOrderAcrossFlushes)
{
    StringOutputStream out(4);
    for (char16_t c = u'a'; c < u'a' + 10; ++c)
        out.putChar(c);
    EXPECT_EQ(out.length(), 10);
    out.putString(u"XY");
    out.putChar(u'z');
    // A value handed out does not change later.
    const QString first = out.stringValue();
    out.putChar(u'!');
    EXPECT_EQ(first, u"abcdefghijXYz"_s);
    EXPECT_EQ(out.stringValue(), u"abcdefghijXYz!"_s);
    out.clearAll();
    EXPECT_EQ(out.length(), 0);
    EXPECT_EQ(out.stringValue(), QString());

    for (int capacity : {0, -3}) {
        StringOutputStream small = StringOutputStream::stringOutputStreamWithMaxLength(capacity);
        small.putChar(u'a');
        small.putChar(u'b');
        EXPECT_EQ(small.stringValue(), u"ab"_s) << capacity;
    }
}

TEST(StringOutputStream, newLineCodeSelectsTheBreak)
{
    const std::tuple<int, QString> rows[] = {
        {0, u"\r"_s}, {1, u"\r\n"_s}, {2, u"\n"_s}, {7, u"\r"_s}, {-1, u"\r"_s}};
    for (const auto &[code, written] : rows) {
        StringOutputStream out;
        out.setNewLineCode(code);
        out.putNewLineCode();
        EXPECT_EQ(out.stringValue(), written) << code;
    }
}

TEST(StringInputStream, plainRunsReadLikeSingleCharacters)
{
    // Whatever the text and flags, taking plain runs where possible and single
    // characters otherwise must read exactly what getChar alone reads.
    static const char16_t alphabet[] = {u'a',   u'b',   u' ',   u' ',   u'\t',  u'\n',  u'{',
                                        u'}',   u'=',   u',',   0x00A0, 0x00A5, 0x3000, 0x2028,
                                        0x00E9, 0xD800, 0x0000, u'\\',  u'"',   u'$',   u'#'};
    static constexpr StringInputStream::PlainRunStops stops(u"{}=,");
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = round % 40;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text.append(QChar(alphabet[(seed >> 16) % std::size(alphabet)]));
        }
        for (int flags = 0; flags < 4; ++flags) {
            StringInputStream plain(text);
            StringInputStream runs(text);
            for (StringInputStream *s : {&plain, &runs}) {
                s->setSpacesToASpace(flags & 1);
                s->setYenToBackslash(flags & 2);
            }
            QString expected;
            while (!plain.atEnd())
                expected.append(plain.getChar());
            QString actual;
            while (!runs.atEnd()) {
                actual.append(runs.getPlainRun(stops));
                if (!runs.atEnd())
                    actual.append(runs.getChar());
            }
            ASSERT_EQ(actual.toStdU16String(), expected.toStdU16String())
                << "round " << round << " flags " << flags;
        }
    }
}
