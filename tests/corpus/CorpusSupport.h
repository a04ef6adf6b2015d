#pragma once

// The shared corpus, walking it and opening its files the way the window
// does, for the corpus tests.
#include "OpenedDatabase.h"
#include "TestFiles.h"
#include "core/StringInputStream.h"
#include "core/TextEncodings.h"
#include "model/BibElement.h"
#include "storage/LocalDatabase.h"

#include <QDirIterator>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace QfTest {

using ::openDatabase;

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

// The text of the file at `path` in `encoding`; absent when it cannot be
// read or does not decode.
inline std::optional<QString> decodedFile(const QString &path, quint32 encoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return TextEncodings::decode(file.readAll(), encoding);
}

// A writable copy of the file `from` at `to`; false when it cannot be made.
inline bool copyFile(const QString &from, const QString &to)
{
    QFile::remove(to);
    return QFile::copy(from, to) &&
           QFile::setPermissions(to, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// A stream over `text` set up as the file reader sets up its own.
inline StringInputStream readerStream(const QString &text)
{
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    return stream;
}

// The fields of one block's body ("{key, name = value}"), read by the value
// grammar; absent when it does not read.
inline std::optional<BibFieldDictionary> fieldsOfBlock(const QString &body, bool needsBibkey)
{
    StringInputStream stream = readerStream(body);
    QString error;
    const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
    if (!error.isEmpty())
        return std::nullopt;
    return BibElement::analyzeElements(elements, error, needsBibkey);
}

// Where two texts first differ, with some text around it from each.
inline QString firstDifference(const QString &one, const QString &two)
{
    qsizetype i = 0;
    while (i < one.size() && i < two.size() && one[i] == two[i])
        ++i;
    const qsizetype from = std::max<qsizetype>(0, i - 50);
    return QStringLiteral("at ") + QString::number(i) + QStringLiteral(": ") + one.mid(from, 120) +
           QStringLiteral(" <> ") + two.mid(from, 120);
}

// A check over many corpus files: the files it walks (only those whose path
// holds QF_ROUNDTRIP_ONLY when that is set) and the failures it collects,
// each reported when the check ends.
class CorpusWalk
{
public:
    CorpusWalk() : m_only(qEnvironmentVariable("QF_ROUNDTRIP_ONLY")) {}
    ~CorpusWalk()
    {
        for (const QString &failure : failures)
            ADD_FAILURE() << qPrintable(failure);
    }
    QStringList files() const { return corpusFiles(m_only); }
    bool whole() const { return m_only.isEmpty(); }
    void fail(const QString &path, const QString &what)
    {
        failures << path + QStringLiteral(": ") + what;
    }

    QStringList failures;

private:
    QString m_only;
};

} // namespace QfTest
