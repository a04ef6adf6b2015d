#pragma once

#include "core/AlertPresenter.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The word lists of the smart title paste as text files, and the rules the
// word-list sheet edits them by: export writes one word per line in UTF-8;
// import reads UTF-8 (or, failing that, the Mac OS Roman and Shift JIS files
// of older versions), takes every run of characters that are neither
// punctuation nor white space as a word and adds the new ones. Stateless;
// called on the main thread by the sheet.
class WordListFile
{
public:
    // The three lists, in the order of the sheet's pop-up.
    enum Category
    {
        ProperNouns = 0,
        LongConjunctions = 1,
        ShortNormals = 2
    };

    struct ImportResult
    {
        QStringList words; // the list with the new words, sorted
        QStringList added; // the new words, in the order of the file
        int ignored = 0;   // words of the file that were in the list already
        bool readable = false;
    };

    // `word` trimmed and normalised for `category`: capitalised for proper
    // nouns, lower case for the others. Empty when nothing is left.
    static QString normalizedWord(QStringView word, Category category);
    // `words` sorted by the user's locale.
    static QStringList sortedWords(QStringList words);

    // The bytes of an exported file: the words sorted, each followed by LF.
    static QByteArray exportBytes(const QStringList &words);
    // Writes `words` to `path`, replacing the file there. On failure answers
    // false and sets `errorKey` ("ExportErrorRemove" when the existing file
    // cannot be replaced, "ExportErrorWrite" otherwise).
    static bool exportWords(const QStringList &words, const QString &path, QString &errorKey);
    // The alert for a failed export.
    static AlertRequest exportErrorAlert(const QString &errorKey, const QString &path);

    // The text of a word file: UTF-8 (a byte-order mark allowed), else
    // UTF-16 with a byte-order mark, else Mac OS Roman, else Shift JIS.
    static std::optional<QString> decodeWordFile(const QByteArray &bytes);
    // The words of a text: maximal runs of characters that are neither
    // punctuation nor white space.
    static QStringList wordsOfText(QStringView text);
    // `list` with the normalised words of `text` added (no duplicates).
    static ImportResult importText(const QStringList &list, QStringView text, Category category);
    // The same for the file at `path`; an unreadable or empty file adds nothing.
    static ImportResult importWords(const QStringList &list, const QString &path,
                                    Category category);
    // The summary alert after an import.
    static AlertRequest importSummaryAlert(const ImportResult &result);
};
