// The settings dialog and the attachment viewer in the real window: opening
// the preferences dialog, applying a changed author list format with a large
// file loaded (the busy indicator must show meanwhile), and the first page of
// an ordinary paper shown after its entry is selected.
#include "BenchWindow.h"
#include "GuiTestMain.h"

#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "model/BibItem.h"
#include "settings/FileViewController.h"
#include "settings/PreferencesDialog.h"
#include "storage/LocalDatabase.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <ctime>

using namespace Qt::StringLiterals;

namespace {

QString envPath(const char *name, const QString &fallback)
{
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? fallback : QString::fromLocal8Bit(value);
}

// Ten pages of running text, when no real paper is at hand.
void writePaper(const QString &path)
{
    QPdfWriter writer(path);
    QPainter painter(&writer);
    const QString line = u"The quick brown fox jumps over the lazy dog, "_s.repeated(3);
    for (int page = 0; page < 10; ++page) {
        if (page > 0)
            writer.newPage();
        for (int row = 0; row < 50; ++row)
            painter.drawText(QPointF(200, 300 + row * 260), line);
    }
}

// The main thread's processor time in ms: the machine is shared, so the wall
// time alone says little about the program.
qint64 threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

QString summary(QList<qint64> times)
{
    std::sort(times.begin(), times.end());
    return u"median %1 ms, max %2 ms over %3"_s.arg(times[times.size() / 2])
        .arg(times.back())
        .arg(times.size());
}

} // namespace

class SettingsBench : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    std::unique_ptr<QFMainController> m_window;
    DBListController *m_list = nullptr;
    LocalDatabase *m_large = nullptr;

private Q_SLOTS:
    void initTestCase()
    {
        m_window = std::make_unique<QFMainController>();
        m_list = m_window->controllerDbList();
        m_window->mainWindow()->resize(1400, 900);
        m_window->mainWindow()->show();
        const QString path = BenchWindow::largeFile();
        if (path.isEmpty())
            return;
        m_large = BenchWindow::load(m_list, path);
        QVERIFY(m_large);
    }

    void openPreferences()
    {
        QList<qint64> times;
        for (int run = 0; run < 10; ++run) {
            QElapsedTimer timer;
            timer.start();
            PreferencesDialog *dialog = m_window->openPreferences();
            QCoreApplication::processEvents(); // shown
            times << timer.elapsed();
            dialog->reject();
            QCoreApplication::processEvents();
        }
        qInfo("preferences dialog open: %s", qPrintable(summary(times)));
    }

    void applyListFormat()
    {
        if (!m_large)
            QSKIP("no large file");
        QList<qint64> times;
        QList<qint64> cpu;
        QList<bool> busyShown;
        QProgressBar *indicator = m_list->loadingIndicator();
        connect(m_window.get(), &QFMainController::busyChanged, this,
                [&busyShown, indicator](bool busy) {
                    if (busy)
                        busyShown << indicator->isVisible();
                });
        for (int run = 0; run < 3; ++run) {
            PreferencesDialog *dialog = m_window->openPreferences();
            QComboBox *format = dialog->authorListFormatPopup();
            format->setCurrentIndex((format->currentIndex() + 1) % format->count());
            QElapsedTimer timer;
            timer.start();
            const qint64 cpuStart = threadCpuMs();
            dialog->buttons()->button(QDialogButtonBox::Ok)->click();
            times << timer.elapsed();
            cpu << threadCpuMs() - cpuStart;
            QCoreApplication::processEvents();
        }
        QCOMPARE(busyShown, QList<bool>(3, true));
        QVERIFY(!indicator->isVisible());
        qInfo("list format applied to %d entries: %s (main thread's processor time %s); busy "
              "indicator shown each time",
              m_large->numItems(), qPrintable(summary(times)), qPrintable(summary(cpu)));
    }

    void firstPdfPage()
    {
        QString pdf =
            envPath("QF_BENCH_PDF", u"/usr/share/doc/texlive-doc/bibtex/base/btxdoc.pdf"_s);
        if (!QFile::exists(pdf)) {
            pdf = m_dir.filePath(u"paper.pdf"_s);
            writePaper(pdf);
        }
        const QString bib = m_dir.filePath(u"papers.bib"_s);
        QFile file(bib);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("@ARTICLE{paper, title = {A paper}, file = {" + pdf.toUtf8() +
                   "}}\n@ARTICLE{plain, title = {No file}}\n");
        file.close();
        LocalDatabase *database = m_list->appendLocalDatabase(bib, false);
        QVERIFY(database);
        QTRY_VERIFY_WITH_TIMEOUT(!m_list->isLoading(), 20000);
        m_list->selectDatabase(database);
        FileViewController *viewer = m_window->controllerFileView();
        viewer->dock()->show();
        m_window->mainWindow()->resizeDocks({viewer->dock()}, {450}, Qt::Horizontal);
        const BibItemList items = *database->allItems();
        ItemListController *list = m_window->controllerItemList();

        QList<qint64> times;
        QImage page;
        int pageCount = 0;
        QSignalSpy shown(viewer, &FileViewController::shown);
        for (int run = 0; run < 21; ++run) {
            for (const BibItemPtr &item : items) {
                shown.clear();
                QElapsedTimer timer;
                timer.start();
                list->selectBibItems({item});
                QVERIFY(shown.count() > 0 || shown.wait(5000));
                if (item->bibKey() == u"paper"_s) {
                    QCOMPARE(viewer->shownKind(), AttachmentPreview::Kind::Pdf);
                    times << timer.elapsed();
                    page = viewer->shownResult().image;
                    pageCount = viewer->shownResult().pageCount;
                }
            }
        }
        qInfo("%s (%d pages): first page %dx%d shown after selecting, first time %lld ms; %s",
              qPrintable(pdf), pageCount, page.width(), page.height(), times.front(),
              qPrintable(summary(times.mid(1))));
    }

    void cleanupTestCase() { m_window.reset(); }
};

QF_GUI_TEST_MAIN(SettingsBench)
#include "SettingsBench.moc"
