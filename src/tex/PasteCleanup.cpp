#include "tex/PasteCleanup.h"

#include "core/Texts.h"

using namespace Qt::StringLiterals;

void PasteCleanup::convertIllegalChars(QString &text)
{
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u == 0 || u == 0x00A0 || u == u'\n' || u == u'\r' || u == u'\t')
            c = u' ';
    }
}

void PasteCleanup::convertSpecialChars(QString &text)
{
    static const struct
    {
        const char16_t *key;
        const char16_t *tex;
    } dashes[] = {
        {u"shortHyphen1Str", u"-"},   {u"shortHyphen2Str", u"-"},  {u"middleHyphen1Str", u"--"},
        {u"middleHyphen2Str", u"--"}, {u"longHyphen1Str", u"---"}, {u"longHyphen2Str", u"---"},
    };
    for (const auto &dash : dashes) {
        const QString from = characterResource(dash.key);
        if (!from.isEmpty())
            text.replace(from, QString::fromUtf16(dash.tex));
    }
    const QString yen = yenMarkString();
    if (!yen.isEmpty())
        text.replace(yen, u"\\"_s);
}

QString PasteCleanup::characterResource(QStringView key)
{
    return Texts::contains(key) ? Texts::text(key) : QString();
}

QString PasteCleanup::yenMarkString()
{
    return Texts::contains(u"yenmark") ? Texts::text(u"yenmark") : QString();
}

QString PasteCleanup::capitalized(QStringView word)
{
    if (word.isEmpty())
        return {};
    return word.left(1).toString().toUpper() + word.mid(1).toString().toLower();
}

bool PasteCleanup::isUppercaseWord(QStringView word)
{
    if (word.isEmpty())
        return false;
    for (const QChar c : word) {
        if (c.category() != QChar::Letter_Uppercase)
            return false;
    }
    return true;
}
