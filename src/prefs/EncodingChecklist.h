#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

class BibPreferences;

// The logic of the dialog in which the user chooses the active encodings: one
// check mark per available encoding (in TextEncodings::encodingNames order),
// the bulk actions and the enabled state of the buttons. Widget-free; owned by
// the dialog; main thread.
class EncodingChecklist
{
public:
    EncodingChecklist();

    QStringList encodingNames() const { return m_encodingNames; }
    QList<bool> checkMarks() const { return m_checkMarks; }

    // Clears every mark, then marks the names of `active`.
    void setMarks(const QList<quint32> &active);
    bool isChecked(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    void checkAll();
    void uncheckAll();
    // Adds a mark to every name that contains `text`, ignoring case; removes
    // none. Answers how many marks were added.
    int checkContains(QStringView text);

    // OK needs at least one mark; check-all is off when all are marked,
    // uncheck-all when none is; check-contains needs a search text.
    bool canConfirm() const;
    bool checkAllEnabled() const;
    bool uncheckAllEnabled() const;
    static bool checkContainsEnabled(QStringView searchText);

    // The codes of the marked names, in encodingNames order.
    QList<quint32> markedEncodings() const;
    // On OK: stores the marked encodings as the active ones. False (and
    // nothing stored) when no name is marked.
    bool confirm(BibPreferences &preferences) const;

private:
    QStringList m_encodingNames;
    QList<bool> m_checkMarks;
};
