#pragma once

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// What one run of quirefold-cli gave.
struct CliRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs quirefold-cli as a user would, with `input` on its standard input.
// With a `home`, the run has settings and data folders of its own below it;
// otherwise it shares the test's (temporary) ones.
inline CliRun runCli(const QStringList &arguments, const QByteArray &input = {},
                     const QString &home = {})
{
    QProcess process;
    if (!home.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        process.setProcessEnvironment(environment);
    }
    process.start(QStringLiteral(QF_CLI_PATH), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(120000);
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}
