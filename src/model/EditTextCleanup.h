#pragma once

#include <QString>

// The clean-up of text typed or pasted into the entry editor's multi-line
// views: the yen-mark text becomes a backslash (Japanese keyboards type it for
// one), a no-break space a plain space, and NUL characters are removed. The
// insertion point moves back only by what was removed before it. A value.
struct EditTextCleanup
{
    QString text;
    qsizetype cursor = 0;
    bool changed = false;

    static EditTextCleanup clean(const QString &text, qsizetype cursor, const QString &yenMark);
};
