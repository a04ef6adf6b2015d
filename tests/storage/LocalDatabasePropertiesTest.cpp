#include "storage/LocalDatabaseProperties.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(LocalDatabaseProperties, pathsAreDerivedFromTheFullPath)
{
    LocalDatabaseProperties p;
    p.setFullPath(u"/u/me/bib/refs.bib"_s);
    EXPECT_EQ(p.filePath(), u"/u/me/bib"_s);
    EXPECT_EQ(p.fileName(), u"refs.bib"_s);
    EXPECT_EQ(p.description(), u"refs"_s);
    p.setDescription(u"Mine"_s);
    EXPECT_EQ(p.description(), u"Mine"_s);
}

TEST(LocalDatabaseProperties, fullAndRelativePaths)
{
    LocalDatabaseProperties p;
    p.setFullPath(u"/u/me/bib/refs.bib"_s);
    struct Row
    {
        QString in;
        QString full;
        QString relative;
    };
    const Row rows[] = {
        {u"papers/a.pdf"_s, u"/u/me/bib/papers/a.pdf"_s, u"papers/a.pdf"_s},
        {u"/x/a.pdf"_s, u"/x/a.pdf"_s, u"/x/a.pdf"_s},
        {u"Disk:a.pdf"_s, u"Disk:a.pdf"_s, u"Disk:a.pdf"_s},
        {u"/u/me/bib/papers/a.pdf"_s, u"/u/me/bib/papers/a.pdf"_s, u"papers/a.pdf"_s},
        {u"/u/me/bib"_s, u"/u/me/bib"_s, u""_s},
        {u"/u/me/bibliography/a.pdf"_s, u"/u/me/bibliography/a.pdf"_s,
         u"/u/me/bibliography/a.pdf"_s},
    };
    for (const Row &row : rows) {
        EXPECT_EQ(p.fullPathOfFile(row.in), row.full) << row.in.toStdString();
        EXPECT_EQ(p.relativePathOfFile(row.in), row.relative) << row.in.toStdString();
    }
    EXPECT_EQ(p.fullPathOfFile(QString()), u"/u/me/bib"_s);
}

TEST(LocalDatabaseProperties, homeFolderIsWrittenAsTilde)
{
    LocalDatabaseProperties p;
    p.setFullPath(QDir::homePath() + u"/bib/refs.bib"_s);
    EXPECT_EQ(p.relativeFilePath(), u"~/bib"_s);
}

TEST(LocalDatabaseProperties, dictionaryRoundTripsEveryField)
{
    LocalDatabaseProperties p;
    p.setFullPath(u"/u/me/refs.bib"_s);
    p.setEncoding(0x80000A01u);
    p.setLineEnding(0);
    p.setFileAttachmentMode(3);
    p.setAttachmentPath(u"Files"_s);
    p.setRenameAfterBibkey(false);
    p.setKeepFullPath(true);
    p.setPrivilegedHost(u"host"_s);
    p.setPrivilegedUser(u"user"_s);
    p.setDescription(u"D"_s);
    const QVariantMap written = p.makePropertyDictionary();
    auto again = LocalDatabaseProperties::propertiesWithDictionary(written, nullptr);
    EXPECT_EQ(again->makePropertyDictionary(), written);
    EXPECT_EQ(again->encoding(), 0x80000A01u);
    EXPECT_EQ(again->uniqueID(), p.uniqueID());
    EXPECT_EQ(written.value(u"kind"_s).toInt(), 5);
}

TEST(LocalDatabaseProperties, copyKeepsAbsentTextsAbsent)
{
    LocalDatabaseProperties p;
    p.setFullPath(u"/a/b.bib"_s);
    auto copy = LocalDatabaseProperties::propertiesWithProperties(p);
    EXPECT_EQ(copy->fullPath(), u"/a/b.bib"_s);
    EXPECT_TRUE(copy->privilegedHost().isEmpty());
    EXPECT_NE(copy->uniqueID(), p.uniqueID());
}

TEST(LocalDatabaseProperties, writeReservation)
{
    const QString host = LocalDatabaseProperties::computerName();
    const QString user = LocalDatabaseProperties::consoleUserName();
    ASSERT_FALSE(user.isEmpty());
    struct Row
    {
        const char *name;
        QString host;
        QString user;
        bool allowed;
    };
    const Row rows[] = {
        {"none", {}, {}, true},
        {"thisHostAnyUser", host, {}, true},
        {"thisHostThisUser", host, user, true},
        {"thisHostOtherUser", host, u"someone-else"_s, false},
        {"otherHost", u"other.invalid"_s, user, false},
        {"anyHostThisUser", {}, user, true},
        {"anyHostOtherUser", {}, u"someone-else"_s, false},
    };
    for (const Row &row : rows) {
        LocalDatabaseProperties p;
        p.setPrivilegedHost(row.host);
        p.setPrivilegedUser(row.user);
        EXPECT_EQ(p.hasPrivilegeToWrite(), row.allowed) << row.name;
    }
}
