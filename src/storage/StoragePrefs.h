#pragma once

#include <QString>
#include <QVariantMap>

// The preferences the storage layer reads, in one place: the defaults of new
// database files, the write-reservation warning list, the stored tree, the
// key rule and the copy prefix. Reads and writes go to the global preferences
// store; call from the main thread, except the plain reads marked below.
class StoragePrefs
{
public:
    // Safe from a loading thread (read-only values).
    static unsigned databaseEncoding();
    static int databaseLineMode();
    // Set by the window while its first-start questions are open; loading
    // threads wait for it to clear.
    static bool runningWelcome();
    static void setRunningWelcome(bool running);

    static bool suppressWarning(const QString &uniqueID);
    static void removeSuppressDatabase(const QString &uniqueID);
    static QVariantMap dbTreeDictionary();
    static void setDbTreeDictionary(const QVariantMap &tree);
    static QString bibkeyGenRule();
    static int listPrefixOnCopy();
    static void setListPrefixOnCopy(int prefix);
};
