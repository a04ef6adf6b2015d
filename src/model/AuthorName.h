#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

class StringInputStream;

// One parsed person name of an "author" or "editor" field, or one of the two
// pseudo names (all authors, "others"). A value: copy freely; safe to read from
// any thread, and parsing only reads the shared converter.
class AuthorName
{
public:
    AuthorName() = default;

    // The pseudo name at the top of the author index.
    static AuthorName authorNameForAllAuthors();

    // Every name of a field's display text; empty when the text holds none.
    static QList<AuthorName> createNamesFrom(const QString &text);
    // The same on the TeX form of a field, keeping the markup in the names.
    static QList<AuthorName> createTeXNamesFrom(const QString &text);
    // The next name of `stream`, or none at its end (or at an empty name).
    static std::optional<AuthorName> authorNameFromStream(StringInputStream &stream);
    static std::optional<AuthorName> texAuthorNameFromStream(StringInputStream &stream);

    // Reads one name from `stream`; answers whether a name was read.
    bool readFromStream(StringInputStream &stream, bool keepTeX);

    // Display text: 0 "family, given", 1 "given family", 2 family alone
    // (Japanese names keep family first for 0 and 1).
    QString stringValue() const { return stringValueWithFormat(0); }
    QString stringValueWithFormat(int format) const;

    const QString &familyName() const { return m_familyName; }
    const QString &givenName() const { return m_givenName; }
    const QString &nameForSearch() const { return m_nameForSearch; }
    bool isAll() const { return m_all; }
    bool isOthers() const { return m_others; }
    bool isJapanese() const { return m_japanese; }

    // The parts reduced to ASCII letters for citation keys.
    QString familyNameForKey() const { return removeDiacriticalMarks(m_familyName); }
    QString givenNameForKey() const { return removeDiacriticalMarks(m_givenName); }
    QString removeDiacriticalMarks(const QString &text) const;

    // Whether `word` belongs to the family part when it stands before the
    // last name: Jr/Sr, an all-lower-case particle, or a Roman numeral.
    static bool partIsFamily(QStringView word);

    // Negative, zero or positive: the all-authors name first, "others" last,
    // otherwise by the search key, code unit by code unit.
    int compareNames(const AuthorName &other) const;

    // The initials of one word ("Jean-Marc" gives "J.-M.").
    QString initialize(const QString &word, bool keepTeX) const;
    // One initial letter read from `stream`; empty at its end.
    static QString initialLetterFromStream(StringInputStream &stream, bool keepTeX);

    // `text` with Latin letters reduced to plain ASCII; other characters are
    // kept unless `dropOthers` is set, in which case they are dropped.
    static QString foldToAscii(const QString &text, bool dropOthers);

    bool operator==(const AuthorName &other) const = default;

private:
    void makeOthers();

    QString m_familyName;
    QString m_givenName;
    QString m_nameForSearch;
    bool m_all = false;
    bool m_others = false;
    bool m_japanese = false;
};
