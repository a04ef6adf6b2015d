#pragma once

#include "tex/AuthorSmartPaste.h"
#include "tex/TitleSmartPaste.h"

#include <QString>

#include <optional>

// What an entry field does with its text after an edit: when more than three
// characters arrived at once in an author or title field, the pasted part is
// rewritten for BibTeX and joined to the text before and after it; otherwise
// the whole text only goes through the character clean-up. The window hooks
// the paste (or compares the texts) and asks this class; it decides nothing
// about widgets. A value over the two rewritings; const and safe to use from
// any thread.
class SmartPaste
{
public:
    enum class Kind
    {
        None,   // every other field
        Author, // "author", "editor"
        Title   // "title", "booktitle"
    };

    // The part of a field's text that one edit put there.
    struct Range
    {
        qsizetype start = 0;
        qsizetype length = 0;
        bool operator==(const Range &) const = default;
    };

    struct Outcome
    {
        QString text;
        std::optional<qsizetype> cursor; // where the insertion point goes, after a rewrite
        bool rewritten = false;
    };

    explicit SmartPaste(const TitleSmartPaste::WordLists &lists);

    // The rewriting that a field shows: Author for "author" and "editor" when
    // `authorSwitch` is on, Title for "title" and "booktitle" when
    // `titleSwitch` is on, None otherwise.
    static Kind kindOfField(const QString &fieldName, bool authorSwitch, bool titleSwitch);

    // `range` moved inside a text of `textLength` characters.
    static Range clampedRange(Range range, qsizetype textLength);
    // The range that turned `before` into `after`, from what the two texts
    // share at the start and at the end: for edits whose position is unknown
    // (a middle-click paste, a drop).
    static Range insertedRange(const QString &before, const QString &after);

    // The field's new text once `range` of `text` has arrived in one edit.
    Outcome textChanged(const QString &text, Range range, Kind kind) const;

    // The pasted text rewritten on its own, as `kind` does it; for the CLI.
    QString rewrite(const QString &pasted, Kind kind) const;

    const AuthorSmartPaste &authors() const { return m_authors; }
    const TitleSmartPaste &titles() const { return m_titles; }

private:
    AuthorSmartPaste m_authors;
    TitleSmartPaste m_titles;
    QString m_yenMark;
};
