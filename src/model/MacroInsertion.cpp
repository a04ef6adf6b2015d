#include "model/MacroInsertion.h"

using namespace Qt::StringLiterals;

namespace {

bool isSpaceOrSharp(QChar c)
{
    return c.isSpace() || c == u'#';
}

QString trimmed(const QString &text, bool sharpToo)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto trims = [sharpToo](QChar c) { return sharpToo ? isSpaceOrSharp(c) : c.isSpace(); };
    while (begin < end && trims(text.at(begin)))
        ++begin;
    while (end > begin && trims(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// A plain fragment as a BibTeX string: in double quotes, or in braces when
// it holds a double quote itself (a quoted string cannot).
QString plainString(const QString &text, bool isPre)
{
    const bool braces = text.contains(u'"');
    const QChar open = braces ? u'{' : u'"';
    const QChar close = braces ? u'}' : u'"';
    return isPre ? open + text + u' ' + close : open + u' ' + text + close;
}

} // namespace

bool MacroInsertion::permitsMacro(const QString &fieldName)
{
    return !fieldName.isEmpty() && fieldName != u"bibkey"_s && fieldName != u"email"_s &&
           fieldName != u"url"_s && fieldName != u"file"_s;
}

QString MacroInsertion::checkQuotes(const QString &text, bool isPre, bool &hasQuotes)
{
    const qsizetype quotes = text.count(u'"');
    hasQuotes = quotes > 0;
    QString result = text;
    if (quotes % 2 == 1)
        result = isPre ? result + u" \""_s : u"\" "_s + result;
    if (result == u"\" \""_s)
        result.clear();
    return result;
}

MacroInsertion::Result MacroInsertion::insertMacro(const QString &text, qsizetype start,
                                                   qsizetype length, const QString &macro)
{
    QString source = text;
    start = qBound<qsizetype>(0, start, source.size());
    length = qBound<qsizetype>(0, length, source.size() - start);
    const bool expression = source.startsWith(u'@');
    if (expression) {
        source.remove(0, 1);
        if (start != 0)
            --start;
        else if (length != 0)
            --length;
    }
    // Plain text keeps its "#": it is a character of the value there.
    QString before = trimmed(source.left(start), expression);
    QString after = trimmed(source.mid(start + length), expression);

    if (!before.isEmpty()) {
        if (expression) {
            bool hasQuotes = false;
            before = checkQuotes(before, true, hasQuotes);
        } else {
            before = plainString(before, true);
        }
        if (!before.isEmpty())
            before += u" # "_s;
    }
    if (!after.isEmpty()) {
        if (expression) {
            bool hasQuotes = false;
            after = checkQuotes(after, false, hasQuotes);
        } else {
            after = plainString(after, false);
        }
        if (!after.isEmpty())
            after.prepend(u" # "_s);
    }
    Result result;
    result.text = u'@' + before + macro;
    result.cursor = result.text.size();
    result.text += after;
    return result;
}
