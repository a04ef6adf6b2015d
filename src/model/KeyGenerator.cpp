#include "model/KeyGenerator.h"

using namespace Qt::StringLiterals;

bool KeyGenerator::isKeyCharacter(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0x2900)
        return true;
    if ((u >= u'0' && u <= u'9') || (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z'))
        return true;
    return QStringView(u"_-:;.|/[]()").contains(c);
}

QString KeyGenerator::keyFromRenderedRule(QStringView rendered)
{
    QString key;
    key.reserve(rendered.size());
    for (const QChar c : rendered) {
        if (isKeyCharacter(c))
            key.append(c);
    }
    return key;
}

bool KeyGenerator::isAcceptableKey(QStringView key)
{
    if (key.isEmpty())
        return false;
    for (const QChar c : key) {
        if (c.isSpace() || QStringView(u",=#{}\"\\$").contains(c))
            return false;
    }
    return true;
}
