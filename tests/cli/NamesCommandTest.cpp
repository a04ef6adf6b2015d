#include <QJsonDocument>
#include <QJsonObject>
#include "CliRunner.h"

#include <gtest/gtest.h>

namespace {

CliRun runNames(const QStringList &args, const QByteArray &input = {})
{
    return runCli(QStringList{QStringLiteral("names")} + args, input);
}

QList<QJsonObject> objects(const QString &out)
{
    QList<QJsonObject> list;
    for (const QString &line : out.split(u'\n', Qt::SkipEmptyParts))
        list << QJsonDocument::fromJson(line.toUtf8()).object();
    return list;
}

} // namespace

TEST(NamesCommand, printsOneObjectPerNameWithTheFieldsInOrder)
{
    const CliRun run = runNames({QString::fromUtf8("Walter E. Harmon and 山田 太郎 and others")});
    ASSERT_EQ(run.exitCode, 0) << qPrintable(run.err);
    const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(
        lines.at(0),
        QStringLiteral("{\"family\":\"Harmon\",\"given\":\"W.E.\",\"search\":\"Harmon, W.E.\","
                       "\"japanese\":false,\"others\":false,\"display0\":\"Harmon, W.E.\","
                       "\"display1\":\"W.E. Harmon\",\"display2\":\"Harmon\"}"));
    const QList<QJsonObject> names = objects(run.out);
    EXPECT_EQ(names.at(1).value(u"family").toString(), QString::fromUtf8("山田"));
    EXPECT_EQ(names.at(1).value(u"given").toString(), QString::fromUtf8("太郎"));
    EXPECT_TRUE(names.at(1).value(u"japanese").toBool());
    EXPECT_EQ(names.at(1).value(u"display1").toString(), QString::fromUtf8("山田 太郎"));
    EXPECT_TRUE(names.at(2).value(u"others").toBool());
    EXPECT_EQ(names.at(2).value(u"family").toString(), QStringLiteral("etc."));
}

TEST(NamesCommand, texFlagKeepsMarkup)
{
    const CliRun plain = runNames({QStringLiteral("{\\'E}mile Zola")});
    const CliRun tex = runNames({QStringLiteral("--tex"), QStringLiteral("{\\'E}mile Zola")});
    ASSERT_EQ(plain.exitCode, 0);
    ASSERT_EQ(tex.exitCode, 0);
    EXPECT_EQ(objects(tex.out).value(0).value(u"given").toString(), QStringLiteral("{\\'{E}}."));
    EXPECT_EQ(objects(plain.out).value(0).value(u"given").toString(), QStringLiteral("E."));
}

TEST(NamesCommand, readsStandardInputWithoutText)
{
    const CliRun run = runNames({}, QByteArray("D. Knuth and L. Lamport\n"));
    ASSERT_EQ(run.exitCode, 0);
    const QList<QJsonObject> names = objects(run.out);
    ASSERT_EQ(names.size(), 2);
    EXPECT_EQ(names.at(1).value(u"search").toString(), QStringLiteral("Lamport, L."));
}

TEST(NamesCommand, escapesJson)
{
    const CliRun run = runNames({QStringLiteral("Bob \"Quote\\\" Tab")});
    ASSERT_EQ(run.exitCode, 0);
    const QList<QJsonObject> names = objects(run.out);
    ASSERT_EQ(names.size(), 1);
    EXPECT_FALSE(names.first().isEmpty()) << qPrintable(run.out);
}

TEST(NamesCommand, emptyTextPrintsNothing)
{
    const CliRun run = runNames({QString()});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.isEmpty());
}

TEST(NamesCommand, badArgumentsAreUsageErrors)
{
    EXPECT_EQ(runNames({QStringLiteral("--nope"), QStringLiteral("x")}).exitCode, 2);
    EXPECT_EQ(runNames({QStringLiteral("a"), QStringLiteral("b")}).exitCode, 2);
}
