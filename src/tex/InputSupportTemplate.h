#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// The TeX template of one input-palette button: produces the text to insert
// for the current selection, switching in or out of math mode as needed. The
// entry editor's palette buttons wrap one each and own it; a plain value,
// used on the interface thread.
class InputSupportTemplate
{
public:
    // Which mode the template needs.
    enum MathMode
    {
        TextMode = 0,
        MathModeNeeded = 1,
        EitherMode = 2
    };

    InputSupportTemplate() = default;

    // Stores the template, the default parameter and the mode number, and
    // notes whether the template holds the placeholder "{X}".
    void setTeXString(const QString &texString, const QString &defaultParam, int needsMathMode);
    // The text to insert for `selection` (absent: no selection) when the
    // insertion point lies inside math (`inMath`) or not; absent for an empty
    // template.
    std::optional<QString> getTeXString(const std::optional<QString> &selection, bool inMath) const;

    // The button's title; a button without a title stays disabled.
    void setTitle(const QString &title) { m_title = title; }
    QString title() const { return m_title; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled && !m_title.isEmpty(); }

    QString texString() const { return m_texString; }
    QString defaultParam() const { return m_defaultParam; }
    bool hasParams() const { return m_hasParams; }
    int needsMathMode() const { return m_needsMathMode; }

    // The mode number of a palette mode word: "math" 1, "both" 2, anything else 0.
    static int mathModeFromWord(QStringView word);
    // Whether the insertion point at `position` of `text` lies inside math:
    // a backslash skips the character after it, every other dollar toggles.
    static bool isInsideMath(QStringView text, qsizetype position);

    bool operator==(const InputSupportTemplate &) const = default;

private:
    QString m_texString;
    QString m_defaultParam;
    bool m_hasParams = false;
    int m_needsMathMode = EitherMode;
    QString m_title;
    bool m_enabled = true;
};
