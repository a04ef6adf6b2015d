#include "tex/InputAccentTemplate.h"

using namespace Qt::StringLiterals;

void InputAccentTemplate::setTeXString(const QString &texString, QChar defaultChar)
{
    m_texString = texString;
    m_defaultChar = defaultChar;
    const qsizetype at = texString.indexOf(u"{X}"_s);
    m_hasParams = at >= 0;
    if (m_hasParams)
        m_needsBrace = at > 0 && texString.at(at - 1).isLetter();
}

QString InputAccentTemplate::getTeXString(const std::optional<QString> &selection) const
{
    if (!m_hasParams)
        return m_texString;
    QString param;
    if (selection && !selection->isEmpty()) {
        param = *selection;
        if (m_needsBrace || param.size() >= 2)
            param = u'{' + param + u'}';
    } else {
        param = QString(m_defaultChar);
        if (m_needsBrace)
            param = u'{' + param + u'}';
    }
    QString result = m_texString;
    result.replace(u"{X}"_s, param);
    return result;
}

std::vector<InputAccentTemplate> InputAccentTemplate::standardAccents()
{
    // The accent commands and, at the same position, the default letters.
    static const char16_t commands[] = u"'`^~\"H.d=buvcr";
    static const char16_t letters[] = u"eeenuussgboscu";
    std::vector<InputAccentTemplate> buttons;
    for (int k = 0; k < 14; ++k) {
        InputAccentTemplate button;
        button.setTeXString(u"{\\"_s + QChar(commands[k]) + u"{X}}"_s, QChar(letters[k]));
        buttons.push_back(button);
    }
    return buttons;
}
