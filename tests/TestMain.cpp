// The main of every test binary: settings, data and cache folders point at a
// temporary folder, so no test ever touches the user's own.
#include "TestHome.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quirefold-test-XXXXXX"));
    if (!home.isValid())
        return 3;
    QfTest::redirectHome(home.path());

    QCoreApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Quirefold"));
    QCoreApplication::setApplicationName(QStringLiteral("Quirefold"));

    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
