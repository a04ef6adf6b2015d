#pragma once

#include <QChar>
#include <QString>

#include <optional>
#include <vector>

// The TeX template of one accent-palette button ("{\'{X}}", "{\ss}"): puts
// the accent on the selected text or on the button's default letter. The
// entry editor's accent buttons wrap one each and own it; a plain value,
// used on the interface thread.
class InputAccentTemplate
{
public:
    InputAccentTemplate() = default;

    // Stores the template and the default character, and notes whether the
    // template holds "{X}" and whether a letter (an accent command such as
    // \H) stands just before it.
    void setTeXString(const QString &texString, QChar defaultChar);
    // The text to insert for `selection` (absent or empty: no selection).
    QString getTeXString(const std::optional<QString> &selection) const;

    QString texString() const { return m_texString; }
    QChar defaultChar() const { return m_defaultChar; }
    bool hasParams() const { return m_hasParams; }
    bool needsBrace() const { return m_needsBrace; }

    // The fourteen accent buttons, in palette order, with their default letters.
    static std::vector<InputAccentTemplate> standardAccents();

    bool operator==(const InputAccentTemplate &) const = default;

private:
    QString m_texString;
    QChar m_defaultChar;
    bool m_hasParams = false;
    bool m_needsBrace = true;
};
