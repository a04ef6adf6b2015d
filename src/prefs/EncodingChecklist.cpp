#include "prefs/EncodingChecklist.h"

#include "core/TextEncodings.h"
#include "prefs/BibPreferences.h"

#include <algorithm>

EncodingChecklist::EncodingChecklist()
    : m_encodingNames(TextEncodings::encodingNames()), m_checkMarks(m_encodingNames.size(), false)
{}

void EncodingChecklist::setMarks(const QList<quint32> &active)
{
    uncheckAll();
    for (const quint32 code : active) {
        const qsizetype row = m_encodingNames.indexOf(TextEncodings::nameOfEncoding(code));
        if (row >= 0)
            m_checkMarks[row] = true;
    }
}

bool EncodingChecklist::isChecked(qsizetype row) const
{
    return row >= 0 && row < m_checkMarks.size() && m_checkMarks[row];
}

void EncodingChecklist::setChecked(qsizetype row, bool checked)
{
    if (row >= 0 && row < m_checkMarks.size())
        m_checkMarks[row] = checked;
}

void EncodingChecklist::checkAll()
{
    std::fill(m_checkMarks.begin(), m_checkMarks.end(), true);
}

void EncodingChecklist::uncheckAll()
{
    std::fill(m_checkMarks.begin(), m_checkMarks.end(), false);
}

int EncodingChecklist::checkContains(QStringView text)
{
    if (text.isEmpty())
        return 0;
    int added = 0;
    for (qsizetype row = 0; row < m_encodingNames.size(); ++row) {
        if (!m_checkMarks[row] && m_encodingNames[row].contains(text, Qt::CaseInsensitive)) {
            m_checkMarks[row] = true;
            ++added;
        }
    }
    return added;
}

bool EncodingChecklist::canConfirm() const
{
    return m_checkMarks.contains(true);
}

bool EncodingChecklist::checkAllEnabled() const
{
    return m_checkMarks.contains(false);
}

bool EncodingChecklist::uncheckAllEnabled() const
{
    return m_checkMarks.contains(true);
}

bool EncodingChecklist::checkContainsEnabled(QStringView searchText)
{
    return !searchText.isEmpty();
}

QList<quint32> EncodingChecklist::markedEncodings() const
{
    QList<quint32> codes;
    for (qsizetype row = 0; row < m_encodingNames.size(); ++row) {
        if (m_checkMarks[row])
            codes.append(TextEncodings::encodingOfName(m_encodingNames[row]));
    }
    return codes;
}

bool EncodingChecklist::confirm(BibPreferences &preferences) const
{
    if (!canConfirm())
        return false;
    preferences.setActiveEncodings(markedEncodings());
    return true;
}
