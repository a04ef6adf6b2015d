#pragma once

// The shared corpus and opening its files the way the window does, for the
// corpus tests.
#include "storage/LocalDatabase.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <memory>

namespace QfTest {

inline QString corpusDir()
{
    return QStringLiteral(QF_CORPUS_DIR);
}

inline bool hasCorpus()
{
    return QFile::exists(corpusDir() + QStringLiteral("/FILES.tsv"));
}

// The bytes of a corpus file, empty when it cannot be read.
inline QByteArray readCorpusFile(const QString &relativePath)
{
    QFile file(corpusDir() + u'/' + relativePath);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// One column of FILES.tsv (the corpus's list of files) by the .bib file's
// local path; rows without that column are left out.
inline QHash<QString, QString> listedColumn(int column)
{
    QHash<QString, QString> values;
    QFile file(corpusDir() + QStringLiteral("/FILES.tsv"));
    if (!file.open(QIODevice::ReadOnly))
        return values;
    file.readLine();
    while (!file.atEnd()) {
        const QStringList columns = QString::fromUtf8(file.readLine()).split(u'\t');
        if (columns.size() > column && columns.at(0).endsWith(QStringLiteral(".bib")))
            values.insert(columns.at(0), columns.at(column).trimmed());
    }
    return values;
}

// Every .bib file of the corpus (or, with `pattern`, those whose path holds
// it), sorted.
inline QStringList corpusFiles(const QString &pattern = {},
                               const QString &nameFilter = QStringLiteral("*.bib"))
{
    QStringList files;
    QDirIterator it(corpusDir(), {nameFilter}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (pattern.isEmpty() || path.contains(pattern))
            files << path;
    }
    std::sort(files.begin(), files.end());
    return files;
}

// The database of the file at `path`, loaded; its loading errors are
// answered with OK so that it opens. Null when the file cannot be opened.
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

} // namespace QfTest
