// Every entry of the real files, written as entry text and read back, keeps its
// type, key and every field value element for element.
#include "CorpusSupport.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

using namespace Qt::StringLiterals;

namespace {

struct Entry
{
    QString type;
    BibFieldDictionary fields;
};

// The entries of a text that the value grammar reads, cut at each "@" that
// starts a line (a rough reader: blocks it cannot read are left out).
QList<Entry> entriesOf(const QString &text)
{
    QList<Entry> entries;
    qsizetype at = text.startsWith(u'@') ? 0 : text.indexOf(u"\n@"_s);
    while (at >= 0) {
        if (text.at(at) == u'\n')
            ++at;
        const qsizetype next = text.indexOf(u"\n@"_s, at);
        const qsizetype end = next < 0 ? text.size() : next;
        const qsizetype brace = text.indexOf(u'{', at);
        if (brace > at && brace < end) {
            const QString type = text.mid(at + 1, brace - at - 1).trimmed();
            const QString lower = type.toLower();
            if (lower != u"string" && lower != u"comment" && lower != u"preamble" &&
                !type.contains(u' ')) {
                const auto fields = QfTest::fieldsOfBlock(text.mid(brace, end - brace), true);
                if (fields && fields->contains(u"bibkey"_s))
                    entries.append({type, *fields});
            }
        }
        at = next;
    }
    return entries;
}

} // namespace

TEST(ItemRoundTrip, everyEntryOfTheCorpusReadsBackFromItsEntryText)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    StringInputStream::setupCharacterSets();
    TeXtoText::createGlobalObject();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();

    int files = 0, checked = 0;
    for (const QString &path : QfTest::corpusFiles()) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > 4'000'000)
            continue;
        ++files;
        for (const Entry &entry : entriesOf(QString::fromUtf8(file.readAll()))) {
            const QString key = entry.fields.value(u"bibkey"_s).value(0).stringValue();
            auto item = BibItem::bibItemOfType(entry.type, key, entry.fields, nullptr);
            const QString text = item->bibItemStringWithAttachments(-1, u"\n");
            const QList<Entry> again = entriesOf(u"\n"_s + text);
            ASSERT_EQ(again.size(), 1) << qPrintable(path) << "\n" << qPrintable(text);
            auto copy =
                BibItem::bibItemOfType(again.first().type, key, again.first().fields, nullptr);
            EXPECT_TRUE(copy->bibType() == item->bibType() && copy->bibKey() == item->bibKey() &&
                        copy->bibFieldsForEdit() == item->bibFieldsForEdit())
                << qPrintable(path) << "\n"
                << qPrintable(text);
            ++checked;
        }
    }
    EXPECT_GT(checked, 0);
    std::printf("%d files, %d entries written and read back\n", files, checked);
}
