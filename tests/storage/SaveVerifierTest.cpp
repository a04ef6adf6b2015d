#include "storage/SaveVerifier.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Entry = SaveVerifier::Entry;

Entry entry(const QString &key, FieldMap<QString> fields, const QString &type = u"ARTICLE"_s)
{
    return Entry{type, key, std::move(fields)};
}

// An encoding that cannot hold 'é' and writes '?'.
QString asciiRoundTrip(const QString &text, quint32)
{
    QString out = text;
    for (QChar &c : out)
        if (c.unicode() > 0x7f)
            c = u'?';
    return out;
}

} // namespace

// Differences the reader makes, or the encoding forces, are not losses; nor
// are the type's case, empty fields and the items' own pseudo-fields.
TEST(SaveVerifier, acceptsWhatTheReaderOrTheEncodingChanges)
{
    struct Row
    {
        const char *name;
        Entry meant;
        Entry read;
        quint32 encoding;
        SaveVerifier::RoundTrip roundTrip;
    };
    const auto title = [](const QString &value) { return entry(u"k"_s, {{u"title"_s, value}}); };
    const Row rows[] = {
        {"identical", title(u"Title"_s), title(u"Title"_s), 4, nullptr},
        {"no-break space", title(u"a\u00a0b"_s), title(u"a b"_s), 4, nullptr},
        {"white-space runs", title(u"a  b\n c"_s), title(u"a b c"_s), 4, nullptr},
        {"yen encoding", title(u"\\alpha"_s), title(u"\\alpha"_s), 0x80000A01u, nullptr},
        {"lossy encoding", title(u"Ren\u00e9"_s), title(u"Ren?"_s), 1, asciiRoundTrip},
        {"type case and empty fields", entry(u"k"_s, {{u"note"_s, QString()}}, u"Article"_s),
         entry(u"k"_s, {}, u"ARTICLE"_s), 4, nullptr},
        // An item's own field map carries "database", "bibkey" and "bibtype";
        // the copy read back names another database.
        {"pseudo-fields",
         entry(u"k"_s,
               {{u"title"_s, u"T"_s}, {u"database"_s, u"mine.bib"_s}, {u"bibkey"_s, u"k"_s}}),
         entry(u"k"_s,
               {{u"database"_s, u"scratch"_s}, {u"title"_s, u"T"_s}, {u"bibtype"_s, u"x"_s}}),
         4, nullptr},
    };
    for (const Row &row : rows) {
        QString detail;
        EXPECT_TRUE(
            SaveVerifier::sameEntries({row.meant}, {row.read}, row.encoding, row.roundTrip, detail))
            << row.name << qPrintable(detail);
    }
}

TEST(SaveVerifier, findsEveryKindOfLoss)
{
    struct Row
    {
        const char *name;
        QList<Entry> read;
        const char *detailPart;
    };
    const QList<Entry> meant = {entry(u"a"_s, {{u"title"_s, u"T"_s}}),
                                entry(u"b"_s, {{u"year"_s, u"2001"_s}})};
    const Row rows[] = {
        {"entry missing",
         {meant.first()},
         "entry b would not read back as it is (2 entries written, 1 read back)"},
        {"kept text read as an entry",
         {meant.first(), meant.last(), entry(u"c"_s, {})},
         "read back as the entry c (2 entries written, 3 read back)"},
        {"field missing", {meant.first(), entry(u"b"_s, {})}, "field \"year\" of the entry b"},
        {"field missing beside a pseudo-field",
         {meant.first(), entry(u"b"_s, {{u"database"_s, u"scratch"_s}})},
         "field \"year\" of the entry b"},
        {"field changed",
         {meant.first(), entry(u"b"_s, {{u"year"_s, u"2002"_s}})},
         "field \"year\" of the entry b"},
        {"extra field",
         {entry(u"a"_s, {{u"title"_s, u"T"_s}, {u"x"_s, u"y"_s}}), meant.last()},
         "field \"x\" of the entry a"},
        {"key changed",
         {entry(u"c"_s, {{u"title"_s, u"T"_s}}), meant.last()},
         "entry a would not read back as it is (2 entries written, 2 read back)"},
        {"type changed",
         {meant.first(), entry(u"b"_s, {{u"year"_s, u"2001"_s}}, u"BOOK"_s)},
         "entry b would not"},
    };
    for (const Row &row : rows) {
        QString detail;
        EXPECT_FALSE(SaveVerifier::sameEntries(meant, row.read, 4, nullptr, detail)) << row.name;
        EXPECT_TRUE(detail.contains(QString::fromUtf8(row.detailPart)))
            << row.name << ": " << qPrintable(detail);
    }
}

// Entries compared as they are read back: the places of the entries that
// differ are listed (the save writes those anew), unless the counts differ.
TEST(SaveVerifier, listsTheEntriesThatDifferWhenTheCountsAgree)
{
    struct Row
    {
        const char *name;
        QList<Entry> read;
        QList<qsizetype> differing;
        const char *detailPart;
    };
    const QList<Entry> meant = {entry(u"a"_s, {{u"title"_s, u"A"_s}}),
                                entry(u"b"_s, {{u"title"_s, u"B"_s}}),
                                entry(u"c"_s, {{u"title"_s, u"C"_s}})};
    const Entry changedB = entry(u"b"_s, {{u"title"_s, u"X"_s}});
    const Entry changedC = entry(u"c"_s, {{u"title"_s, u"X"_s}}, u"BOOK"_s);
    const Row rows[] = {
        {"one in the middle",
         {meant[0], changedB, meant[2]},
         {1},
         "field \"title\" of the entry b"},
        {"two", {meant[0], changedB, changedC}, {1, 2}, "field \"title\" of the entry b"},
        {"one missing at the end", {meant[0], changedB}, {}, "field \"title\" of the entry b"},
        {"an extra one at the end",
         {meant[0], meant[1], meant[2], meant[0]},
         {},
         "read back as the entry a (3 entries written, 4 read back)"},
    };
    for (const Row &row : rows) {
        QString detail;
        QList<qsizetype> differing;
        SaveVerifier::Comparison comparison(
            meant.size(), [&meant](qsizetype place) { return meant.at(place); }, 4, nullptr, true);
        for (const Entry &read : row.read)
            comparison.take(read);
        EXPECT_FALSE(comparison.finish(detail, &differing)) << row.name;
        EXPECT_EQ(differing, row.differing) << row.name;
        EXPECT_TRUE(detail.contains(QString::fromUtf8(row.detailPart)))
            << row.name << ": " << qPrintable(detail);
    }
}
