#pragma once

#include "OpenedDatabase.h"
#include "model/BibItem.h"
#include "storage/LocalDatabase.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <memory>

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
