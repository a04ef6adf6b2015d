#include "GuiTestMain.h"

#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "app/ItemListTableView.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "settings/FileViewController.h"
#include "settings/WelcomeController.h"
#include "storage/DatabaseGroup.h"

#include <QAbstractItemView>
#include <QAction>
#include <QDir>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using Kind = AttachmentPreview::Kind;

Q_DECLARE_METATYPE(AttachmentPreview::Kind)

namespace {

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void writePdf(const QString &path, int pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    QPainter painter(&writer);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        painter.drawText(QPointF(400, 800), u"Page %1 of a paper"_s.arg(page + 1));
    }
}

// A one-page PDF whose body is encrypted with a password nobody knows (the
// check values of its standard security handler match no password).
QByteArray lockedPdf()
{
    const QByteArray check(32, '\x5a');
    const QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R >>",
                                    "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                                    "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>",
                                    "<< /Filter /Standard /V 1 /R 2 /O <" + check.toHex() +
                                        "> /U <" + check.toHex() + "> /P -4 >>"};
    QByteArray pdf = "%PDF-1.4\n";
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets << pdf.size();
        pdf += QByteArray::number(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) +
           " /Root 1 0 R /Encrypt 4 0 R /ID [<0123456789abcdef> <0123456789abcdef>] >>\n"
           "startxref\n" +
           QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

} // namespace

// The attachment viewer follows the entry list's selection in the real
// window: PDF pages, images, folders, missing and damaged files.
class FileViewTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QFMainController> m_window;
    FileViewController *m_viewer = nullptr;
    QStringList m_opened;

    std::shared_ptr<BibItem> entry(const QString &key) const
    {
        const BibDatabase *database = m_window->controllerDbList()->databaseNode()->firstChild();
        for (const std::shared_ptr<BibItem> &item : *database->allItems())
            if (item->bibKey() == key)
                return item;
        return nullptr;
    }

    // Selects the entry in the list and waits for the viewer to show it.
    void select(const QString &key)
    {
        const std::shared_ptr<BibItem> item = entry(key);
        QVERIFY(item);
        QCOMPARE(m_window->controllerItemList()->selectBibItems({item}), 1);
        QTRY_VERIFY(!m_viewer->isBusy());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        writePdf(m_dir.filePath(u"paper.pdf"_s), 3);
        QImage image(800, 400, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(m_dir.filePath(u"figure.png"_s)));
        writeBytes(m_dir.filePath(u"broken.pdf"_s), "%PDF-1.4\n1 0 obj << /Type /Catalog");
        writeBytes(m_dir.filePath(u"notes.xyz"_s), "plain notes");
        writeBytes(m_dir.filePath(u"locked.pdf"_s), lockedPdf());
        QVERIFY(QDir(m_dir.path()).mkdir(u"doe99"_s));
        writePdf(m_dir.filePath(u"doe99/b-main.pdf"_s), 1);
        writeBytes(m_dir.filePath(u"doe99/a-data.csv"_s), "1,2,3\n");
        writeBytes(m_dir.filePath(u"refs.bib"_s),
                   "@ARTICLE{pdf, title = {A}, file = {paper.pdf}}\n"
                   "@ARTICLE{image, title = {B}, file = {figure.png}}\n"
                   "@ARTICLE{folder, title = {C}, file = {doe99}}\n"
                   "@ARTICLE{missing, title = {D}, file = {gone.pdf}}\n"
                   "@ARTICLE{damaged, title = {E}, file = {broken.pdf}}\n"
                   "@ARTICLE{other, title = {F}, file = {notes.xyz}}\n"
                   "@ARTICLE{locked, title = {H}, file = {locked.pdf}}\n"
                   "@ARTICLE{none, title = {G}}\n");

        m_window = std::make_unique<QFMainController>();
        m_window->applicationWillFinishLaunching();
        if (WelcomeController *welcome = m_window->welcomeController(); welcome->isRunning())
            welcome->ok();
        DBListController *list = m_window->controllerDbList();
        QVERIFY(m_window->openFile(m_dir.filePath(u"refs.bib"_s)));
        QTRY_VERIFY_WITH_TIMEOUT(!list->isLoading(), 20000);
        list->selectDatabase(list->databaseNode()->firstChild());
        m_window->mainWindow()->resize(1200, 800);
        m_window->mainWindow()->show();
        m_viewer = m_window->controllerFileView();
        m_viewer->setOpenHandler([this](const QString &path) { m_opened << path; });
        QAction *toggle = m_viewer->dock()->toggleViewAction();
        QVERIFY(!toggle->isChecked());
        toggle->trigger();
        QVERIFY(m_viewer->dock()->isVisible());
        m_window->mainWindow()->resizeDocks({m_viewer->dock()}, {420}, Qt::Horizontal);
    }

    void cleanupTestCase() { m_window.reset(); }

    void showsWhatIsAttached_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("canOpen");
        QTest::newRow("pdf") << u"pdf"_s << Kind::Pdf << QString() << true;
        QTest::newRow("image") << u"image"_s << Kind::Image << QString() << true;
        QTest::newRow("folder") << u"folder"_s << Kind::Folder << Texts::text(u"Viewer_ChooseFile")
                                << true;
        QTest::newRow("missing") << u"missing"_s << Kind::Missing
                                 << Texts::format(u"Viewer_Missing",
                                                  {m_dir.filePath(u"gone.pdf"_s)})
                                 << false;
        QTest::newRow("damaged pdf")
            << u"damaged"_s << Kind::Failed << Texts::text(u"Viewer_PdfDamaged") << true;
        QTest::newRow("password pdf")
            << u"locked"_s << Kind::Failed << Texts::text(u"Viewer_PdfLocked") << true;
        QTest::newRow("other file") << u"other"_s << Kind::Other << QString() << true;
    }

    void showsWhatIsAttached()
    {
        QFETCH(QString, key);
        QFETCH(Kind, kind);
        QFETCH(QString, message);
        QFETCH(bool, canOpen);
        select(key);
        QCOMPARE(m_viewer->shownKind(), kind);
        QCOMPARE(m_viewer->message(), message);
        QCOMPARE(m_viewer->openButton()->isEnabled(), canOpen);
        // Whatever is shown without a message is a picture.
        QCOMPARE(m_viewer->pictureLabel()->pixmap().isNull(), !message.isEmpty());
        m_opened.clear();
        m_viewer->openButton()->click();
        QCOMPARE(m_opened, canOpen ? QStringList{*entry(key)->attachedFile()} : QStringList());
    }

    void pdfPagesTurnAndZoom()
    {
        select(u"pdf"_s);
        QCOMPARE(m_viewer->shownResult().pageCount, 3);
        QCOMPARE(m_viewer->pageLabel()->text(), Texts::format(u"Viewer_Page", {u"1"_s, u"3"_s}));
        const QImage first = m_viewer->shownResult().image;
        QCOMPARE(first.pixelColor(0, 0), QColor(Qt::white)); // on paper, not transparent
        // An A4 page keeps its proportions.
        QVERIFY(qAbs(double(first.height()) / first.width() - 297.0 / 210.0) < 0.02);

        m_viewer->nextPage();
        QTRY_COMPARE(m_viewer->shownResult().page, 1);
        QCOMPARE(m_viewer->pageLabel()->text(), Texts::format(u"Viewer_Page", {u"2"_s, u"3"_s}));
        m_viewer->showPage(99);
        QTRY_COMPARE(m_viewer->shownResult().page, 2);
        m_viewer->nextPage(); // past the last page: stays
        QTRY_VERIFY(!m_viewer->isBusy());
        QCOMPARE(m_viewer->page(), 2);

        const int fitWidth = m_viewer->shownResult().image.width();
        m_viewer->zoomIn();
        QTRY_VERIFY(!m_viewer->isBusy());
        QVERIFY(qAbs(m_viewer->shownResult().image.width() -
                     fitWidth * FileViewController::kZoomStep) <= 1);
        m_viewer->zoomToFit();
        QTRY_VERIFY(!m_viewer->isBusy());
        QCOMPARE(m_viewer->shownResult().image.width(), fitWidth);
    }

    void imageFitsThePane()
    {
        select(u"image"_s);
        const QImage image = m_viewer->shownResult().image;
        QVERIFY(image.width() <= 800);
        QVERIFY(qAbs(double(image.width()) / image.height() - 2.0) < 0.02);
    }

    void folderListsItsFilesAndShowsTheChosenOne()
    {
        select(u"folder"_s);
        QTreeWidget *files = m_viewer->folderList();
        QVERIFY(files->isVisible());
        QCOMPARE(files->topLevelItemCount(), 2);
        QCOMPARE(files->topLevelItem(0)->text(0), u"a-data.csv"_s);
        QCOMPARE(files->topLevelItem(0)->text(1), QLocale().formattedDataSize(6));
        files->setCurrentItem(files->topLevelItem(1));
        QTRY_COMPARE(m_viewer->shownKind(), Kind::Pdf);
        QVERIFY(files->isVisible());
        m_opened.clear();
        m_viewer->openButton()->click();
        QCOMPARE(m_opened, QStringList{m_dir.filePath(u"doe99/b-main.pdf"_s)});
    }

    void noSingleEntryNoFile()
    {
        select(u"none"_s);
        QCOMPARE(m_viewer->message(), Texts::text(u"Viewer_NoAttachment"));
        QVERIFY(!m_viewer->openButton()->isEnabled());
        QCOMPARE(
            m_window->controllerItemList()->selectBibItems({entry(u"pdf"_s), entry(u"image"_s)}),
            2);
        QCOMPARE(m_viewer->message(), Texts::text(u"Viewer_NoSelection"));
    }

    void aChangedAttachmentIsShown()
    {
        select(u"none"_s);
        const std::shared_ptr<BibItem> item = entry(u"none"_s);
        item->setAttachment(u"figure.png"_s);
        item->fixChanged(); // committed, as the editor does
        QTRY_COMPARE(m_viewer->shownKind(), Kind::Image);
        item->setAttachment(QString());
        item->fixChanged();
        QTRY_COMPARE(m_viewer->message(), Texts::text(u"Viewer_NoAttachment"));
    }

    void onlyTheLastSelectionIsShown()
    {
        for (const QString &key : {u"pdf"_s, u"folder"_s, u"pdf"_s, u"image"_s})
            m_window->controllerItemList()->selectBibItems({entry(key)});
        QTRY_VERIFY(!m_viewer->isBusy());
        QCOMPARE(m_viewer->shownKind(), Kind::Image);
        QVERIFY(m_viewer->folderList()->isHidden());
    }

    void closedViewerCatchesUpWhenOpened()
    {
        select(u"image"_s);
        m_viewer->dock()->hide();
        select(u"pdf"_s);
        QCOMPARE(m_viewer->shownKind(), Kind::Image); // nothing rendered while closed
        m_viewer->dock()->show();
        QTRY_COMPARE(m_viewer->shownKind(), Kind::Pdf);
    }

    // Page Down and Page Up turn pages only while the viewer has the focus;
    // the menu's actions turn them from anywhere.
    void pageKeysTurnPagesInTheViewerOnly()
    {
        select(u"pdf"_s);
        QMainWindow *main = m_window->mainWindow();
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        QWidget *list = m_window->controllerItemList()->view();
        list->setFocus();
        QTest::keyClick(list, Qt::Key_PageDown);
        QTRY_VERIFY(!m_viewer->isBusy());
        QCOMPARE(m_viewer->page(), 0);

        QWidget *pane = m_viewer->dock()->widget();
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_PageDown);
        QTRY_COMPARE(m_viewer->shownResult().page, 1);
        QTest::keyClick(pane, Qt::Key_PageUp);
        QTRY_COMPARE(m_viewer->shownResult().page, 0);
        QVERIFY(!m_viewer->previousPageAction()->isEnabled());

        list->setFocus();
        m_viewer->nextPageAction()->trigger();
        QTRY_COMPARE(m_viewer->shownResult().page, 1);
        QVERIFY(m_viewer->nextPageAction()->toolTip().contains(
            QKeySequence(Qt::Key_PageDown).toString(QKeySequence::NativeText)));
        select(u"image"_s);
        QVERIFY(!m_viewer->nextPageAction()->isEnabled());
    }

    // Whether the viewer is open is kept when the window starts again.
    void openStateSurvivesARestart()
    {
        for (const bool open : {true, false}) {
            m_viewer->dock()->setVisible(open);
            m_window->saveCurrentSettings();
            m_window.reset();
            m_window = std::make_unique<QFMainController>();
            m_viewer = m_window->controllerFileView();
            m_window->mainWindow()->show();
            QCOMPARE(m_viewer->dock()->isVisible(), open);
            QCOMPARE(m_viewer->dock()->toggleViewAction()->isChecked(), open);
        }
    }
};

QF_GUI_TEST_MAIN(FileViewTest)
#include "FileViewTest.moc"
