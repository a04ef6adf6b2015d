// The main of every test binary: settings, data and cache folders point at a
// temporary folder, so no test ever touches the user's own.
#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quirefold-test-XXXXXX"));
    if (!home.isValid())
        return 3;
    const QByteArray root = home.path().toLocal8Bit();
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("QF_TEST_HOME", root.constData(), 1);
    setenv("HOME", root.constData(), 1);

    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirefold"));

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
