#include "app/ScreenshotStage.h"

#include "app/ActionRegistry.h"
#include "app/AuthorListController.h"
#include "app/AuthorListModel.h"
#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "app/ItemListModel.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "editor/DetailInfoController.h"
#include "editor/InputPaletteDock.h"
#include "model/SmartSearchCondition.h"
#include "settings/ConditionRow.h"
#include "settings/FileViewController.h"
#include "settings/PreferencesDialog.h"
#include "settings/SmartLibrarySheet.h"
#include "storage/DatabaseGroup.h"

#include <QComboBox>
#include <QDockWidget>
#include <QLineEdit>
#include <QTabWidget>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

// Rendered a moment later, once the widget has laid itself out and painted.
void later(QWidget *widget, const std::function<void(QWidget *)> &ready)
{
    QTimer::singleShot(400, widget, [widget, ready] { ready(widget); });
}

} // namespace

void ScreenshotStage::stage(QFMainController &controller, const QString &what,
                            const std::function<void(QWidget *)> &ready)
{
    MainWindow *window = controller.mainWindow();
    if (what == u"preferences") {
        PreferencesDialog *dialog = controller.openPreferences();
        dialog->pages()->setCurrentIndex(2); // display and columns
        dialog->resize(820, 560);
        later(dialog, ready);
        return;
    }
    if (what == u"smart-library") {
        controller.actions()->updateEnabled();
        controller.actions()->action(8003)->trigger();
        for (SmartLibrarySheet *sheet : window->findChildren<SmartLibrarySheet *>()) {
            if (sheet->isVisible()) {
                // A library of recent papers on a subject, as a user would write it.
                sheet->descriptionField()->setText(u"Recent swarm papers"_s);
                sheet->rows().front()->searchField()->setText(u"swarm"_s);
                ConditionRow *year = sheet->addRow(1, SmartSearchCondition());
                year->targetPopup()->setCurrentIndex(year->targetPopup()->findData(20));
                year->conditionPopup()->setCurrentIndex(
                    std::max(0, year->conditionPopup()->count() - 2));
                year->searchField()->setText(u"2005"_s);
                sheet->resize(680, sheet->sizeHint().height());
                later(sheet, ready);
                return;
            }
        }
    }
    if (what.startsWith(u"entry:")) {
        window->resize(1280, 800);
        controller.controllerItemList()->selectItemsByBibkeys({what.mid(6)});
        controller.controllerDetail()->setEnableEdit(true);
        controller.controllerDetail()->inputPanel()->show();
        later(window, ready);
        return;
    }
    if (what.startsWith(u"lists:")) {
        const QString author = what.section(u':', 1, 1);
        const QString search = what.section(u':', 2);
        AuthorListController *authors = controller.controllerAuthorList();
        for (int row = 1; !author.isEmpty() && row < authors->model()->rowCount(); ++row) {
            if (authors->model()->nameAt(row).startsWith(author)) {
                authors->selectAuthorsByNames({authors->model()->nameAt(row)});
                break;
            }
        }
        if (!search.isEmpty())
            controller.controllerItemList()->searchField()->setText(search);
        later(window, ready);
        return;
    }
    if (what == u"viewer") {
        DBListController *list = controller.controllerDbList();
        BibDatabase *database = list->databaseNode()->firstChild();
        FileViewController *viewer = controller.controllerFileView();
        if (database) {
            window->resize(1400, 760);
            list->selectDatabase(database);
            viewer->dock()->show();
            window->resizeDocks({viewer->dock()}, {420}, Qt::Horizontal);
            QObject::connect(viewer, &FileViewController::shown, window,
                             [window, ready] { later(window, ready); });
            ItemListController *items = controller.controllerItemList();
            if (items->model()->rowCount() > 0)
                items->selectBibItems({items->model()->itemAt(0)});
            return;
        }
    }
    later(window, ready);
}
