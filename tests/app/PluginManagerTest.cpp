#include "GuiTestMain.h"

#include "app/PluginManager.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

class PluginManagerTest : public QObject
{
    Q_OBJECT

private:
    static QStringList names(const auto &plugins)
    {
        QStringList result;
        for (const auto *plugin : plugins)
            result.append(plugin->pluginName());
        return result;
    }

private Q_SLOTS:
    void loadsExportFirstThenImport()
    {
        PluginManager manager(QStringLiteral(QF_TEST_PLUGIN_DIR));
        manager.loadPlugins();
        QCOMPARE(names(manager.exportPlugins()), QStringList{QStringLiteral("BothWays")});
        QCOMPARE(names(manager.importPlugins()), QStringList{QStringLiteral("SecondTry")});
        QVERIFY(manager.exportPlugins().first()->exportItems(QStringLiteral("@misc{a,}")));
        manager.loadPlugins(); // a second call adds nothing
        QCOMPARE(manager.exportPlugins().size(), 1);
    }

    void folderWithoutPluginsGivesEmptyLists_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("missing") << QStringLiteral("/nonexistent/quirefold/plugins");
        QTest::newRow("relative, even when it holds plug-ins")
            << QDir::current().relativeFilePath(QStringLiteral(QF_TEST_PLUGIN_DIR));
        QTest::newRow("a file") << QStringLiteral(QF_TEST_PLUGIN_DIR "/not_a_plugin.so");
        QTest::newRow("empty") << QString();
    }

    void folderWithoutPluginsGivesEmptyLists()
    {
        QFETCH(QString, folder);
        PluginManager manager(folder);
        manager.loadPlugins();
        QVERIFY(manager.importPlugins().isEmpty());
        QVERIFY(manager.exportPlugins().isEmpty());
    }
};

QF_GUI_TEST_MAIN(PluginManagerTest)
#include "PluginManagerTest.moc"
