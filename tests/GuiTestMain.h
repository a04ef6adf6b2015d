#pragma once

// The main of every window test: settings, data and cache folders point at a
// temporary folder before the application exists, so no test touches the
// user's own; the platform is offscreen unless the caller chose another.
#include "TestHome.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

namespace QfGuiTest {

template<typename TestClass>
int run(int argc, char **argv)
{
    QTemporaryDir home(QDir::tempPath() + QStringLiteral("/quirefold-guitest-XXXXXX"));
    if (!home.isValid())
        return 3;
    QfTest::redirectHome(home.path());
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
