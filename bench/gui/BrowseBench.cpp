// The author and entry lists of the real window with a large file loaded:
// a keystroke of the field search, sorting by a text column, selecting an
// author, copying 1,000 entries as a text list, pasting 10,000 entries.
#include "BenchWindow.h"
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

#include <ctime>

using namespace Qt::StringLiterals;

namespace {

// The main thread's processor time, reported beside the wall time: the
// machine the benchmarks run on is often shared.
class CpuClock
{
public:
    CpuClock() : m_start(now()) {}
    void report(const char *what, int iterations) const
    {
        qInfo("%s: %.1f ms processor time per iteration (%d iterations)", what,
              (now() - m_start) / std::max(iterations, 1), iterations);
    }

private:
    static double now()
    {
        timespec time{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &time);
        return time.tv_sec * 1000.0 + time.tv_nsec / 1e6;
    }
    double m_start;
};

// The process's resident memory in MB (Linux), to see what the search texts cost.
double residentMegabytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toDouble() / 1024.0;
    }
    return 0;
}

} // namespace

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
        const QString path = BenchWindow::largeFile();
        if (path.isEmpty())
            QSKIP("no benchmark file");
        m_window = std::make_unique<QFMainController>();
        m_list = m_window->controllerDbList();
        m_database = BenchWindow::load(m_list, path);
        QVERIFY(m_database);
    }

    void searchKeystroke()
    {
        ItemListController *items = m_window->controllerItemList();
        const double before = residentMegabytes();
        QElapsedTimer timer;
        timer.start();
        const CpuClock first;
        items->searchField()->setText(u"ne"_s);
        first.report("first search (the search texts made)", 1);
        qInfo("first search %lld ms wall; resident memory %.0f MB before it, %.0f MB after",
              timer.elapsed(), before, residentMegabytes());
        int iterations = 0;
        const CpuClock clock;
        QBENCHMARK
        {
            ++iterations;
            items->searchField()->setText(u"neu"_s);
            items->searchField()->setText(u"ne"_s);
        }
        clock.report("searchKeystroke", iterations);
        qInfo("two keystrokes per iteration; %d rows shown", items->displayedItems());
        items->clearIncrementalSearch();
    }

    // A first keystroke searches every entry (their search texts are made
    // by the first search, as in the keystroke benchmark above).
    void searchFirstKeystroke()
    {
        ItemListController *items = m_window->controllerItemList();
        const QStringList letters = {u"q"_s, u"m"_s, u"z"_s};
        qsizetype letter = 0;
        int iterations = 0;
        const CpuClock clock;
        QBENCHMARK
        {
            ++iterations;
            items->searchField()->setText(letters[letter++ % letters.size()]);
            items->searchField()->clear();
        }
        clock.report("searchFirstKeystroke", iterations);
        qInfo("one letter and the cleared field per iteration");
    }

    // Each iteration turns the order of the title column around.
    void sortByTitle()
    {
        ItemListController *items = m_window->controllerItemList();
        bool ascending = true;
        int iterations = 0;
        const CpuClock clock;
        QBENCHMARK
        {
            ++iterations;
            items->sortByColumn(u"09_title"_s, ascending);
            ascending = !ascending;
        }
        clock.report("sortByTitle", iterations);
    }

    // Each iteration sorts by a column the list was not sorted by: the
    // collation keys of every entry's cell are made anew.
    void sortByNewColumn()
    {
        ItemListController *items = m_window->controllerItemList();
        bool title = false;
        int iterations = 0;
        const CpuClock clock;
        QBENCHMARK
        {
            ++iterations;
            items->sortByColumn(title ? u"09_title"_s : u"05_journal"_s, true);
            title = !title;
        }
        clock.report("sortByNewColumn", iterations);
    }

    void selectAuthor()
    {
        AuthorListController *authors = m_window->controllerAuthorList();
        const QString name = authors->model()->nameAt(authors->model()->rowCount() / 2);
        int iterations = 0;
        const CpuClock clock;
        QBENCHMARK
        {
            ++iterations;
            authors->selectAuthorsByNames({name});
            authors->forceSelectAll();
        }
        clock.report("selectAuthor", iterations);
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
        int iterations = 0;
        const CpuClock clock;
        QBENCHMARK
        {
            ++iterations;
            m_window->actions()->action(ItemListController::TagCopyAsTextList)->trigger();
        }
        clock.report("copyTextList", iterations);
        QVERIFY(QGuiApplication::clipboard()->mimeData()->hasFormat(u"text/rtf"_s));
    }

    // The lists refreshed after 10,000 pasted entries: their authors join the
    // author list and the entries are merged into the sorted list.
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
        timer.restart();
        const CpuClock clock;
        m_list->reload(true);
        const qint64 refreshing = timer.elapsed();
        clock.report("paste10000 refresh", 1);
        qInfo("added %zu copies in %lld ms (%d failed); lists refreshed in %lld ms wall, "
              "%d rows",
              added.size(), adding, failed, refreshing, items->totalItems());
        QCOMPARE(failed, 0);
    }
};

QF_GUI_TEST_MAIN(BrowseBench)
#include "BrowseBench.moc"
