#include "core/Texts.h"

#include "TestFiles.h"

#include <QDirIterator>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <tuple>

namespace {

// Every key the code looks up or marks with QF_KEY, with the file it is in.
QStringList keysUsedInSources()
{
    static const QRegularExpression pattern(
        QStringLiteral(R"re((?:Texts::(?:text|format|contains)\(\s*u"|QF_KEY\(\s*")([^"]+)")re"));
    QStringList found;
    QDirIterator it(QStringLiteral(QF_SOURCE_DIR "/src"),
                    {QStringLiteral("*.cpp"), QStringLiteral("*.h")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        auto matches = pattern.globalMatch(QString::fromUtf8(QfTest::readAll(path)));
        while (matches.hasNext())
            found << matches.next().captured(1) + u'\t' + path;
    }
    return found;
}

} // namespace

TEST(Texts, everyKeyUsedInTheCodeIsInTheTable)
{
    const QStringList used = keysUsedInSources();
    ASSERT_FALSE(used.isEmpty());
    for (const QString &entry : used) {
        const QString key = entry.section(u'\t', 0, 0);
        EXPECT_TRUE(Texts::contains(key)) << qPrintable(entry);
    }
    // A missing key answers the key itself.
    EXPECT_EQ(Texts::text(u"NoSuchKey_Anywhere"), QStringLiteral("NoSuchKey_Anywhere"));
    EXPECT_FALSE(Texts::contains(u"NoSuchKey_Anywhere"));
}

TEST(Texts, noKeyIsDefinedInTwoFiles)
{
    // The table merges the files; a key in two of them would show one text
    // or the other depending on the files' order.
    QHash<QString, QString> fileOf;
    QDirIterator it(QStringLiteral(QF_SOURCE_DIR "/resources/texts"), {QStringLiteral("*.json")},
                    QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        const QJsonObject object = QJsonDocument::fromJson(QfTest::readAll(path)).object();
        for (auto key = object.begin(); key != object.end(); ++key) {
            EXPECT_FALSE(fileOf.contains(key.key()))
                << qPrintable(key.key()) << " in " << qPrintable(fileOf.value(key.key())) << " and "
                << qPrintable(path);
            fileOf.insert(key.key(), it.fileName());
        }
    }
    EXPECT_GT(fileOf.size(), 100);
}

TEST(Texts, substituteFillsPlaceholdersInOrder)
{
    const std::tuple<const char *, QStringList, const char *> rows[] = {
        {"plain", {}, "plain"},
        {"%@ and %@", {QStringLiteral("a"), QStringLiteral("b")}, "a and b"},
        {"%d of %ld", {QStringLiteral("3"), QStringLiteral("7")}, "3 of 7"},
        {"%2$@ before %1$@", {QStringLiteral("x"), QStringLiteral("y")}, "y before x"},
        {"100%% of %@", {QStringLiteral("it")}, "100% of it"},
        {"missing %@ %@", {QStringLiteral("one")}, "missing one "},
        {"trailing %", {}, "trailing %"},
        {"%q", {}, "%q"},
    };
    for (const auto &[pattern, args, expected] : rows) {
        EXPECT_EQ(Texts::substitute(QString::fromUtf8(pattern), args), QString::fromUtf8(expected))
            << pattern;
    }
}
