#include "model/EditTextCleanup.h"

EditTextCleanup EditTextCleanup::clean(const QString &text, qsizetype cursor,
                                       const QString &yenMark)
{
    EditTextCleanup result;
    result.text.reserve(text.size());
    result.cursor = qBound<qsizetype>(0, cursor, text.size());
    const qsizetype originalCursor = result.cursor;
    qsizetype i = 0;
    while (i < text.size()) {
        if (!yenMark.isEmpty() && QStringView(text).sliced(i).startsWith(yenMark)) {
            result.text += u'\\';
            result.changed = true;
            // Characters of a longer mark before the insertion point are gone.
            const qsizetype removed = yenMark.size() - 1;
            if (i < originalCursor)
                result.cursor -= qMin(removed, originalCursor - i - 1);
            i += yenMark.size();
            continue;
        }
        const QChar c = text.at(i);
        if (c == QChar(0)) {
            result.changed = true;
            if (i < originalCursor)
                --result.cursor;
        } else if (c == QChar(0x00A0)) {
            result.text += u' ';
            result.changed = true;
        } else {
            result.text += c;
        }
        ++i;
    }
    return result;
}
