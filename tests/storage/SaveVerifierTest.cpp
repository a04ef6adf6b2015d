#include "storage/SaveVerifier.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

namespace {

using Entry = SaveVerifier::Entry;

Entry entry(const QString &key, FieldMap<QString> fields, const QString &type = u"ARTICLE"_s)
{
    return Entry{type, key, std::move(fields)};
}

// Entries as "key:field=value,field=value" parted by spaces; "key/TYPE:..."
// for a type other than ARTICLE.
QList<Entry> entries(const char *text)
{
    QList<Entry> list;
    for (const QString &part : QString::fromUtf8(text).split(u' ', Qt::SkipEmptyParts)) {
        const QString head = part.section(u':', 0, 0);
        FieldMap<QString> fields;
        for (const QString &field : part.section(u':', 1).split(u',', Qt::SkipEmptyParts))
            fields.insert(field.section(u'=', 0, 0), field.section(u'=', 1));
        list << entry(head.section(u'/', 0, 0), fields,
                      head.contains(u'/') ? head.section(u'/', 1) : u"ARTICLE"_s);
    }
    return list;
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
    const auto title = [](const QString &value) { return entry(u"k"_s, {{u"title"_s, value}}); };
    const auto one = [](const char *text) { return entries(text).front(); };
    const std::tuple<const char *, Entry, Entry, quint32, SaveVerifier::RoundTrip> rows[] = {
        {"identical", title(u"Title"_s), title(u"Title"_s), 4, nullptr},
        {"no-break space", title(u"a\u00a0b"_s), title(u"a b"_s), 4, nullptr},
        {"white-space runs", title(u"a  b\n c"_s), title(u"a b c"_s), 4, nullptr},
        {"yen encoding", title(u"\\alpha"_s), title(u"\\alpha"_s), 0x80000A01u, nullptr},
        {"lossy encoding", title(u"Ren\u00e9"_s), title(u"Ren?"_s), 1, asciiRoundTrip},
        {"type case and empty fields", one("k/Article:note="), one("k:"), 4, nullptr},
        // An item's own field map carries "database", "bibkey" and "bibtype";
        // the copy read back names another database.
        {"pseudo-fields", one("k:title=T,database=mine.bib,bibkey=k"),
         one("k:database=scratch,title=T,bibtype=x"), 4, nullptr},
    };
    for (const auto &[name, meant, read, encoding, roundTrip] : rows) {
        QString detail;
        EXPECT_TRUE(SaveVerifier::sameEntries({meant}, {read}, encoding, roundTrip, detail))
            << name << qPrintable(detail);
    }
}

// (name, entries read back for "a:title=T b:year=2001", part of the detail)
TEST(SaveVerifier, findsEveryKindOfLoss)
{
    const std::tuple<const char *, const char *, const char *> rows[] = {
        {"entry missing", "a:title=T",
         "entry b would not read back as it is (2 entries written, 1 read back)"},
        {"kept text read as an entry",
         "a:title=T b:year=2001 c:", "read back as the entry c (2 entries written, 3 read back)"},
        {"field missing", "a:title=T b:", "field \"year\" of the entry b"},
        {"field missing beside a pseudo-field", "a:title=T b:database=scratch",
         "field \"year\" of the entry b"},
        {"field changed", "a:title=T b:year=2002", "field \"year\" of the entry b"},
        {"extra field", "a:title=T,x=y b:year=2001", "field \"x\" of the entry a"},
        {"key changed", "c:title=T b:year=2001",
         "entry a would not read back as it is (2 entries written, 2 read back)"},
        {"type changed", "a:title=T b/BOOK:year=2001", "entry b would not"},
    };
    for (const auto &[name, read, detailPart] : rows) {
        QString detail;
        EXPECT_FALSE(SaveVerifier::sameEntries(entries("a:title=T b:year=2001"), entries(read), 4,
                                               nullptr, detail))
            << name;
        EXPECT_TRUE(detail.contains(QString::fromUtf8(detailPart)))
            << name << ": " << qPrintable(detail);
    }
}

// Entries compared as they are read back: the places of the entries that
// differ are listed (the save writes those anew), unless the counts differ.
TEST(SaveVerifier, listsTheEntriesThatDifferWhenTheCountsAgree)
{
    const QList<Entry> meant = entries("a:title=A b:title=B c:title=C");
    const std::tuple<const char *, const char *, QList<qsizetype>, const char *> rows[] = {
        {"one in the middle",
         "a:title=A b:title=X c:title=C",
         {1},
         "field \"title\" of the entry b"},
        {"two", "a:title=A b:title=X c/BOOK:title=X", {1, 2}, "field \"title\" of the entry b"},
        {"one missing at the end", "a:title=A b:title=X", {}, "field \"title\" of the entry b"},
        {"an extra one at the end",
         "a:title=A b:title=B c:title=C a:title=A",
         {},
         "read back as the entry a (3 entries written, 4 read back)"},
    };
    for (const auto &[name, read, expected, detailPart] : rows) {
        QString detail;
        QList<qsizetype> differing;
        SaveVerifier::Comparison comparison(
            meant.size(), [&meant](qsizetype place) { return meant.at(place); }, 4, nullptr, true);
        for (const Entry &each : entries(read))
            comparison.take(each);
        EXPECT_FALSE(comparison.finish(detail, &differing)) << name;
        EXPECT_EQ(differing, expected) << name;
        EXPECT_TRUE(detail.contains(QString::fromUtf8(detailPart)))
            << name << ": " << qPrintable(detail);
    }
}
