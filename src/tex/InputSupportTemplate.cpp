#include "tex/InputSupportTemplate.h"

using namespace Qt::StringLiterals;

namespace {

const QString &placeholder()
{
    static const QString text = u"{X}"_s;
    return text;
}

} // namespace

void InputSupportTemplate::setTeXString(const QString &texString, const QString &defaultParam,
                                        int needsMathMode)
{
    m_texString = texString;
    m_defaultParam = defaultParam;
    m_needsMathMode = needsMathMode;
    m_hasParams = texString.contains(placeholder());
}

std::optional<QString> InputSupportTemplate::getTeXString(const std::optional<QString> &selection,
                                                          bool inMath) const
{
    if (m_texString.isEmpty())
        return std::nullopt;
    QString result = m_texString;
    if (m_hasParams) {
        QString param = selection && !selection->isEmpty() ? *selection : m_defaultParam;
        const bool singleDigit = param.size() == 1 && param.at(0) >= u'0' && param.at(0) <= u'9';
        if (!singleDigit && m_defaultParam != u"text")
            param = u'{' + param + u'}';
        result.replace(placeholder(), param);
    }
    const int current = inMath ? MathModeNeeded : TextMode;
    if (m_needsMathMode == EitherMode || m_needsMathMode == current)
        return result;
    return u'$' + result + u'$';
}

int InputSupportTemplate::mathModeFromWord(QStringView word)
{
    if (word == u"math")
        return MathModeNeeded;
    if (word == u"both")
        return EitherMode;
    return TextMode;
}

bool InputSupportTemplate::isInsideMath(QStringView text, qsizetype position)
{
    const qsizetype end = std::min(position, text.size());
    bool inMath = false;
    for (qsizetype i = 0; i < end; ++i) {
        const QChar c = text.at(i);
        if (c == u'\\')
            ++i;
        else if (c == u'$')
            inMath = !inMath;
    }
    return inMath;
}
