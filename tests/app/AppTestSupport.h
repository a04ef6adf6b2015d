#pragma once

// What the window tests share: a fresh start of the real window on a clean
// support folder, copies of corpus files to work on, and waiting for loading.
#include "SmallBib.h"
#include "app/DBListController.h"
#include "app/QFMainController.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

class BibDatabase;
class LocalDatabase;

namespace AppTest {

// Forgets the stored tree, manual libraries and selection (the settings of
// the test's own temporary home).
void resetStoredState();
// Builds the controller and restores the tree as the program's start does;
// the first-start sheet is answered with OK when it opens.
std::unique_ptr<QFMainController> startWindow();
// Waits until no database is loading; false on time-out.
bool waitForLoading(DBListController *list, int timeoutMs = 20000);
// Copies a corpus file (path below the corpus folder) into `dir`.
QString copyCorpusFile(const QTemporaryDir &dir, const QString &relative);
// Writes `text` as a UTF-8 file `name` in `dir` and answers its path.
QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text);
QByteArray readFile(const QString &path);
// The tree's row texts, depth-first, indented by two blanks per level.
QStringList treeRows(DBListController *list);
LocalDatabase *databaseNamed(DBListController *list, const QString &description);

using QfTest::kSmallBib;

} // namespace AppTest
