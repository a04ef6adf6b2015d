#include "editor/NewEntryController.h"

#include "app/ActionRegistry.h"
#include "app/DBListController.h"
#include "app/QFMainController.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/DatabaseChoiceDialog.h"
#include "editor/DetailInfoController.h"
#include "editor/FieldVerdict.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"
#include "storage/DatabaseGroup.h"
#include "storage/RealDatabase.h"

#include <QApplication>

using namespace Qt::StringLiterals;

NewEntryController::NewEntryController(DBListController *list, DetailInfoController *editor,
                                       QObject *parent)
    : QObject(parent), m_list(list), m_editor(editor),
      m_chooser([](const QStringList &descriptions) {
          return DatabaseChoiceDialog::choose(descriptions, QApplication::activeWindow());
      })
{}

void NewEntryController::registerActions(ActionRegistry *actions)
{
    actions->add(
        kTagAppendBibItem, u"Editor_NewEntry"_s, QKeySequence(u"Ctrl+Shift+N"_s),
        [this] { return canAppend(); }, [this] { appendBibItem(); });
}

QList<RealDatabase *> NewEntryController::openDatabases() const
{
    QList<RealDatabase *> databases;
    const DatabaseGroup *group = m_list->databaseNode();
    for (int i = 0; group && i < group->numberOfChildren(); ++i) {
        if (auto *database = dynamic_cast<RealDatabase *>(group->childAtIndex(i)))
            databases.append(database);
    }
    return databases;
}

bool NewEntryController::canAppend() const
{
    return !openDatabases().isEmpty();
}

RealDatabase *NewEntryController::chooseDatabase()
{
    if (auto *selected = dynamic_cast<RealDatabase *>(m_list->selectedDatabase()))
        return selected;
    const QList<RealDatabase *> databases = openDatabases();
    if (databases.size() == 1)
        return databases.first();
    if (databases.isEmpty()) {
        AlertPresenter::show({Texts::text(u"Editor_NoDatabaseTitle"),
                              Texts::text(u"Editor_NoDatabaseMessage"), Texts::text(u"OK"),
                              QString(), QString()});
        return nullptr;
    }
    QStringList descriptions;
    for (const RealDatabase *database : databases)
        descriptions << database->description();
    const int index = m_chooser(descriptions);
    return index >= 0 && index < databases.size() ? databases.at(index) : nullptr;
}

std::shared_ptr<BibItem> NewEntryController::appendBibItem()
{
    // The entry being edited is settled first.
    if (!m_editor->resolveRejectedValues())
        return nullptr;
    RealDatabase *database = chooseDatabase();
    if (!database)
        return nullptr;
    m_list->selectDatabase(database);
    if (database->isLoading()) {
        AlertPresenter::show({Texts::text(u"CanNotProceed"), Texts::text(u"NowLoadingMessage"),
                              Texts::text(u"OK"), QString(), QString()});
        return nullptr;
    }
    if (const QString reason = FieldVerdict::readOnlyReasonOf(database); !reason.isEmpty()) {
        AlertPresenter::show({Texts::text(u"Editor_NoNewEntryTitle"), Texts::text(reason),
                              Texts::text(u"OK"), QString(), QString()});
        return nullptr;
    }
    const QString type = BibPreferences::globalPreferences()->lastCreatedBibType();
    std::shared_ptr<BibItem> item =
        database->appendNewBibItemWithType(type.isEmpty() ? u"ARTICLE"_s : type);
    if (!item)
        return nullptr;
    m_list->reload(true);
    if (QFMainController *main = QFMainController::globalMainController())
        main->forceShowDetail();
    m_editor->showTab(u"basic"_s);
    m_editor->setItem(item);
    if (m_editor->isEnableEdit())
        m_editor->setEnableEdit(true); // focus on the key again
    else
        m_editor->forceEditMode();
    Q_EMIT itemAppended(item);
    return item;
}
