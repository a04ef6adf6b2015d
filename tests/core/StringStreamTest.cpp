#include "core/CharacterSet.h"
#include "core/StringInputStream.h"
#include "core/StringOutputStream.h"

#include <QString>
#include <QStringList>

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

// Every word `read` finds in `text`, joined by "|".
template<class Read> QString allWords(const QString &text, const Read &read)
{
    StringInputStream stream(text);
    QStringList words;
    while (const std::optional<QString> word = read(stream))
        words << *word;
    return words.join(u'|');
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

TEST(StringInputStream, wordReadersSkipDelimitersAndConsumeTheTerminator)
{
    const auto word = [](StringInputStream &s) { return s.getWord(); };
    const auto nonSpace = [](StringInputStream &s) { return s.getWordNonSpace(); };
    const auto beginsB = [](StringInputStream &s) { return s.getWordBeginsWith(u'b'); };
    // Words end only at punctuation and space.
    EXPECT_EQ(allWords(u"  ,foo, a=b a#b $x~y$ «caf\u00e9»"_s, word),
              u"foo|a=b|a|b|$x~y$|caf\u00e9"_s);
    EXPECT_EQ(allWords(u" \t a,b.c\nnext"_s, nonSpace), u"a,b.c|next"_s);
    EXPECT_EQ(allWords(u"xa, yb #bc, bb end"_s, beginsB), u"bc|bb"_s);
    EXPECT_EQ(allWords(u"a, #b"_s, [](StringInputStream &s) { return s.getWordBeginsWith(u'#'); }),
              QString());
    EXPECT_EQ(allWords(QString(), word) + allWords(QString(), nonSpace) +
                  allWords(QString(), beginsB),
              QString());

    StringInputStream stream(u"  ,foo, bar"_s);
    stream.getWord();
    EXPECT_EQ(stream.position(), 7);
    StringInputStream skipped(u"abc,def"_s);
    skipped.skipWord();
    EXPECT_EQ(skipped.getChar(), u'd');
}

TEST(StringInputStream, mappingsApplyWhateverTheFlags)
{
    const std::tuple<const char *, QString, bool, bool, QString> rows[] = {
        {"nbspAndIdeographicAlwaysSpace", u"a\u00a0b\u3000c"_s, false, false, u"a b c"_s},
        {"tabsAndYenStayByDefault", u"a\t\n\u00a5b"_s, false, false, u"a\t\n\u00a5b"_s},
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
    // getNonSpaceChar skips white space and maps the yen sign the same way.
    StringInputStream stream(u" \u3000\t\u00a5alpha"_s);
    stream.setYenToBackslash(true);
    EXPECT_EQ(stream.getNonSpaceChar(), u'\\');
    StringInputStream plain(u"\n\u00a5"_s);
    EXPECT_EQ(plain.getNonSpaceChar(), QChar(0x00A5));
    EXPECT_TRUE(plain.getNonSpaceChar().isNull());
}

TEST(StringInputStream, cursorMovesStayInsideTheTextEvenAnEmptyOne)
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
    EXPECT_EQ(run.getChar(), u' '); // the unit before the cursor is 'a'
    EXPECT_EQ(run.getChar(), u'b');
    run.ungetChar();
    EXPECT_EQ(run.position(), 4);

    // A NUL in the text reads as a null character but is not the end.
    StringInputStream nul(QStringView(u"a\0b", 3).toString());
    nul.getChar();
    EXPECT_TRUE(nul.getChar().isNull());
    EXPECT_FALSE(nul.atEnd());
    EXPECT_EQ(nul.getChar(), u'b');
    // Empty text answers the end everywhere.
    StringInputStream empty{QString()};
    EXPECT_TRUE(empty.getNonSpaceChar().isNull());
    EXPECT_TRUE(empty.getNonDelimiterChar().isNull());
    empty.ungetChar();
    empty.setPosition(5);
    EXPECT_EQ(empty.position(), 0);
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
    const QString alphabet =
        u"ab  \t\n{}=,\u00a0\u00a5\u3000\u2028\u00e9"_s + QChar(0xD800) + QChar(0) + u"\\\"$#"_s;
    static constexpr StringInputStream::PlainRunStops stops(u"{}=,");
    std::uint32_t seed = 12345;
    for (int round = 0; round < 2000; ++round) {
        QString text;
        const int length = round % 40;
        for (int i = 0; i < length; ++i) {
            seed = seed * 1103515245u + 12345u;
            text.append(alphabet.at((seed >> 16) % alphabet.size()));
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
