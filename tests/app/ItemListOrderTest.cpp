// The entry list's order and quick search against the entries' own
// comparison and search, over a corpus file with accents, math and repeated
// journals and years: every column kind in both directions, a part of the
// sorted set, entries merged into it, the order turned around, and a typing
// that grows and shrinks.
#include "app/AppTestSupport.h"

#include "GuiTestMain.h"

#include "app/ItemListOrder.h"
#include "model/BibItem.h"
#include "storage/LocalDatabase.h"

#include <QTest>

#include <algorithm>

using namespace AppTest;
using namespace Qt::StringLiterals;

namespace {

QStringList keysOf(const BibItemList &items)
{
    QStringList keys;
    for (const BibItemPtr &item : items)
        keys << item->bibKey();
    return keys;
}

// The list as the entries' own comparison sorts it.
QStringList referenceOrder(BibItemList items, const QString &column, bool ascending)
{
    for (const BibItemPtr &item : items)
        item->setSortIdentifier(column, ascending);
    std::stable_sort(items.begin(), items.end(), [](const BibItemPtr &a, const BibItemPtr &b) {
        return a->sortByIdentifier(*b) < 0;
    });
    return keysOf(items);
}

} // namespace

class ItemListOrderTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;
    std::unique_ptr<QTemporaryDir> m_dir;
    BibItemList m_items;

private Q_SLOTS:
    void initTestCase()
    {
        resetStoredState();
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = startWindow();
        DBListController *list = m_window->controllerDbList();
        QVERIFY(waitForLoading(list));
        LocalDatabase *database = list->appendLocalDatabase(
            copyCorpusFile(*m_dir, u"iridia-references/articles.bib"_s), false);
        QVERIFY(database);
        QVERIFY(waitForLoading(list, 60000));
        m_items = *database->allItems();
        QVERIFY(m_items.size() > 1000);
    }

    void sortsAsTheEntriesCompare_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<bool>("ascending");
        for (const QString &column : {u"09_title"_s, u"05_journal"_s, u"04_author"_s, u"06_year"_s,
                                      u"08_page"_s, u"13_modified"_s, QString()}) {
            const QString name = column.isEmpty() ? u"no column"_s : column;
            QTest::newRow(qPrintable(name + u" ascending"_s)) << column << true;
            QTest::newRow(qPrintable(name + u" descending"_s)) << column << false;
        }
    }

    void sortsAsTheEntriesCompare()
    {
        QFETCH(QString, column);
        QFETCH(bool, ascending);
        ItemListOrder order;
        order.setSortColumn(column, ascending);
        order.setItems(m_items);
        QCOMPARE(keysOf(order.sortedItems()), referenceOrder(m_items, column, ascending));

        // A part of the sorted set (one author's entries) keeps its order.
        BibItemList part;
        for (size_t i = 0; i < m_items.size(); i += 7)
            part.push_back(m_items[i]);
        order.setItems(part);
        QCOMPARE(keysOf(order.sortedItems()), referenceOrder(part, column, ascending));

        // Entries added to the sorted set (pasted ones) are merged in, and
        // the kept search texts follow their entries.
        BibItemList fewer;
        for (size_t i = 0; i < m_items.size(); ++i) {
            if (i % 11 != 5)
                fewer.push_back(m_items[i]);
        }
        ItemListOrder grown;
        grown.setSortColumn(column, ascending);
        grown.setItems(fewer);
        QCOMPARE(keysOf(grown.sortedItems()), referenceOrder(fewer, column, ascending));
        const QStringList fields = {u"title"_s};
        QVERIFY(!grown.shownItems(u"ion"_s, fields, Qt::CaseInsensitive)->empty());
        grown.setItems(m_items);
        QCOMPARE(keysOf(grown.sortedItems()), referenceOrder(m_items, column, ascending));
        QStringList found;
        for (const BibItemPtr &item : grown.sortedItems()) {
            if (item->containsString(u"ion"_s, fields, Qt::CaseInsensitive))
                found << item->bibKey();
        }
        QCOMPARE(keysOf(*grown.shownItems(u"ion"_s, fields, Qt::CaseInsensitive)), found);

        // Turned around without sorting again.
        order.setItems(m_items);
        order.setSortColumn(column, !ascending);
        QCOMPARE(keysOf(order.sortedItems()), referenceOrder(m_items, column, !ascending));
    }

    void searchFindsWhatTheEntriesFind()
    {
        ItemListOrder order;
        order.setSortColumn(u"09_title"_s, true);
        order.setItems(m_items);
        const QStringList fields = {u"author"_s, u"title"_s, u"journal"_s, u"abstract"_s};
        // A typing that grows and shrinks, accents and letters whose case
        // folding is not ASCII, in both case modes.
        const QStringList texts = {u"o"_s,      u"op"_s,      u"opt"_s,   u"OPTI"_s, u"opt"_s,
                                   u"o"_s,      u"é"_s,       u"É"_s,     u"ü"_s,    u"Ł"_s,
                                   u"stra"_s,   u"STRASSE"_s, u"ﬁ"_s,     u"α"_s,    u"x\u0000"_s,
                                   u"Colony"_s, u"colony"_s,  u"zzzzq"_s, u"-"_s,    u"{"_s};
        // The search texts are made from display values made for them alone
        // (the entries' display forms dropped first), then checked against
        // the entries' kept forms.
        for (const BibItemPtr &item : m_items)
            item->expandWithMacro(item->database()->macroList());
        for (const Qt::CaseSensitivity sensitivity : {Qt::CaseInsensitive, Qt::CaseSensitive}) {
            for (const QString &text : texts) {
                const QStringList shown = keysOf(*order.shownItems(text, fields, sensitivity));
                QStringList expected;
                for (const BibItemPtr &item : order.sortedItems()) {
                    if (item->containsString(text, fields, sensitivity))
                        expected << item->bibKey();
                }
                QCOMPARE(shown, expected);
            }
        }
        // No text or no field shows everything.
        QCOMPARE(order.shownItems(QString(), fields, Qt::CaseInsensitive)->size(), m_items.size());
        QCOMPARE(order.shownItems(u"o"_s, {}, Qt::CaseInsensitive)->size(), m_items.size());
    }

    void anEditedEntryIsFoundByItsNewText()
    {
        ItemListOrder order;
        order.setSortColumn(u"09_title"_s, true);
        order.setItems(m_items);
        const QStringList fields = {u"title"_s};
        QVERIFY(order.shownItems(u"qqxyzzy"_s, fields, Qt::CaseInsensitive)->empty());
        const BibItemPtr item = m_items[m_items.size() / 2];
        const QString title = item->fieldDataForEdit(u"title"_s);
        QVERIFY(item->setFieldData(u"Qqxyzzy first"_s, u"title"_s));
        item->fixChanged();
        order.itemChanged(item.get());
        QCOMPARE(keysOf(*order.shownItems(u"QQXYZZY"_s, fields, Qt::CaseInsensitive)),
                 QStringList{item->bibKey()});
        QCOMPARE(order.sortedItems().front()->bibKey(),
                 referenceOrder(m_items, u"09_title"_s, true).front());
        item->setFieldData(title, u"title"_s);
        item->fixChanged();
    }

    void cleanupTestCase()
    {
        m_items.clear();
        m_window.reset();
    }
};

QF_GUI_TEST_MAIN(ItemListOrderTest)
#include "ItemListOrderTest.moc"
