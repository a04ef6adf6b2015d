#include "storage/StoragePrefs.h"

#include "prefs/BibPreferences.h"

#include <atomic>

namespace {

BibPreferences &prefs()
{
    return *BibPreferences::globalPreferences();
}

// The first-start questions are asked by the window; headless code never sets this.
std::atomic<bool> welcomeRunning{false};

} // namespace

unsigned StoragePrefs::databaseEncoding()
{
    return prefs().databaseEncoding();
}

int StoragePrefs::databaseLineMode()
{
    return prefs().databaseLineMode();
}

bool StoragePrefs::runningWelcome()
{
    return welcomeRunning.load();
}

void StoragePrefs::setRunningWelcome(bool running)
{
    welcomeRunning.store(running);
}

bool StoragePrefs::suppressWarning(const QString &uniqueID)
{
    return prefs().suppressWarning(uniqueID);
}

void StoragePrefs::removeSuppressDatabase(const QString &uniqueID)
{
    if (prefs().suppressWarning(uniqueID))
        prefs().removeSuppressDatabase(uniqueID);
}

QVariantMap StoragePrefs::dbTreeDictionary()
{
    return prefs().dbTreeDictionary().value_or(QVariantMap());
}

void StoragePrefs::setDbTreeDictionary(const QVariantMap &tree)
{
    prefs().setDbTreeDictionary(tree);
}

QString StoragePrefs::bibkeyGenRule()
{
    return prefs().bibkeyGenRule();
}

int StoragePrefs::listPrefixOnCopy()
{
    return prefs().listPrefixOnCopy();
}

void StoragePrefs::setListPrefixOnCopy(int prefix)
{
    prefs().setListPrefixOnCopy(prefix);
}
