// The desktop program: quirefold [FILE.bib...]. Answers --help and --version
// without a display, hands the files to a running instance when there is one,
// and otherwise opens the main window with the files.
#include "app/AuthorListController.h"
#include "app/AuthorListModel.h"
#include "app/DBListController.h"
#include "app/ItemListController.h"
#include "app/MainWindow.h"
#include "app/QFMainController.h"
#include "app/QtAlertPresenter.h"
#include "app/SingleInstance.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "prefs/WindowLayout.h"
#include "storage/LoadingCoordinator.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QSplitter>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace {

struct Options
{
    QStringList files;
    QString screenshot;  // hidden: render the window into this PNG and quit
    bool timing = false; // hidden: report start-up times and quit once loaded
    QString author;      // hidden, with a screenshot: select the first name beginning so
    QString search;      // hidden, with a screenshot: type this into the entry search
    bool batch() const { return timing || !screenshot.isEmpty(); }
};

void setNames()
{
    QCoreApplication::setOrganizationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QF_VERSION));
}

// Parsed with a core application, so that --help and --version need no display.
Options parseArguments(int argc, char **argv)
{
    QCoreApplication core(argc, argv);
    setNames();
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addVersionOption();
    QCommandLineOption screenshot(QStringLiteral("screenshot"), QString(), QStringLiteral("PATH"));
    screenshot.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(screenshot);
    QCommandLineOption author(QStringLiteral("screenshot-author"), QString(),
                              QStringLiteral("NAME"));
    author.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(author);
    QCommandLineOption search(QStringLiteral("screenshot-search"), QString(),
                              QStringLiteral("TEXT"));
    search.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(search);
    QCommandLineOption timing(QStringLiteral("quit-when-loaded"));
    timing.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(timing);
    parser.addPositionalArgument(QStringLiteral("files"), Texts::text(u"Win_Usage_Files"),
                                 QStringLiteral("[FILE.bib...]"));
    parser.process(core);
    Options options;
    for (const QString &file : parser.positionalArguments())
        options.files << QFileInfo(file).absoluteFilePath();
    options.screenshot = parser.value(screenshot);
    options.timing = parser.isSet(timing);
    options.author = parser.value(author);
    options.search = parser.value(search);
    return options;
}

bool hasDisplay()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char **argv)
{
    QElapsedTimer clock;
    clock.start();
    const Options options = parseArguments(argc, argv);
    if (!hasDisplay()) {
        std::fprintf(stderr, "%s\n", qPrintable(Texts::text(u"Win_NoDisplay")));
        return 1;
    }

    QApplication app(argc, argv);
    setNames();
    QApplication::setDesktopFileName(QStringLiteral("org.quirefold.Quirefold"));

    // One program per user: a second start hands its files over and ends.
    SingleInstance instance;
    if (!options.batch()) {
        if (instance.handOver(options.files))
            return 0;
        instance.listen();
    }

    QFMainController controller;
    QtAlertPresenter presenter(controller.mainWindow());
    HeadlessAlertPresenter headless;
    if (!options.batch()) {
        AlertPresenter::install(&presenter);
    } else {
        // A picture asks nothing: alerts take their default, the first-start
        // sheet stays closed.
        AlertPresenter::install(&headless);
        BibPreferences::globalPreferences()->setValue(BibPreferences::kPreferencesInitialized,
                                                      true);
    }
    QObject::connect(&controller, &QFMainController::terminated, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    QObject::connect(&instance, &SingleInstance::filesReceived, &controller,
                     [&controller](const QStringList &files) {
                         for (const QString &file : files)
                             controller.openFile(file);
                         controller.mainWindow()->raise();
                         controller.mainWindow()->activateWindow();
                     });
    QApplication::setQuitOnLastWindowClosed(false);

    // The window first: the first-start sheet and the loading-error sheets sit on it.
    controller.mainWindow()->show();
    controller.applicationWillFinishLaunching();
    for (const QString &file : options.files)
        controller.openFile(file);

    if (options.timing) {
        std::fprintf(stderr, "window shown: %lld ms\n", static_cast<long long>(clock.elapsed()));
        DBListController *list = controller.controllerDbList();
        auto report = [&clock] {
            std::fprintf(stderr, "loaded: %lld ms\n", static_cast<long long>(clock.elapsed()));
            QCoreApplication::exit(0);
        };
        if (!list->isLoading())
            QTimer::singleShot(0, report);
        else
            QObject::connect(list->coordinator(), &LoadingCoordinator::loadingFinished, &app,
                             report);
        const int code = app.exec();
        AlertPresenter::install(nullptr);
        std::fflush(stderr);
        std::_Exit(code); // the memory goes back with the process
    }

    if (!options.screenshot.isEmpty()) {
        // Render once everything has loaded, then end without touching the settings.
        controller.mainWindow()->resize(1100, 640);
        controller.splitView()->setSizes(WindowLayout::paneWidths(1100, 230, 560));
        DBListController *list = controller.controllerDbList();
        auto grab = [&controller, &options] {
            AuthorListController *authors = controller.controllerAuthorList();
            for (int row = 1; !options.author.isEmpty() && row < authors->model()->rowCount();
                 ++row) {
                if (authors->model()->nameAt(row).startsWith(options.author)) {
                    authors->selectAuthorsByNames({authors->model()->nameAt(row)});
                    break;
                }
            }
            if (!options.search.isEmpty())
                controller.controllerItemList()->searchField()->setText(options.search);
            controller.mainWindow()->grab().save(options.screenshot);
            QCoreApplication::exit(0);
        };
        if (!list->isLoading())
            QTimer::singleShot(300, grab);
        else
            QObject::connect(list->coordinator(), &LoadingCoordinator::loadingFinished, &app,
                             [grab] { QTimer::singleShot(300, grab); });
        const int code = app.exec();
        AlertPresenter::install(nullptr);
        return code;
    }

    const int code = app.exec();
    AlertPresenter::install(nullptr);
    return code;
}
