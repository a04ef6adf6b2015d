#pragma once

#include "TestFiles.h"

#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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

// A temporary folder for a test's files, which is also the home of its runs.
class CliHome
{
public:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString home() const { return m_dir.path(); }

    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString file = path(name);
        QfTest::writeAll(file, bytes);
        return file;
    }

    CliRun run(const QStringList &arguments, const QByteArray &input = {}) const
    {
        return runCli(arguments, input, m_dir.path());
    }

private:
    QTemporaryDir m_dir;
};

// One run and what it must give. `out`, when not null, is the whole standard
// output. A run that succeeds writes nothing on the error stream; one that
// fails says why there.
struct CliCase
{
    const char *name;
    QStringList args;
    int exitCode = 0;
    QString out = {};
    QByteArray input = {};
};

inline void expectRuns(std::initializer_list<CliCase> rows, const QString &home = {})
{
    for (const CliCase &row : rows) {
        const CliRun run = runCli(row.args, row.input, home);
        EXPECT_EQ(run.exitCode, row.exitCode) << row.name << ": " << run.err.toStdString();
        if (!row.out.isNull()) {
            EXPECT_EQ(run.out, row.out) << row.name;
        }
        EXPECT_EQ(run.err.isEmpty(), row.exitCode == 0)
            << row.name << ": " << run.err.toStdString();
    }
}
