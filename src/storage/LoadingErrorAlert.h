#pragma once

#include <QString>
#include <QStringList>

class BibDatabase;

// The alert that shows a database's reading errors after loading: OK keeps
// the database (waiting status 0), Cancel drops it (2). Main thread only.
class LoadingErrorAlert
{
public:
    // "LoadingErrors" with the count and the description, or "LoadingErrors1".
    static QString titleFor(const BibDatabase &database, const QStringList &errors);
    // Every error as "* %@" and a line feed, in order.
    static QString messageFor(const QStringList &errors);
    // Asks through the alert interface and sets the database's waiting status.
    static void openAlertWithDatabase(BibDatabase *database, const QStringList &errors);
};
