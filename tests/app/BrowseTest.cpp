// The author list and the entry list driven through the real window: author
// selection and search, the field search, sorting, marks, every copy format
// on the clipboard, whole entries cut and pasted between databases, removal,
// and which commands are on in which state.
#include "app/AppTestSupport.h"

#include "GuiTestMain.h"

#include "app/ActionRegistry.h"
#include "app/AuthorListController.h"
#include "app/AuthorListModel.h"
#include "app/ItemListController.h"
#include "app/ItemListModel.h"
#include "app/ItemListTableView.h"
#include "app/ItemMimeData.h"
#include "app/MainWindow.h"
#include "app/RecentSearchMenu.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/DetailInfoController.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QBrush>
#include <QCheckBox>
#include <QClipboard>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTableView>
#include <QTest>
#include <QUndoStack>

using namespace AppTest;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kBrowseBib =
    "@article{smith1,\n"
    "  author = {John Smith and Ann Jones},\n"
    "  title = {Shared Work},\n"
    "  journal = {Journal of Tests},\n"
    "  year = 2001\n"
    "}\n\n"
    "@article{smith2,\n"
    "  author = {John Smith},\n"
    "  title = {Second},\n"
    "  journal = {Acta Caf\\'e {\\\"u}ber \\l{}\\'od\\'z and $\\alpha+\\beta$},\n"
    "  year = 1999,\n"
    "  url = {https://example.org/a},\n"
    "  email = {a@example.org}\n"
    "}\n\n"
    "@book{tanaka3,\n"
    "  author = {\xe7\x94\xb0\xe4\xb8\xad \xe5\xa4\xaa\xe9\x83\x8e},\n"
    "  title = {\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e\xe3\x81\xae\xe9\xa1\x8c},\n"
    "  publisher = {Shuppan},\n"
    "  year = 2010\n"
    "}\n";

} // namespace

class BrowseTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;
    DBListController *m_list = nullptr;
    AuthorListController *m_authors = nullptr;
    ItemListController *m_items = nullptr;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::vector<std::unique_ptr<QAbstractItemModelTester>> m_testers;

    LocalDatabase *open(const QString &name, const QByteArray &text)
    {
        LocalDatabase *database = m_list->appendLocalDatabase(writeFile(*m_dir, name, text), false);
        waitForLoading(m_list);
        m_list->selectDatabase(database);
        return database;
    }

    QStringList shownKeys() const
    {
        QStringList keys;
        for (const BibItemPtr &item : m_items->model()->items())
            keys << item->bibKey();
        return keys;
    }

    void selectKeys(const QStringList &keys)
    {
        m_items->selectItemsByBibkeys(keys);
        m_window->actions()->updateEnabled();
    }

    void trigger(int tag)
    {
        m_window->actions()->updateEnabled();
        QAction *action = m_window->actions()->action(tag);
        QVERIFY(action);
        QVERIFY2(action->isEnabled(), qPrintable(QString::number(tag)));
        action->trigger();
    }

    int authorRow(const QString &start) const
    {
        for (int row = 1; row < m_authors->model()->rowCount(); ++row) {
            if (m_authors->model()->nameAt(row).startsWith(start))
                return row;
        }
        return -1;
    }

private Q_SLOTS:
    void init()
    {
        resetStoredState();
        BibPreferences::globalPreferences()->setConvertToYen(false);
        BibPreferences::globalPreferences()->setListPrefixOnCopy(2);
        m_dir = std::make_unique<QTemporaryDir>();
        m_window = startWindow();
        m_list = m_window->controllerDbList();
        m_authors = m_window->controllerAuthorList();
        m_items = m_window->controllerItemList();
        m_testers.clear();
        for (QAbstractItemModel *model : {static_cast<QAbstractItemModel *>(m_authors->model()),
                                          static_cast<QAbstractItemModel *>(m_items->model())})
            m_testers.push_back(std::make_unique<QAbstractItemModelTester>(
                model, QAbstractItemModelTester::FailureReportingMode::QtTest));
        QVERIFY(waitForLoading(m_list));
        QVERIFY(open(u"browse.bib"_s, kBrowseBib));
    }

    void cleanup()
    {
        m_testers.clear();
        m_window.reset();
    }

    void authorSelectionNarrowsTheList()
    {
        AuthorListModel *model = m_authors->model();
        QCOMPARE(model->rowCount(), 4); // all authors, Jones, Smith, Tanaka
        QCOMPARE(m_authors->totalAuthors(), 3);
        QCOMPARE(m_items->displayedItems(), 3);
        const int smith = authorRow(u"Smith"_s);
        QVERIFY(smith > 0);
        QVERIFY(model->data(model->index(smith, 0), Qt::DisplayRole).toString().endsWith(u" (2)"));
        QVERIFY(authorRow(u"Jones"_s) < smith); // locale order

        // Smith and Jones share smith1: it is shown once.
        const QStringList both = {model->nameAt(authorRow(u"Jones"_s)), model->nameAt(smith)};
        m_authors->selectAuthorsByNames(both);
        QCOMPARE(shownKeys(), QStringList({u"smith1"_s, u"smith2"_s}));
        QCOMPARE(m_authors->selectedAuthorNames(), both);

        // A rebuild keeps the first selected name only.
        m_authors->refleshAuthorList();
        QCOMPARE(m_authors->selectedAuthorNames(), QStringList{both.front()});
        QCOMPARE(shownKeys(), QStringList{u"smith1"_s});

        // The search narrows the names; the all-authors row then means the shown names.
        QTest::keyClicks(m_authors->searchField(), u"SMI"_s);
        QCOMPARE(model->rowCount(), 2);
        QCOMPARE(m_authors->displayedAuthors(), 1);
        QVERIFY(m_authors->selectedAuthorNames().isEmpty()); // Jones went away: row 0
        QCOMPARE(shownKeys(), QStringList({u"smith1"_s, u"smith2"_s}));
        QVERIFY(m_authors->statusLabel()->text().contains(u"1"));
        m_authors->clearIncrementalSearch();

        m_authors->selectAuthorsByNames({model->nameAt(smith), u"Nobody"_s});
        QCOMPARE(m_authors->selectedAuthorNames(), QStringList{model->nameAt(smith)});
        m_authors->selectAuthorsByNames({});
        QCOMPARE(m_items->displayedItems(), 3);
    }

    void selectionsReturnAtStartUp()
    {
        const QString smith = m_authors->model()->nameAt(authorRow(u"Smith"_s));
        m_authors->selectAuthorsByNames({smith});
        selectKeys({u"smith2"_s});
        m_window->saveCurrentSettings();
        m_testers.clear();
        m_window.reset();

        m_window = startWindow();
        QVERIFY(waitForLoading(m_window->controllerDbList()));
        QTRY_COMPARE(m_window->controllerAuthorList()->selectedAuthorNames(), QStringList{smith});
        QCOMPARE(m_window->controllerItemList()->selectedBibKeys(), QStringList{u"smith2"_s});
    }

    void recentAuthorSearches()
    {
        RecentSearchMenu *recent = m_authors->searchMenu();
        const auto titles = [recent] {
            QStringList texts;
            for (const QAction *action : recent->menu()->actions()) {
                if (!action->isSeparator())
                    texts << action->text();
            }
            return texts;
        };
        QCOMPARE(titles().size(), 2); // the title and "no recent searches"
        for (const QString &text : {u"smi"_s, u"jon"_s, u"smi"_s}) {
            m_authors->searchField()->setText(text);
            QTest::keyClick(m_authors->searchField(), Qt::Key_Return);
        }
        QCOMPARE(recent->recents(), QStringList({u"smi"_s, u"jon"_s}));
        QCOMPARE(
            BibPreferences::globalPreferences()->value(u"Recent Author Searches"_s).toStringList(),
            recent->recents());
        // Choosing one searches again.
        m_authors->clearIncrementalSearch();
        recent->menu()->actions().at(2)->trigger();
        QCOMPARE(m_authors->searchField()->text(), u"jon"_s);
        QCOMPARE(m_authors->displayedAuthors(), 1);
        recent->clear();
        QCOMPARE(titles().size(), 2);
        QVERIFY(!BibPreferences::globalPreferences()->value(u"Recent Author Searches"_s).isValid());
    }

    void recentAuthorSearchesSurviveARestart()
    {
        m_authors->searchField()->setText(u"jon"_s);
        QTest::keyClick(m_authors->searchField(), Qt::Key_Return);
        m_window->saveCurrentSettings();
        m_testers.clear();
        m_window.reset();
        // A new process starts from the defaults and reads the stored settings.
        BibPreferences *prefs = BibPreferences::globalPreferences();
        prefs->setDefaults();
        prefs->loadPreferences();
        QVERIFY2(prefs->loadErrors().isEmpty(), qPrintable(prefs->loadErrors().join(u'\n')));

        m_window = startWindow();
        QVERIFY(waitForLoading(m_window->controllerDbList()));
        RecentSearchMenu *recent = m_window->controllerAuthorList()->searchMenu();
        QCOMPARE(recent->recents(), QStringList{u"jon"_s});
        QStringList titles;
        for (const QAction *action : recent->menu()->actions())
            titles << action->text();
        QVERIFY(titles.contains(u"jon"_s));
        recent->clear();
    }

    void theEditorShowsTheSelectedEntry()
    {
        DetailInfoController *editor = m_window->controllerDetail();
        m_items->selectItemsByBibkeys({u"smith2"_s});
        QVERIFY(editor->currentItem());
        QCOMPARE(editor->currentItem()->bibKey(), u"smith2"_s);
        m_items->selectItemsByBibkeys({u"smith1"_s, u"smith2"_s});
        QVERIFY(!editor->currentItem()); // several entries: nothing to edit
    }

    void typingFilters()
    {
        QTest::keyClicks(m_items->searchField(), u"caf"_s);
        QCOMPARE(shownKeys(), QStringList{u"smith2"_s});
        m_items->searchField()->setText(u"CAF\u00c9"_s);
        QCOMPARE(shownKeys(), QStringList{u"smith2"_s});
        m_items->caseCheck()->setChecked(true);
        QCOMPARE(m_items->displayedItems(), 0);
        m_items->caseCheck()->setChecked(false);
        // With no field to look at, every entry is shown.
        m_items->searchMenu()->actions().at(2)->trigger(); // no fields
        m_items->fieldSearch();
        QCOMPARE(m_items->displayedItems(), 3);
        m_items->setSearchTarget(u"journal"_s, true);
        m_items->clearIncrementalSearch();
        QTest::keyClicks(m_items->searchField(), u"ACTA"_s);
        QCOMPARE(shownKeys(), QStringList{u"smith2"_s});
        QTest::keyClicks(m_items->searchField(), u"x"_s);
        QCOMPARE(m_items->displayedItems(), 0);
    }

    void sortingByClickedColumn()
    {
        const int year = m_items->model()->columnOfIdentifier(u"06_year"_s);
        QVERIFY(year >= 0);
        QHeaderView *header = m_items->view()->horizontalHeader();
        m_window->mainWindow()->resize(1200, 600);
        m_window->mainWindow()->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window->mainWindow()));
        const auto click = [&] {
            const int x = header->sectionViewportPosition(year) + header->sectionSize(year) / 2;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        };
        selectKeys({u"tanaka3"_s});
        click();
        QCOMPARE(shownKeys(), QStringList({u"smith2"_s, u"smith1"_s, u"tanaka3"_s}));
        click();
        QCOMPARE(shownKeys(), QStringList({u"tanaka3"_s, u"smith1"_s, u"smith2"_s}));
        QCOMPARE(m_items->selectedBibKeys(), QStringList{u"tanaka3"_s}); // selection kept
        m_items->sortByColumn(u"03_bibkey"_s, true);
        QCOMPARE(shownKeys(), QStringList({u"smith1"_s, u"smith2"_s, u"tanaka3"_s}));
    }

    void marks()
    {
        selectKeys({u"smith1"_s, u"tanaka3"_s});
        trigger(ItemListController::TagCheckSelection);
        const int mark = m_items->model()->columnOfIdentifier(u"00_mark"_s);
        QCOMPARE(m_items->model()->index(0, mark).data(Qt::CheckStateRole).toInt(),
                 int(Qt::Checked));
        trigger(ItemListController::TagSelectUnchecked);
        QCOMPARE(m_items->selectedBibKeys(), QStringList{u"smith2"_s});
        // Space toggles; a click on the box marks one entry.
        m_items->view()->setFocus();
        QTest::keyClick(m_items->view(), Qt::Key_Space);
        trigger(ItemListController::TagSelectChecked);
        QCOMPARE(m_items->selectedBibKeys().size(), 3);
        trigger(ItemListController::TagUncheckAll);
        QVERIFY(m_items->model()->setData(m_items->model()->index(1, mark), Qt::Checked,
                                          Qt::CheckStateRole));
        trigger(ItemListController::TagSelectChecked);
        QCOMPARE(m_items->selectedBibKeys(), QStringList{u"smith2"_s});
        QVERIFY(m_list->selectedDatabase()->isDirty());
    }

    void copyFormats_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QString>("mimeType");
        QTest::addColumn<QStringList>("expected");
        const QString japanese = QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
        QTest::newRow("keys") << int(ItemListController::TagCopyAsBibkey) << u"text/plain"_s
                              << QStringList{u"smith2, tanaka3"_s};
        QTest::newRow("cite") << int(ItemListController::TagCopyAsCite) << u"text/plain"_s
                              << QStringList{u"\\cite{smith2, tanaka3}"_s};
        QTest::newRow("nocite") << int(ItemListController::TagCopyAsNocite) << u"text/plain"_s
                                << QStringList{u"\\nocite{smith2, tanaka3}"_s};
        QTest::newRow("bibitem") << int(ItemListController::TagCopyAsBibitemList) << u"text/plain"_s
                                 << QStringList{u"\\bibitem{smith2} "_s, u"\\bibitem{tanaka3} "_s};
        QTest::newRow("html") << int(ItemListController::TagCopyAsHTMLList) << u"text/plain"_s
                              << QStringList{u"<ol style=\"list-style-type:decimal;\">"_s,
                                             u"<li style="_s, japanese, u"</ol>"_s};
        QTest::newRow("text list, plain")
            << int(ItemListController::TagCopyAsTextList) << u"text/plain"_s
            << QStringList{japanese, u"Caf\u00e9"_s, u"\u00fcber"_s};
        QTest::newRow("text list, html") << int(ItemListController::TagCopyAsTextList)
                                         << u"text/html"_s << QStringList{u"<ol>"_s, japanese};
        // Every character outside ASCII survives as \uN (no "?" in its place).
        QTest::newRow("rtf list") << int(ItemListController::TagCopyAsRTFList) << u"text/rtf"_s
                                  << QStringList{u"{\\rtf1"_s,    u"\\u26085?\\u26412?"_s,
                                                 u"Caf\\u233?"_s, u"\\u252?ber"_s,
                                                 u"\\u322?"_s,    u"1.\\tab"_s};
        QTest::newRow("entries") << int(ItemListController::TagCopy) << u"text/plain"_s
                                 << QStringList{u"\\cite{smith2, tanaka3}"_s};
    }

    void copyFormats()
    {
        QFETCH(int, tag);
        QFETCH(QString, mimeType);
        QFETCH(QStringList, expected);
        m_items->sortByColumn(u"03_bibkey"_s, true);
        selectKeys({u"smith2"_s, u"tanaka3"_s});
        trigger(tag);
        const QMimeData *data = QGuiApplication::clipboard()->mimeData();
        QVERIFY(data);
        QVERIFY2(data->hasFormat(mimeType), qPrintable(data->formats().join(u", ")));
        const QString text = mimeType == u"text/plain"  ? data->text()
                             : mimeType == u"text/html" ? data->html()
                                                        : QString::fromLatin1(data->data(mimeType));
        for (const QString &part : expected)
            QVERIFY2(text.contains(part), qPrintable(part + u" not in: "_s + text));
        if (mimeType == u"text/rtf")
            QVERIFY(!text.contains(u"??"));
    }

    void yenReplacesBackslash()
    {
        BibPreferences::globalPreferences()->setConvertToYen(true);
        selectKeys({u"smith1"_s});
        trigger(ItemListController::TagCopyAsCite);
        QCOMPARE(QGuiApplication::clipboard()->text(), u"\u00a5cite{smith1}"_s);
        BibPreferences::globalPreferences()->setConvertToYen(false);
    }

    void cutAndPasteBetweenDatabases()
    {
        LocalDatabase *first = databaseNamed(m_list, u"browse"_s);
        QVERIFY(first);
        LocalDatabase *second = open(u"other.bib"_s, "@misc{smith1, title = {Taken}}\n");
        QVERIFY(second);
        m_list->selectDatabase(first);
        selectKeys({u"smith1"_s, u"tanaka3"_s});
        trigger(ItemListController::TagCut);
        QCOMPARE(first->numItems(), 1);
        QVERIFY(ItemMimeData::hasItems(QGuiApplication::clipboard()->mimeData()));

        m_list->selectDatabase(second);
        trigger(ItemListController::TagPaste);
        QCOMPARE(second->numItems(), 3);
        // The pasted smith1 took a key of its own; the pasted entries are selected.
        QStringList keys = m_items->selectedBibKeys();
        keys.sort();
        QCOMPARE(keys.size(), 2);
        QVERIFY(keys.contains(u"tanaka3"_s));
        QVERIFY(!keys.contains(u"smith1"_s));
        QVERIFY(second->isDirty());
        const QString japanese = QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e");
        QVERIFY(second->allItems()->back()->fieldDataForView(u"title"_s).startsWith(japanese));

        // Pasting the same entries again adds them again, with new keys.
        trigger(ItemListController::TagPaste);
        QCOMPARE(second->numItems(), 5);
    }

    void pasteBibTeXText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("questions");
        QTest::newRow("two entries") << u"From the publisher:\n@article{new1, title={One}, "
                                        u"author={Aaron Zed and Ann Jones}}\n"
                                        "@book{smith1, title={Clash}, author={Zo\\\"e Brown}}"_s
                                     << 2 << 0;
        QTest::newRow("a reading problem adds nothing")
            << u"@article{good, title={Fine}}\n@article{bad, title={Open"_s << 0 << 1;
        QTest::newRow("not BibTeX") << u"just words"_s << 0 << 0;
    }

    void pasteBibTeXText()
    {
        QFETCH(QString, text);
        QFETCH(int, added);
        QFETCH(int, questions);
        ScriptedAlertPresenter presenter({0});
        LocalDatabase *database = databaseNamed(m_list, u"browse"_s);
        QGuiApplication::clipboard()->setText(text);
        m_window->actions()->updateEnabled();
        m_window->actions()->action(ItemListController::TagPaste)->trigger();
        QCOMPARE(database->numItems(), 3 + added);
        QCOMPARE(int(presenter.requests().size()), questions);
        // The names the paste added are merged into the author list in the
        // order a list made afresh has.
        AuthorListModel fresh;
        fresh.setAuthors(database->allAuthors());
        QCOMPARE(m_authors->model()->rowCount(), fresh.rowCount());
        for (int row = 1; row < fresh.rowCount(); ++row)
            QCOMPARE(m_authors->model()->nameAt(row), fresh.nameAt(row));
        if (added > 0) {
            QStringList keys = m_items->selectedBibKeys();
            keys.sort();
            QCOMPARE(keys.size(), added);
            QCOMPARE(keys.front(), u"new1"_s);
            QVERIFY(keys.back() != u"smith1"_s); // a key of its own
        }
    }

    void dragBetweenDatabases()
    {
        LocalDatabase *first = databaseNamed(m_list, u"browse"_s);
        LocalDatabase *second = open(u"target.bib"_s, "@misc{z1, title = {Here}}\n");
        m_list->selectDatabase(first);
        selectKeys({u"smith1"_s, u"smith2"_s});
        const QModelIndexList rows = m_items->view()->selectionModel()->selectedRows();
        std::unique_ptr<QMimeData> drag(m_items->model()->mimeData(rows));
        QVERIFY(drag);
        QVERIFY(drag->formats().contains(ItemMimeData::kBibItemMimeType));
        QVERIFY(!m_list->acceptsDrop(drag.get(), m_list->databaseNode(), -1)); // a group
        QVERIFY(m_list->acceptsDrop(drag.get(), second, -1));
        QVERIFY(m_list->performDrop(drag.get(), second, -1));
        QCOMPARE(second->numItems(), 3);
        QCOMPARE(first->numItems(), 3); // a copy, not a move

        // Rows with an entry of no database are not dragged; its cells are red.
        const BibItemPtr stray = BibItem::create();
        m_items->setItems({first->allItems()->front(), stray});
        const int strayRow = m_items->model()->rowOfItem(stray.get());
        const QModelIndex cell = m_items->model()->index(strayRow, 2);
        QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::red));
        QVERIFY(!m_items->model()->mimeData({m_items->model()->index(0, 2), cell}));
        QVERIFY(m_items->model()->mimeData({m_items->model()->index(1 - strayRow, 2)}));
    }

    // Only whole rows count as selected entries, scattered or not.
    void selectedEntriesAreWholeRows()
    {
        selectKeys({u"smith1"_s, u"tanaka3"_s});
        QStringList keys = m_items->selectedBibKeys();
        keys.sort();
        QCOMPARE(keys, (QStringList{u"smith1"_s, u"tanaka3"_s}));
        QItemSelectionModel *selection = m_items->view()->selectionModel();
        const QModelIndex cell = m_items->model()->index(1, 1);
        selection->select(cell, QItemSelectionModel::ClearAndSelect);
        QVERIFY(m_items->selectedItems().empty());
        selection->select(cell, QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QCOMPARE(m_items->selectedItems().size(), size_t(1));
        QCOMPARE(m_items->selectedItems().front(), m_items->model()->items()[1]);
    }

    void removalAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<int>("remaining");
        QTest::newRow("cancel") << 1 << 3;
        QTest::newRow("remove") << 0 << 1;
    }

    void removalAsks()
    {
        QFETCH(int, answer);
        QFETCH(int, remaining);
        ScriptedAlertPresenter presenter({answer});
        selectKeys({u"smith1"_s, u"smith2"_s});
        trigger(ItemListController::TagRemove);
        QCOMPARE(presenter.requests().size(), size_t(1));
        QVERIFY(presenter.requests().front().message.contains(u"smith1, smith2"));
        QCOMPARE(m_list->selectedDatabase()->numItems(), remaining);
    }

    // Each command's change is undone and redone through the Edit commands;
    // the state is the database's keys with their marks.
    void undoAndRedo_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<int>("answer");
        QTest::newRow("cut") << int(ItemListController::TagCut) << QStringList{u"smith1"_s} << 1;
        QTest::newRow("paste") << int(ItemListController::TagPaste) << QStringList{u"smith2"_s}
                               << 1;
        QTest::newRow("removal") << int(ItemListController::TagRemove)
                                 << QStringList{u"smith1"_s, u"tanaka3"_s} << 0;
        QTest::newRow("mark selected")
            << int(ItemListController::TagCheckSelection) << QStringList{u"smith2"_s} << 1;
        QTest::newRow("mark all") << int(ItemListController::TagCheckAll) << QStringList() << 1;
        QTest::newRow("drop") << 0 << QStringList{u"smith2"_s, u"tanaka3"_s} << 1;
    }

    void undoAndRedo()
    {
        QFETCH(int, tag);
        QFETCH(QStringList, selected);
        QFETCH(int, answer);
        ScriptedAlertPresenter presenter({answer});
        LocalDatabase *database = databaseNamed(m_list, u"browse"_s);
        const auto state = [database] {
            QStringList keys;
            for (const BibItemPtr &item : *database->allItems())
                keys << item->bibKey() + (item->mark() ? u"*"_s : QString());
            keys.sort();
            return keys;
        };
        QAction *undo = m_window->actions()->action(ItemListController::TagUndo);
        QAction *redo = m_window->actions()->action(ItemListController::TagRedo);
        m_window->actions()->updateEnabled();
        QVERIFY(!undo->isEnabled());
        selectKeys(selected);
        if (tag == ItemListController::TagPaste)
            trigger(ItemListController::TagCopy);
        const QStringList before = state();
        if (tag == 0) {
            const QModelIndexList rows = m_items->view()->selectionModel()->selectedRows();
            std::unique_ptr<QMimeData> drag(m_items->model()->mimeData(rows));
            QVERIFY(m_list->performDrop(drag.get(), database, -1));
        } else {
            trigger(tag);
        }
        const QStringList after = state();
        QVERIFY(after != before);

        trigger(ItemListController::TagUndo);
        QCOMPARE(state(), before);
        m_window->actions()->updateEnabled();
        QVERIFY(!undo->isEnabled());
        trigger(ItemListController::TagRedo);
        QCOMPARE(state(), after);
        QVERIFY(!redo->isEnabled());
        trigger(ItemListController::TagUndo);
        QCOMPARE(state(), before);
        QCOMPARE(m_items->totalItems(), int(before.size()));
    }

    // A database read again from its file, or closed and opened again, no
    // longer holds the pasted entries: their undo is dropped, not run
    // against the new entries.
    void undoForgetsReadAgainDatabases_data()
    {
        QTest::addColumn<bool>("close");
        QTest::newRow("read again from its file") << false;
        QTest::newRow("closed and opened again") << true;
    }

    void undoForgetsReadAgainDatabases()
    {
        QFETCH(bool, close);
        ScriptedAlertPresenter presenter({1});
        LocalDatabase *database = databaseNamed(m_list, u"browse"_s);
        selectKeys({u"smith2"_s});
        trigger(ItemListController::TagCopy);
        trigger(ItemListController::TagPaste);
        QCOMPARE(database->numItems(), 4);
        QAction *undo = m_window->actions()->action(ItemListController::TagUndo);
        m_window->actions()->updateEnabled();
        QVERIFY(undo->isEnabled());

        const QString path = database->fullPath();
        if (close) {
            m_list->removeDatabase(database);
            QVERIFY(!databaseNamed(m_list, u"browse"_s));
            database = m_list->appendLocalDatabase(path, false);
            QVERIFY(database);
        } else {
            m_list->reloadFromDisk(database);
        }
        QVERIFY(waitForLoading(m_list));
        m_list->selectDatabase(database);
        QCOMPARE(database->numItems(), 3);
        m_window->actions()->updateEnabled();
        QVERIFY(!undo->isEnabled());
        m_items->undoStack()->undo(); // even asked directly
        QCOMPARE(database->numItems(), 3);

        // What is done after the reading is undone as before.
        selectKeys({u"tanaka3"_s});
        trigger(ItemListController::TagCut);
        QCOMPARE(database->numItems(), 2);
        trigger(ItemListController::TagUndo);
        QCOMPARE(database->numItems(), 3);
        QCOMPARE(shownKeys().size(), 3);
    }

    void keyGenerationAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("changed");
        QTest::newRow("cancel") << 1 << false;
        QTest::newRow("generate") << 0 << true;
    }

    void keyGenerationAsks()
    {
        QFETCH(int, answer);
        QFETCH(bool, changed);
        ScriptedAlertPresenter presenter({answer});
        selectKeys({u"smith1"_s, u"smith2"_s});
        trigger(ItemListController::TagGenerateBibKeys);
        QCOMPARE(presenter.requests().size(), size_t(1));
        QVERIFY(presenter.requests().front().message.contains(u"smith1, smith2"));
        QStringList keys = shownKeys();
        QCOMPARE(keys.contains(u"smith1"_s), !changed);
        QCOMPARE(keys.contains(u"smith2"_s), !changed);
        if (!changed)
            return;
        QCOMPARE(m_items->selectedBibKeys().size(), 2); // still selected
        trigger(ItemListController::TagUndo);
        keys = shownKeys();
        keys.sort();
        QCOMPARE(keys, QStringList({u"smith1"_s, u"smith2"_s, u"tanaka3"_s}));
    }

    void keyGenerationRefusesStrayEntries()
    {
        ScriptedAlertPresenter presenter({0});
        const BibItemPtr stray = BibItem::create();
        m_items->setItems({stray});
        m_items->selectBibItems({stray});
        const QString key = stray->bibKey();
        trigger(ItemListController::TagGenerateBibKeys);
        QCOMPARE(presenter.requests().size(), size_t(1));
        QCOMPARE(presenter.requests().front().title, Texts::text(u"LockedAlert1"));
        QCOMPARE(stray->bibKey(), key);
    }

    void singleEntryCommandsOpenOne()
    {
        QList<QUrl> opened;
        m_items->setOpener([&opened](const QUrl &url) { opened << url; });
        selectKeys({u"smith2"_s});
        trigger(ItemListController::TagOpenURL);
        trigger(ItemListController::TagCreateNewMail);
        QCOMPARE(opened,
                 QList<QUrl>({QUrl(u"https://example.org/a"_s), QUrl(u"mailto:a@example.org"_s)}));
    }

    // Copying attachments never destroys one: not onto itself, not a folder
    // into itself, and an overwritten file is replaced only by a whole copy.
    void copyAttachmentsKeepsWhatIsThere()
    {
        const QString folder = m_dir->filePath(u"papers"_s);
        QVERIFY(QDir().mkpath(folder + u"/inner"_s));
        const QString paper = folder + u"/paper.pdf"_s;
        QVERIFY(QFile(writeFile(*m_dir, u"papers/paper.pdf"_s, "the paper")).exists());
        writeFile(*m_dir, u"papers/inner/note.txt"_s, "a note");
        LocalDatabase *database = open(u"files.bib"_s, "@misc{withFile, file = {" + paper.toUtf8() +
                                                           "}}\n"
                                                           "@misc{withFolder, file = {" +
                                                           folder.toUtf8() + "}}\n");
        QVERIFY(database);
        QString destination = folder;
        m_items->setFolderChooser([&destination] { return destination; });
        ScriptedAlertPresenter presenter({1, 1}, 1);
        selectKeys({u"withFile"_s, u"withFolder"_s});
        trigger(ItemListController::TagCopyAttachments);
        // Its own folder: the file is skipped, the folder refused (one question).
        QCOMPARE(readFile(paper), QByteArray("the paper"));
        QCOMPARE(presenter.requests().size(), size_t(1));

        const QString other = m_dir->filePath(u"copies"_s);
        QVERIFY(QDir().mkpath(other));
        writeFile(*m_dir, u"copies/paper.pdf"_s, "an old copy");
        destination = other;
        ScriptedAlertPresenter overwrite({1}, 1);
        trigger(ItemListController::TagCopyAttachments);
        QCOMPARE(overwrite.requests().size(), size_t(1)); // paper.pdf exists there
        QCOMPARE(readFile(other + u"/paper.pdf"_s), QByteArray("the paper"));
        QCOMPARE(readFile(other + u"/papers/inner/note.txt"_s), QByteArray("a note"));
        QCOMPARE(QDir(other).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList({u"paper.pdf"_s, u"papers"_s}));
    }

    void commandsFollowTheState_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("none");
        QTest::addColumn<bool>("plain");
        QTest::addColumn<bool>("linked");
        using C = ItemListController;
        QTest::newRow("copy") << int(C::TagCopy) << false << true << true;
        QTest::newRow("cut") << int(C::TagCut) << false << true << true;
        QTest::newRow("cite") << int(C::TagCopyAsCite) << false << true << true;
        QTest::newRow("rtf") << int(C::TagCopyAsRTFList) << false << true << true;
        QTest::newRow("mark") << int(C::TagCheckSelection) << false << true << true;
        QTest::newRow("mark all") << int(C::TagCheckAll) << true << true << true;
        QTest::newRow("remove") << int(C::TagRemove) << false << true << true;
        QTest::newRow("open links") << int(C::TagOpenURLs) << false << false << true;
        QTest::newRow("e-mail") << int(C::TagSendEmails) << false << false << true;
        QTest::newRow("attachments") << int(C::TagOpenAttachments) << false << false << false;
        QTest::newRow("copy attachments") << int(C::TagCopyAttachments) << false << false << false;
        QTest::newRow("open link") << int(C::TagOpenURL) << false << false << true;
        QTest::newRow("write e-mail") << int(C::TagCreateNewMail) << false << false << true;
        QTest::newRow("open file") << int(C::TagOpenFile) << false << false << false;
        QTest::newRow("generate keys") << int(C::TagGenerateBibKeys) << false << true << true;
    }

    void commandsFollowTheState()
    {
        QFETCH(int, tag);
        QFETCH(bool, none);
        QFETCH(bool, plain);
        QFETCH(bool, linked);
        ActionRegistry *actions = m_window->actions();
        selectKeys({});
        QCOMPARE(actions->validate(tag), none);
        selectKeys({u"smith1"_s});
        QCOMPARE(actions->validate(tag), plain);
        selectKeys({u"smith2"_s});
        QCOMPARE(actions->validate(tag), linked);
        actions->updateEnabled();
        QCOMPARE(actions->action(tag)->isEnabled(), linked);
    }

    void pasteNeedsEntriesAndAnItemNode()
    {
        ActionRegistry *actions = m_window->actions();
        QGuiApplication::clipboard()->clear();
        QVERIFY(!actions->validate(ItemListController::TagPaste));
        selectKeys({u"smith1"_s});
        trigger(ItemListController::TagCopy);
        QVERIFY(actions->validate(ItemListController::TagPaste));
        m_list->selectDatabase(m_list->databaseNode()); // a group takes no entries
        QVERIFY(!actions->validate(ItemListController::TagPaste));
    }
};

QF_GUI_TEST_MAIN(BrowseTest)
#include "BrowseTest.moc"
