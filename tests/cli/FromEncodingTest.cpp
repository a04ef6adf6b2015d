// --from-encoding CODE of check, export and save: read a file in a named
// encoding, whatever its bytes look like.
#include "CliRunner.h"

#include <QJsonDocument>

using namespace Qt::StringLiterals;

namespace {

using QfTest::readAll;

// "Иванов" in KOI8-R; read as windows-1251 it is other Cyrillic letters.
const QByteArray kKoi8Name = "\xE9\xD7\xC1\xCE\xCF\xD7";
const QString kName = u"\u0418\u0432\u0430\u043d\u043e\u0432"_s;

class FromEncoding : public ::testing::Test
{
protected:
    CliHome dir;
    QString bib = dir.write(u"koi.bib"_s, "@article{iv, author = {" + kKoi8Name + ", S.}}\n");

    QString authorExported(const QStringList &extra)
    {
        const CliRun run = dir.run(QStringList{u"export"_s, bib} + extra);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        const QJsonValue fields = QJsonDocument::fromJson(run.out.toUtf8())[0][u"fields"_s];
        return fields[u"author"_s][u"edit"_s].toString();
    }
};

} // namespace

TEST_F(FromEncoding, exportReadsTheFileInTheNamedEncoding)
{
    // Decimal, negative and hexadecimal codes, and the display name.
    for (const QString &code :
         {QString::number(0x80000A02u), QString::number(static_cast<qint32>(0x80000A02u)),
          u"0x80000A02"_s, u"Cyrillic (KOI8-R)"_s})
        EXPECT_TRUE(authorExported({u"--from-encoding"_s, code}).startsWith(kName))
            << code.toStdString();
    EXPECT_FALSE(authorExported({u"--from-encoding"_s, u"11"_s}).startsWith(kName));
}

TEST_F(FromEncoding, checkReportsTheEncodingUsedAndAFailure)
{
    const QStringList check = {u"check"_s, bib, u"--from-encoding"_s};
    expectRuns({{"KOI8-R", check + QStringList{u"0x80000A02"_s}, 0,
                 bib + u": 1 entries, 0 macros, 0 preambles, 0 comments, "
                       "encoding Cyrillic (KOI8-R) (2147486210)\n"_s}});
    // Not valid UTF-8: reported, nothing read, nothing guessed.
    const CliRun run = dir.run(check + QStringList{u"4"_s});
    EXPECT_TRUE(run.exitCode == 1 && run.out.startsWith(bib + u": 0 entries"_s) &&
                run.out.count(u"\n  * "_s) == 1)
        << run.out.toStdString();
}

TEST_F(FromEncoding, saveWritesTheEncodingItReadSoTheBytesSurvive)
{
    const CliRun run = dir.run({u"save"_s, bib, u"--from-encoding"_s, u"0x80000A02"_s});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    const QByteArray saved = readAll(bib);
    EXPECT_TRUE(saved.contains(kKoi8Name + ", S."));
    EXPECT_TRUE(saved.contains("textencoding = {-2147481086}"));
}

TEST_F(FromEncoding, unknownOrMissingCodeIsAUsageError)
{
    for (const QString &command : {u"check"_s, u"export"_s, u"save"_s}) {
        for (const QStringList &code : {QStringList{u"Klingon"_s}, {u"999999"_s}, {}}) {
            const CliRun run = dir.run(QStringList{command, bib, u"--from-encoding"_s} + code);
            EXPECT_EQ(run.exitCode, 2)
                << command.toStdString() << " " << code.value(0).toStdString();
        }
    }
    EXPECT_EQ(readAll(bib + u".1"_s), QByteArray("<absent>"));
}
