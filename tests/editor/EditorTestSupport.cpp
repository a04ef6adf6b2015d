#include "editor/EditorTestSupport.h"

#include "SmallBib.h"
#include "app/DBListController.h"
#include "app/MainWindow.h"
#include "core/AlertPresenter.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "prefs/BibPreferences.h"
#include "settings/WelcomeController.h"
#include "storage/LocalDatabase.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

namespace EditorTest {

const QByteArray kEntries = "@string{prl = {Physical Review Letters}}\n"
                            "@string{jpc = {Journal of Physical Chemistry}}\n\n" +
                            QfTest::kSmallBib +
                            "\n@strange{odd1,\n"
                            "  editor = {Ann Editor},\n"
                            "  chapter = 3,\n"
                            "  note = {x}\n"
                            "}\n";

DetailInfoController *OpenWindow::editor() const
{
    return controller->controllerDetail();
}

std::shared_ptr<BibItem> OpenWindow::item(const QString &key) const
{
    return database ? database->bibItemForKey(key) : nullptr;
}

OpenWindow openWindowWith(const QTemporaryDir &dir, const QByteArray &bib)
{
    QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)).removeRecursively();
    if (!BibPreferences::globalPreferences())
        BibPreferences::createGlobalObject();
    BibPreferences *prefs = BibPreferences::globalPreferences();
    prefs->setLastSelectedDatabase(QString());
    prefs->setValue(BibPreferences::kPreferencesInitialized, true);
    prefs->setAutoSave(false);
    prefs->setLastEditTab(QStringLiteral("basic"));

    OpenWindow window;
    window.controller = std::make_unique<QFMainController>();
    window.controller->applicationWillFinishLaunching();
    if (WelcomeController *welcome = window.controller->welcomeController(); welcome->isRunning())
        welcome->ok();
    const QString path = dir.filePath(QStringLiteral("test.bib"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return window;
    file.write(bib);
    file.close();
    DBListController *list = window.controller->controllerDbList();
    window.database = list->appendLocalDatabase(path, false);
    QElapsedTimer timer;
    timer.start();
    while (list->isLoading() && timer.elapsed() < 20000)
        QTest::qWait(20);
    MainWindow *main = window.controller->mainWindow();
    main->show();
    main->activateWindow();
    if (!QTest::qWaitForWindowActive(main))
        qWarning("the window did not become active");
    return window;
}

OpenWindow openKnuth(const QTemporaryDir &dir, bool editing)
{
    OpenWindow window = openWindowWith(dir, kEntries);
    DetailInfoController *editor = window.editor();
    if (editor->setItem(window.item(QStringLiteral("knuth84"))) && editing)
        editor->setEnableEdit(true);
    return window;
}

BibFieldDataField *fieldNamed(DetailInfoController *editor, const QString &name)
{
    for (int slot = 2; slot <= DetailInfoController::kSlotCount; ++slot) {
        if (editor->field(slot)->fieldName() == name)
            return editor->field(slot);
    }
    return nullptr;
}

} // namespace EditorTest
