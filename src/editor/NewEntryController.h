#pragma once

#include <QObject>
#include <QStringList>

#include <functional>
#include <memory>

class ActionRegistry;
class BibItem;
class DBListController;
class DetailInfoController;
class RealDatabase;

// The new-entry command (tag 8100): picks the database (the selected one, the
// only one, or the user's choice in a sheet), appends an entry of the last
// created type and opens it in the editor, editing, on the "basic" tab.
// Disabled while no database is open. Created by the application controller;
// main thread only.
class NewEntryController : public QObject
{
    Q_OBJECT

public:
    static constexpr int kTagAppendBibItem = 8100;
    // Shows the databases' descriptions; answers the chosen index, or -1.
    using Chooser = std::function<int(const QStringList &descriptions)>;

    NewEntryController(DBListController *list, DetailInfoController *editor,
                       QObject *parent = nullptr);

    void registerActions(ActionRegistry *actions);
    void setChooser(Chooser chooser) { m_chooser = std::move(chooser); }
    // Some database is open.
    bool canAppend() const;
    // The command; the new entry, or null when none was made.
    std::shared_ptr<BibItem> appendBibItem();

Q_SIGNALS:
    // A new entry exists and is shown in the editor: the entry list selects it.
    void itemAppended(const std::shared_ptr<BibItem> &item);

private:
    QList<RealDatabase *> openDatabases() const;
    RealDatabase *chooseDatabase();

    DBListController *m_list;
    DetailInfoController *m_editor;
    Chooser m_chooser;
};
