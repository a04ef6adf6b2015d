#include "tex/SmartPaste.h"

#include "tex/PasteCleanup.h"

#include <algorithm>

using namespace Qt::StringLiterals;

SmartPaste::SmartPaste(const TitleSmartPaste::WordLists &lists)
    : m_titles(lists), m_yenMark(PasteCleanup::yenMarkString())
{}

SmartPaste::Kind SmartPaste::kindOfField(const QString &fieldName, bool authorSwitch,
                                         bool titleSwitch)
{
    if (fieldName == u"author" || fieldName == u"editor")
        return authorSwitch ? Kind::Author : Kind::None;
    if (fieldName == u"title" || fieldName == u"booktitle")
        return titleSwitch ? Kind::Title : Kind::None;
    return Kind::None;
}

SmartPaste::Range SmartPaste::clampedRange(Range range, qsizetype textLength)
{
    textLength = std::max<qsizetype>(textLength, 0);
    range.start = std::clamp<qsizetype>(range.start, 0, textLength);
    range.length = std::clamp<qsizetype>(range.length, 0, textLength - range.start);
    return range;
}

SmartPaste::Range SmartPaste::insertedRange(const QString &before, const QString &after)
{
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype head = 0;
    while (head < shorter && before[head] == after[head])
        ++head;
    qsizetype tail = 0;
    while (tail < shorter - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
        ++tail;
    return {head, after.size() - head - tail};
}

SmartPaste::Outcome SmartPaste::textChanged(const QString &text, Range range, Kind kind) const
{
    range = clampedRange(range, text.size());
    if (kind != Kind::None && range.length > 3) {
        QString pasted = text.mid(range.start, range.length).trimmed();
        const bool isTeX = pasted.contains(u'\\') ||
                           (!m_yenMark.isEmpty() && pasted.contains(m_yenMark)) ||
                           pasted.contains(u"$_"_s) || pasted.contains(u"$^"_s);
        if (!isTeX && pasted.size() >= 5) {
            PasteCleanup::convertIllegalChars(pasted);
            const QString prefix = text.left(range.start).trimmed();
            const QString suffix = text.mid(range.start + range.length).trimmed();
            qsizetype cursor = 0;
            const QString rewritten =
                kind == Kind::Author ? m_authors.authorSmartPaste(pasted, prefix, suffix, cursor)
                                     : m_titles.titleSmartPaste(pasted, prefix, suffix, cursor);
            return {rewritten, cursor, true};
        }
    }
    QString plain = text;
    PasteCleanup::convertIllegalChars(plain);
    PasteCleanup::convertSpecialChars(plain);
    return {plain, std::nullopt, false};
}

QString SmartPaste::rewrite(const QString &pasted, Kind kind) const
{
    QString text = pasted.trimmed();
    PasteCleanup::convertIllegalChars(text);
    qsizetype cursor = 0;
    switch (kind) {
    case Kind::Author:
        return m_authors.authorSmartPaste(text, {}, {}, cursor);
    case Kind::Title:
        return m_titles.titleSmartPaste(text, {}, {}, cursor);
    case Kind::None:
        break;
    }
    PasteCleanup::convertSpecialChars(text);
    return text;
}
