#include "app/AppTestSupport.h"

#include "app/DatabaseTreeModel.h"
#include "prefs/BibPreferences.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "settings/WelcomeController.h"
#include "storage/DatabaseGroup.h"
#include "storage/LocalDatabase.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace AppTest {

void resetStoredState()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    QDir(folder).removeRecursively();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
    BibPreferences *prefs = BibPreferences::globalPreferences();
    prefs->setLastSelectedDatabase(QString());
    prefs->setValue(BibPreferences::kPreferencesInitialized, true);
    prefs->setAutoSave(false);
}

std::unique_ptr<QFMainController> startWindow()
{
    auto controller = std::make_unique<QFMainController>();
    controller->applicationWillFinishLaunching();
    if (WelcomeController *welcome = controller->welcomeController(); welcome->isRunning())
        welcome->ok();
    return controller;
}

bool waitForLoading(DBListController *list, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (list->isLoading() && timer.elapsed() < timeoutMs)
        QTest::qWait(20);
    return !list->isLoading();
}

QString copyCorpusFile(const QTemporaryDir &dir, const QString &relative)
{
    const QString target = dir.filePath(QFileInfo(relative).fileName());
    QFile::remove(target);
    QFile::copy(QStringLiteral(QF_CORPUS_DIR "/") + relative, target);
    QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
    return target;
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text);
    return QFileInfo(path).canonicalFilePath();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList treeRows(DBListController *list)
{
    QStringList rows;
    const DatabaseTreeModel *model = list->model();
    std::function<void(const QModelIndex &, int)> walk = [&](const QModelIndex &parent, int depth) {
        for (int row = 0; row < model->rowCount(parent); ++row) {
            const QModelIndex index = model->index(row, 0, parent);
            rows << QString(depth * 2, u' ') + index.data().toString();
            walk(index, depth + 1);
        }
    };
    walk({}, 0);
    return rows;
}

LocalDatabase *databaseNamed(DBListController *list, const QString &description)
{
    for (BibDatabase *child : list->databaseNode()->children())
        if (child->description() == description)
            return dynamic_cast<LocalDatabase *>(child);
    return nullptr;
}

} // namespace AppTest
