#include "storage/LocalDatabaseProperties.h"

#include <QDir>

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;

TEST(LocalDatabaseProperties, pathsAreDerivedFromTheFullPath)
{
    LocalDatabaseProperties p;
    p.setFullPath(u"/u/me/bib/refs.bib"_s);
    EXPECT_EQ(p.filePath(), u"/u/me/bib"_s);
    EXPECT_EQ(p.fileName(), u"refs.bib"_s);
    EXPECT_EQ(p.description(), u"refs"_s);
    // (path given, full path, relative path)
    const std::tuple<QString, QString, QString> rows[] = {
        {u"papers/a.pdf"_s, u"/u/me/bib/papers/a.pdf"_s, u"papers/a.pdf"_s},
        {u"/x/a.pdf"_s, u"/x/a.pdf"_s, u"/x/a.pdf"_s},
        {u"Disk:a.pdf"_s, u"Disk:a.pdf"_s, u"Disk:a.pdf"_s},
        {u"/u/me/bib/papers/a.pdf"_s, u"/u/me/bib/papers/a.pdf"_s, u"papers/a.pdf"_s},
        {u"/u/me/bib"_s, u"/u/me/bib"_s, u""_s},
        {u"/u/me/bibliography/a.pdf"_s, u"/u/me/bibliography/a.pdf"_s,
         u"/u/me/bibliography/a.pdf"_s},
        {QString(), u"/u/me/bib"_s, QString()},
    };
    for (const auto &[in, full, relative] : rows) {
        EXPECT_EQ(p.fullPathOfFile(in), full) << in.toStdString();
        if (!in.isEmpty()) {
            EXPECT_EQ(p.relativePathOfFile(in), relative) << in.toStdString();
        }
    }
    // The home folder is written as a tilde.
    p.setFullPath(QDir::homePath() + u"/bib/refs.bib"_s);
    EXPECT_EQ(p.relativeFilePath(), u"~/bib"_s);
}

TEST(LocalDatabaseProperties, writeReservation)
{
    const QString host = LocalDatabaseProperties::computerName();
    const QString user = LocalDatabaseProperties::consoleUserName();
    ASSERT_FALSE(user.isEmpty());
    const std::tuple<const char *, QString, QString, bool> rows[] = {
        {"none", {}, {}, true},
        {"thisHostAnyUser", host, {}, true},
        {"thisHostThisUser", host, user, true},
        {"thisHostOtherUser", host, u"someone-else"_s, false},
        {"otherHost", u"other.invalid"_s, user, false},
        {"anyHostThisUser", {}, user, true},
        {"anyHostOtherUser", {}, u"someone-else"_s, false},
    };
    for (const auto &[name, reservedHost, reservedUser, allowed] : rows) {
        LocalDatabaseProperties p;
        p.setPrivilegedHost(reservedHost);
        p.setPrivilegedUser(reservedUser);
        EXPECT_EQ(p.hasPrivilegeToWrite(), allowed) << name;
    }
}
