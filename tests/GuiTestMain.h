#pragma once

// The main of every window test: settings, data and cache folders point at a
// temporary folder before the application exists, so no test touches the
// user's own; the platform is offscreen unless the caller chose another.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>

namespace QfGuiTest {

template<typename TestClass>
int run(int argc, char **argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quirefold-guitest-XXXXXX"));
    if (!home.isValid())
        return 3;
    const QByteArray root = home.path().toLocal8Bit();
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    const QString runtime = QString::fromLocal8Bit(root + "/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner); // as the desktop makes it
    setenv("QF_TEST_HOME", root.constData(), 1);
    setenv("HOME", root.constData(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirefold"));
    TestClass test;
    return QTest::qExec(&test, argc, argv);
}

} // namespace QfGuiTest

#define QF_GUI_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char **argv)                                                                \
    {                                                                                              \
        return QfGuiTest::run<TestClass>(argc, argv);                                              \
    }
