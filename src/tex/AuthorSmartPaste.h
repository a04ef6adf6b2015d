#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

// Rewrites a pasted list of people into a BibTeX name list: names joined by
// " and ", affiliation marks dropped, single-letter initials given a full
// stop, a family name written before its initials ("Smith J") followed by a
// comma, special characters turned into TeX. A value built once per field
// (it reads its mark characters from the keyed texts); const and safe to use
// from any thread.
class AuthorSmartPaste
{
public:
    AuthorSmartPaste();

    // The new text of the whole field when `pasted` (already through
    // PasteCleanup::convertIllegalChars) arrives between `prefix` and
    // `suffix`; `cursor` receives the position after the pasted names.
    QString authorSmartPaste(const QString &pasted, const QString &prefix, const QString &suffix,
                             qsizetype &cursor) const;

    // Rejoins "family, given" pairs that a split at commas tore apart: a piece
    // goes onto a one-word entry before it, or onto a longer entry when the
    // piece is made of initials only. Empty pieces are dropped.
    static QStringList checkNameArray(const QStringList &pieces);

    // One name piece cleaned word by word (marks dropped, initials and
    // capitals mended); empty when nothing of a name is left.
    QString cleanedName(const QString &piece) const;

    // Whether `word` is a person's initials: one to three capitals ("JR"),
    // or capitals each followed by a full stop ("J.", "J.R.", "J.-P.").
    static bool isInitials(QStringView word);

private:
    QString trimmedWord(QStringView word) const;

    QString m_noNameSet; // resource "notForNameChars"
};
