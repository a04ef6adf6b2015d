#include "editor/EditorTestSupport.h"

#include "../GuiTestMain.h"
#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/AttachmentPanel.h"
#include "editor/BibFieldDataField.h"
#include "editor/DetailInfoController.h"
#include "editor/RawFieldText.h"
#include "model/BibItem.h"
#include "storage/LocalDatabase.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <QUrl>

using namespace Qt::StringLiterals;
using EditorTest::OpenWindow;

// The links tab: the attachment settings of the entry's database, and files
// dropped on the editor, attached as the database says.
class AttachmentPanelTest : public QObject
{
    Q_OBJECT

private:
    // A file with `content` in `folder`; its path.
    static QString makeFile(const QString &folder, const QString &name, const QByteArray &content)
    {
        QDir().mkpath(folder);
        QFile file(folder + u'/' + name);
        if (!file.open(QIODevice::WriteOnly))
            return QString();
        file.write(content);
        return file.fileName();
    }
    static QByteArray contentOf(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Drops `paths` on `target` as a file manager does; whether it was taken.
    static bool dropFiles(QWidget *target, const QStringList &paths)
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls << QUrl::fromLocalFile(path);
        data.setUrls(urls);
        data.setText(paths.join(u'\n'));
        const QPoint at = target->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &enter);
        if (!enter.isAccepted())
            return false;
        QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &drop);
        return drop.isAccepted();
    }

private Q_SLOTS:
    void settingsFollowTheDatabase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("relative") << u"Attachments"_s
                                  << Texts::format(u"PathForDropFile", {u"Attachments"_s});
        QTest::newRow("the database's folder") << QString() << Texts::text(u"PathSameAsDB");
        QTest::newRow("absolute") << u"/srv/papers"_s << u"/srv/papers/"_s;
    }
    void settingsFollowTheDatabase()
    {
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        const OpenWindow window = EditorTest::openWindowWith(dir, EditorTest::kEntries);
        QVERIFY(window.database);
        DetailInfoController *editor = window.editor();
        AttachmentPanel *panel = editor->attachmentPanel();
        window.database->setAttachmentPath(stored);
        window.database->setRenameAfterBibkey(false);
        window.database->setFileAttachmentMode(2);
        QVERIFY(editor->setItem(window.item(u"knuth84"_s)));
        QCOMPARE(panel->copyDestination()->text(), shown);
        QCOMPARE(panel->copyChoice()->currentIndex(), 2);
        QVERIFY(!panel->renameCheck()->isChecked());
        // Read-only until editing starts.
        QVERIFY(!panel->copyChoice()->isEnabled());
        QVERIFY(!panel->chooseButton()->isEnabled());
        editor->setEnableEdit(true);
        QVERIFY(panel->copyChoice()->isEnabled());
        QVERIFY(panel->chooseButton()->isEnabled());

        panel->renameCheck()->click();
        QVERIFY(window.database->renameAfterBibkey());
        panel->copyChoice()->setCurrentIndex(0);
        QCOMPARE(window.database->fileAttachmentMode(), 0);
        // Files left in place need no folder.
        QVERIFY(!panel->chooseButton()->isEnabled());
        QVERIFY(window.database->isDirty());

        // No entry: no database to show.
        QVERIFY(editor->setItem(nullptr));
        QCOMPARE(panel->copyDestination()->text(), Texts::text(u"NoSelection"));
        QVERIFY(!panel->copyChoice()->isEnabled());
    }

    void chosenFolderIsStoredRelativeToTheDatabase_data()
    {
        QTest::addColumn<bool>("inside");
        QTest::newRow("inside the database's folder") << true;
        QTest::newRow("elsewhere") << false;
    }
    void chosenFolderIsStoredRelativeToTheDatabase()
    {
        QFETCH(bool, inside);
        QTemporaryDir dir;
        QTemporaryDir elsewhere;
        const OpenWindow window = EditorTest::openWindowWith(dir, EditorTest::kEntries);
        DetailInfoController *editor = window.editor();
        AttachmentPanel *panel = editor->attachmentPanel();
        const QString folder = (inside ? dir.path() : elsewhere.path()) + u"/papers"_s;
        QVERIFY(QDir().mkpath(folder));
        QString startedAt;
        panel->setChoosers({[&](const QString &start, const QString &) {
                                startedAt = start;
                                return folder;
                            },
                            [] { return QStringList(); }});
        QVERIFY(editor->setItem(window.item(u"knuth84"_s)));
        editor->setEnableEdit(true);
        panel->chooseButton()->click();
        QCOMPARE(startedAt, dir.filePath(u"Attachments"_s));
        QCOMPARE(window.database->attachmentPath(), inside ? u"papers"_s : folder);
        QCOMPARE(panel->copyDestination()->text(),
                 inside ? Texts::format(u"PathForDropFile", {u"papers"_s}) : folder + u'/');
    }

    void droppedFilesAreAttached_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("rename");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("originalsStay");
        QTest::newRow("copied and named after the key")
            << 1 << true << QStringList{u"paper.PDF"_s} << u"Attachments/knuth84.PDF"_s << true;
        QTest::newRow("copied under its own name")
            << 1 << false << QStringList{u"paper.pdf"_s} << u"Attachments/paper.pdf"_s << true;
        QTest::newRow("moved") << 2 << true << QStringList{u"paper.pdf"_s}
                               << u"Attachments/knuth84.pdf"_s << false;
        QTest::newRow("two files gathered in a key folder")
            << 1 << true << QStringList{u"a.pdf"_s, u"b.txt"_s} << u"Attachments/knuth84"_s << true;
    }
    void droppedFilesAreAttached()
    {
        QFETCH(int, mode);
        QFETCH(bool, rename);
        QFETCH(QStringList, names);
        QFETCH(QString, stored);
        QFETCH(bool, originalsStay);
        QTemporaryDir dir;
        QTemporaryDir source;
        const OpenWindow window = EditorTest::openWindowWith(dir, EditorTest::kEntries);
        DetailInfoController *editor = window.editor();
        window.database->setFileAttachmentMode(mode);
        window.database->setRenameAfterBibkey(rename);
        const auto knuth = window.item(u"knuth84"_s);
        QStringList paths;
        for (const QString &name : names)
            paths << makeFile(source.path(), name, name.toUtf8());
        QVERIFY(editor->setItem(knuth));
        editor->setEnableEdit(true);

        ScriptedAlertPresenter alerts;
        // Dropped on the title field: attached, not typed into it.
        BibFieldDataField *title = editor->field(5);
        const QString titleBefore = title->text();
        QVERIFY(dropFiles(title, paths));
        QVERIFY(alerts.requests().empty());
        QCOMPARE(title->text(), titleBefore);
        QCOMPARE(knuth->fieldDataForEdit(u"file"_s), stored);
        QVERIFY(!knuth->isDirty());
        const QString target = dir.filePath(stored);
        QCOMPARE(knuth->fileState(), names.size() == 1 ? 2 : 3);
        QCOMPARE(editor->field(20)->text(), stored);
        QVERIFY(editor->rawFieldText()->toPlainText().contains(stored));
        QVERIFY(editor->attachmentPanel()->openFileButton()->isEnabled());
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QString placed = names.size() == 1 ? target : target + u'/' + names.at(i);
            QCOMPARE(contentOf(placed), names.at(i).toUtf8());
            QCOMPARE(QFile::exists(paths.at(i)), originalsStay);
        }
    }

    void dropOnAnEntryWithAFileAsks_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("oldStays");
        QTest::addColumn<bool>("placeTaken");
        QTest::newRow("append: a key folder holds both")
            << 1 << u"Attachments/knuth84"_s << true << false;
        QTest::newRow("replace: the old one goes to the trash")
            << 0 << u"Attachments/knuth84.pdf"_s << false << false;
        QTest::newRow("replace, overwrite declined: the old one stays")
            << 0 << u"Attachments/old.ps"_s << true << true;
        QTest::newRow("cancel: nothing changes") << -1 << u"Attachments/old.ps"_s << true << false;
    }
    void dropOnAnEntryWithAFileAsks()
    {
        QFETCH(int, answer);
        QFETCH(QString, stored);
        QFETCH(bool, oldStays);
        QFETCH(bool, placeTaken);
        QTemporaryDir dir;
        QTemporaryDir source;
        const OpenWindow window = EditorTest::openWindowWith(dir, EditorTest::kEntries);
        DetailInfoController *editor = window.editor();
        const auto knuth = window.item(u"knuth84"_s);
        const QString old = makeFile(dir.filePath(u"Attachments"_s), u"old.ps"_s, "old");
        knuth->setAttachment(u"Attachments/old.ps"_s);
        knuth->fixChanged();
        const QString dropped = makeFile(source.path(), u"new.pdf"_s, "new");
        QVERIFY(editor->setItem(knuth));
        editor->setEnableEdit(true);

        if (placeTaken)
            makeFile(dir.filePath(u"Attachments"_s), u"knuth84.pdf"_s, "taken");

        // A taken place asks whether to overwrite it; the answer is Cancel.
        ScriptedAlertPresenter alerts({answer, 1});
        QVERIFY(dropFiles(editor->field(20), {dropped}));
        QCOMPARE(alerts.requests().size(), size_t(placeTaken ? 2 : 1));
        QCOMPARE(alerts.requests().front().title, Texts::text(u"ItemHasFile"));
        QCOMPARE(knuth->fieldDataForEdit(u"file"_s), stored);
        QCOMPARE(editor->field(20)->text(), stored);
        QCOMPARE(QFile::exists(old), oldStays && answer != 1);
        QCOMPARE(QDir(dir.filePath(u"Attachments"_s))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                     .filter(u".replacing"_s),
                 QStringList());
        if (answer == 1) {
            QCOMPARE(contentOf(dir.filePath(stored) + u"/old.ps"_s), QByteArray("old"));
            QCOMPARE(contentOf(dir.filePath(stored) + u"/new.pdf"_s), QByteArray("new"));
        }
    }

    void dropsAreRefusedWhileNotEditing()
    {
        QTemporaryDir dir;
        QTemporaryDir source;
        const OpenWindow window = EditorTest::openWindowWith(dir, EditorTest::kEntries);
        DetailInfoController *editor = window.editor();
        const auto knuth = window.item(u"knuth84"_s);
        const QString path = makeFile(source.path(), u"paper.pdf"_s, "pdf");
        QVERIFY(editor->setItem(knuth));
        QVERIFY(!dropFiles(editor->field(5), {path}));
        QVERIFY(!editor->attachmentPanel()->attachButton()->isEnabled());
        QVERIFY(knuth->fieldDataForEdit(u"file"_s).isEmpty());
        QVERIFY(!QDir(dir.filePath(u"Attachments"_s)).exists());
        // The attach button takes the same path as a drop.
        editor->setEnableEdit(true);
        editor->attachmentPanel()->setChoosers(
            {[](const QString &, const QString &) { return QString(); },
             [path] { return QStringList{path}; }});
        editor->attachmentPanel()->attachButton()->click();
        QCOMPARE(knuth->fieldDataForEdit(u"file"_s), u"Attachments/knuth84.pdf"_s);
    }
};

QF_GUI_TEST_MAIN(AttachmentPanelTest)
#include "AttachmentPanelTest.moc"
