// The entry editor of the real window with a large file loaded: filling the
// editor when another entry is selected, and committing an edit while three
// smart libraries follow the changes of the database. Each step includes
// the events it posts (the spelling check of the fields shown).
#include "BenchWindow.h"
#include "GuiTestMain.h"

#include "app/DBListController.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "editor/SpellChecker.h"
#include "model/BibItem.h"
#include "model/SmartSearchCondition.h"
#include "storage/LocalDatabase.h"
#include "storage/SmartLibrary.h"
#include "storage/SmartLibraryProperties.h"

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

class EditorBench : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QFMainController> m_window;
    DBListController *m_list = nullptr;
    LocalDatabase *m_database = nullptr;

    BibFieldDataField *fieldNamed(const QString &name) const
    {
        DetailInfoController *editor = m_window->controllerDetail();
        for (int slot = 2; slot <= DetailInfoController::kSlotCount; ++slot) {
            if (editor->field(slot)->fieldName() == name)
                return editor->field(slot);
        }
        return nullptr;
    }
    // Milliseconds of each run of `step`, as median and maximum.
    template<typename Step> static void report(const char *what, int runs, Step step)
    {
        std::vector<double> times;
        QElapsedTimer timer;
        for (int i = 0; i < runs; ++i) {
            timer.start();
            step(i);
            times.push_back(double(timer.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        qInfo("%s: median %.2f ms, 90th percentile %.2f ms, max %.2f ms over %d runs", what,
              times[times.size() / 2], times[times.size() * 9 / 10], times.back(), runs);
    }

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
        m_window->mainWindow()->show();
        SpellChecker::globalChecker()->waitUntilLoaded();
    }

    void fillOnSelection()
    {
        DetailInfoController *editor = m_window->controllerDetail();
        const BibItemList &items = *m_database->allItems();
        const int step = std::max(1, int(items.size()) / 500);
        report("fill the editor, another entry", 500,
               [&](int i) { editor->setItem(items.at(size_t(i * step) % items.size())); });
        report("fill the editor and paint the window", 500, [&](int i) {
            editor->setItem(items.at(size_t(i * step + 1) % items.size()));
            QCoreApplication::processEvents();
        });
        editor->setEnableEdit(true);
        report("fill the editor while editing, and paint", 500, [&](int i) {
            editor->setItem(items.at(size_t(i * step + 2) % items.size()));
            QCoreApplication::processEvents();
        });
        editor->setEnableEdit(false);
    }

    void commitWithThreeSmartLibraries()
    {
        // Smart libraries sit at the top of the tree, beside the databases.
        BibDatabase *libraries = m_list->rootNode();
        const std::vector<std::vector<SmartSearchCondition>> searches = {
            {SmartSearchCondition::conditionWith(14, 1, u"the"_s, false)},
            {SmartSearchCondition::conditionWith(20, 20, u"1980"_s, false)},
            {SmartSearchCondition::conditionWith(1, 1, u"graph"_s, false),
             SmartSearchCondition::conditionWith(14, 1, u"a"_s, false)}};
        std::vector<SmartLibrary *> smart;
        for (const auto &conditions : searches) {
            auto library = SmartLibrary::smartLibraryWithName(u"Bench"_s);
            library->smartProperties().setUpdateCondition(0);
            library->smartProperties().setSearchConditions(conditions);
            auto *node =
                static_cast<SmartLibrary *>(libraries->insertChild(std::move(library), -1));
            node->databaseOpened(m_database);
            node->waitForMerging();
            smart.push_back(node);
        }
        m_list->reload(true);
        QCoreApplication::processEvents();
        qInfo("smart libraries hold %zu, %zu and %zu entries", smart[0]->itemsSnapshot().size(),
              smart[1]->itemsSnapshot().size(), smart[2]->itemsSnapshot().size());

        DetailInfoController *editor = m_window->controllerDetail();
        const BibItemPtr item = m_database->allItems()->at(m_database->allItems()->size() / 2);
        QVERIFY(editor->setItem(item));
        editor->setEnableEdit(true);
        BibFieldDataField *title = fieldNamed(u"title"_s);
        QVERIFY(title);
        // The title goes in and out of the first library at every commit.
        const QString base =
            item->fieldDataForEdit(u"title"_s).remove(u"the"_s, Qt::CaseInsensitive);
        report("commit an edit, three smart libraries following", 200, [&](int i) {
            title->setText(i % 2 ? base : u"The "_s + base);
            title->fieldTextChanged();
            editor->fixCurrentItem();
            QCoreApplication::processEvents();
        });
        report("the same, until the libraries have merged it", 200, [&](int i) {
            title->setText(i % 2 ? base : u"The "_s + base);
            title->fieldTextChanged();
            editor->fixCurrentItem();
            for (SmartLibrary *library : smart)
                library->waitForMerging();
            QCoreApplication::processEvents();
        });
        editor->setEnableEdit(false);
    }
};

QF_GUI_TEST_MAIN(EditorBench)
#include "EditorBench.moc"
