#pragma once

// Points settings, data, cache and runtime folders and HOME at `root`, so no
// test touches the user's own. Call before the application object exists.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdlib>

namespace QfTest {

inline void redirectHome(const QString &rootPath)
{
    const QByteArray root = rootPath.toLocal8Bit();
    setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
    setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
    setenv("XDG_CACHE_HOME", (root + "/cache").constData(), 1);
    setenv("XDG_RUNTIME_DIR", (root + "/runtime").constData(), 1);
    const QString runtime = rootPath + QStringLiteral("/runtime");
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                       QFileDevice::ExeOwner); // as the desktop makes it
    setenv("QF_TEST_HOME", root.constData(), 1);
    setenv("HOME", root.constData(), 1);
}

} // namespace QfTest
