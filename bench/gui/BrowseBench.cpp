// The author and entry lists of the real window with a large file loaded:
// a keystroke of the field search, sorting by a text column, selecting an
// author, copying 1,000 entries as a text list, pasting 10,000 entries.
#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/AuthorListController.h"
#include "app/AuthorListModel.h"
#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "app/ItemListModel.h"
#include "app/QFMainController.h"
#include "core/AlertPresenter.h"
#include "model/BibItem.h"
#include "storage/LocalDatabase.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMimeData>
#include <QTest>

using namespace Qt::StringLiterals;

class BrowseBench : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;
    DBListController *m_list = nullptr;
    LocalDatabase *m_database = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray path = qgetenv("QF_BENCH_BIB").isEmpty() ? QByteArray("/tmp/g100k.bib")
                                                                  : qgetenv("QF_BENCH_BIB");
        if (!QFile::exists(QString::fromLocal8Bit(path)))
            QSKIP("no benchmark file");
        m_window = std::make_unique<QFMainController>();
        m_list = m_window->controllerDbList();
        QElapsedTimer timer;
        timer.start();
        m_database = m_list->appendLocalDatabase(QString::fromLocal8Bit(path), false);
        QVERIFY(m_database);
        QTRY_VERIFY_WITH_TIMEOUT(!m_list->isLoading(), 300000);
        m_list->selectDatabase(m_database);
        qInfo("loaded %d entries in %lld ms", m_database->numItems(), timer.elapsed());
    }

    void searchKeystroke()
    {
        ItemListController *items = m_window->controllerItemList();
        items->searchField()->setText(u"ne"_s);
        QBENCHMARK
        {
            items->searchField()->setText(u"neu"_s);
            items->searchField()->setText(u"ne"_s);
        }
        qInfo("two keystrokes per iteration; %d rows shown", items->displayedItems());
        items->clearIncrementalSearch();
    }

    void sortByTitle()
    {
        ItemListController *items = m_window->controllerItemList();
        bool ascending = true;
        QBENCHMARK
        {
            items->sortByColumn(u"09_title"_s, ascending);
            ascending = !ascending;
        }
    }

    void selectAuthor()
    {
        AuthorListController *authors = m_window->controllerAuthorList();
        const QString name = authors->model()->nameAt(authors->model()->rowCount() / 2);
        QBENCHMARK
        {
            authors->selectAuthorsByNames({name});
            authors->forceSelectAll();
        }
        qInfo("one author and all authors per iteration");
    }

    void copyTextList()
    {
        ItemListController *items = m_window->controllerItemList();
        QStringList keys;
        for (int row = 0; row < 1000; ++row)
            keys << items->model()->itemAt(row)->bibKey();
        items->selectItemsByBibkeys(keys);
        m_window->actions()->updateEnabled();
        QBENCHMARK
        {
            m_window->actions()->action(ItemListController::TagCopyAsTextList)->trigger();
        }
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(u"text/rtf"_s));
    }

    void paste10000()
    {
        ItemListController *items = m_window->controllerItemList();
        BibItemList source(m_database->allItems()->begin(),
                           m_database->allItems()->begin() + 10000);
        QElapsedTimer timer;
        timer.start();
        int failed = 0;
        const BibItemList added = ItemListController::addCopyOfBibItems(source, m_database, failed);
        const qint64 adding = timer.elapsed();
        m_list->reload(true);
        qInfo("added %zu copies in %lld ms (%d failed); with the lists refreshed %lld ms",
              added.size(), adding, failed, timer.elapsed());
        (void)items;
    }
};

QF_GUI_TEST_MAIN(BrowseBench)
#include "BrowseBench.moc"
