#pragma once

#include "model/BibItem.h"
#include "storage/LocalDatabase.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

// Opens the file at `path` as the window does and keeps it despite reading
// errors (the user answers OK; the test waits for the loading thread).
inline std::unique_ptr<LocalDatabase> openDatabase(const QString &path)
{
    auto database = LocalDatabase::localDatabaseWithFile(path, false);
    if (!database)
        return nullptr;
    database->startLoading();
    database->waitForLoading();
    if (database->isLoading())
        database->setWaitingStatus(0);
    return database;
}

// Writes small .bib files into a temporary folder and opens them.
class BibFixture
{
public:
    QString write(const QString &name, const QByteArray &bytes)
    {
        const QString path = m_dir.path() + u'/' + name;
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }

    std::unique_ptr<LocalDatabase> load(const QByteArray &bytes,
                                        const QString &name = QStringLiteral("t.bib"))
    {
        return openDatabase(write(name, bytes));
    }

private:
    QTemporaryDir m_dir;
};

inline QStringList errorsOf(const LocalDatabase &database)
{
    return database.readingErrors().value_or(QStringList());
}

inline QStringList keysOf(const LocalDatabase &database)
{
    QStringList keys;
    if (const BibItemList *items = database.allItems()) {
        for (const BibItemPtr &item : *items)
            keys << item->bibKey();
    }
    return keys;
}
