#pragma once

#include <QString>

class BibItem;
class ItemDatabase;

// What a committed item change tells the rest of the program: the database
// list (which passes the change down the tree and refreshes the selection) and
// the application controller (which resorts the item list). The window installs
// its implementation with setGlobal(); headless, the default does nothing.
// The installed observer must outlive every item; install it on the main thread
// before items are edited.
class ItemChangeObserver
{
public:
    virtual ~ItemChangeObserver() = default;

    // The item was changed and committed; libraries follow it.
    virtual void bibItemChanged(BibItem &item);
    // The author index of a database changed: refresh the author selection.
    virtual void selectionChanged();
    // The order of the item list may have changed.
    virtual void resortItems();
    // The open database with this identifier, or null (used when an archived
    // item is restored).
    virtual ItemDatabase *findDatabaseOfID(const QString &uniqueID);

    // The installed observer (the do-nothing one when none is installed).
    static ItemChangeObserver &global();
    // Installs `observer`; null restores the do-nothing one.
    static void setGlobal(ItemChangeObserver *observer);
};
