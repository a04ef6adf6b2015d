#include "storage/BibFileWriter.h"

#include "core/Texts.h"

using namespace Qt::StringLiterals;

namespace {

QString yesNo(bool value)
{
    return value ? u"YES"_s : u"NO"_s;
}

void appendRow(QString &out, QStringView key, const QString &value, const QString &lf)
{
    out += u'\t';
    out += key;
    out += u" = {"_s;
    out += value;
    out += u"},"_s;
    out += lf;
}

} // namespace

QString BibFileWriter::lastSavedText(const QDateTime &time)
{
    const QDateTime local = time.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int absolute = offset < 0 ? -offset : offset;
    return local.toString(u"yyyy-MM-dd HH:mm:ss "_s) + (offset < 0 ? u'-' : u'+') +
           u"%1%2"_s.arg(absolute / 3600, 2, 10, QChar(u'0'))
               .arg((absolute % 3600) / 60, 2, 10, QChar(u'0'));
}

QString BibFileWriter::settingsBlock(const Settings &settings, const QString &lf,
                                     const QDateTime &now)
{
    QString out;
    out.reserve(512);
    out += u"@COMMENT { Quirefold_Settings,"_s;
    out += lf;
    // Codes at or above 2^31 are written as their signed 32-bit value.
    appendRow(out, u"textencoding", QString::number(static_cast<qint32>(settings.encoding)), lf);
    appendRow(out, u"linemode", QString::number(settings.lineEnding), lf);
    appendRow(out, u"database_ID", settings.databaseID, lf);
    appendRow(out, u"attachment_mode", QString::number(settings.attachmentMode), lf);
    appendRow(out, u"rename_after_bibkey", yesNo(settings.renameAfterBibkey), lf);
    appendRow(out, u"keep_full_path", yesNo(settings.keepFullPath), lf);
    if (!settings.description.isEmpty())
        appendRow(out, u"description", settings.description, lf);
    if (!settings.attachmentPath.isEmpty())
        appendRow(out, u"attachment_path", settings.attachmentPath, lf);
    if (!settings.privilegedHost.isEmpty())
        appendRow(out, u"privileged_host", settings.privilegedHost, lf);
    if (!settings.privilegedUser.isEmpty())
        appendRow(out, u"privileged_user", settings.privilegedUser, lf);
    if (!settings.privilegedSince.isEmpty())
        appendRow(out, u"privileged_since", settings.privilegedSince, lf);
    out += u"\tlast_saved = {"_s + lastSavedText(now) + u'}' + lf;
    out += u'}' + lf + lf;
    return out;
}

namespace {

// Whether the braces of `text` balance as a comment block reads them (a
// backslash hides the next character).
bool bracesBalance(QStringView text)
{
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\')
            ++i;
        else if (text[i] == u'{')
            ++depth;
        else if (text[i] == u'}' && --depth < 0)
            return false;
    }
    return depth == 0;
}

// A comment made of "%" or "#" lines, as they stand between blocks.
bool isCommentLines(QStringView text)
{
    for (const QStringView line : text.split(u'\n')) {
        const QStringView trimmed = line.trimmed();
        if (trimmed.isEmpty() || (trimmed.front() != u'%' && trimmed.front() != u'#'))
            return false;
    }
    return !text.isEmpty();
}

} // namespace

QString BibFileWriter::commentsString(const QStringList &comments, const QString &lf)
{
    QString out;
    bool bareBefore = false;
    for (const QString &comment : comments) {
        // "%" lines whose braces do not balance ("% see {x") would end a
        // comment block early: they are written as they were read, as lines
        // between blocks. An empty block keeps two such groups apart.
        if (!bracesBalance(comment) && isCommentLines(comment)) {
            if (bareBefore)
                out += u"@COMMENT {}"_s + lf;
            out += QString(comment).replace(u'\n', lf) + lf;
            bareBefore = true;
            continue;
        }
        out += u"@COMMENT {"_s + lf + comment + lf + u'}' + lf;
        bareBefore = false;
    }
    out += lf;
    return out;
}

QString BibFileWriter::preamblesString(const QStringList &preambles, const QString &lf)
{
    QString out;
    for (const QString &preamble : preambles)
        out += u"@PREAMBLE { "_s + preamble + u" }"_s + lf;
    out += lf;
    return out;
}

bool BibFileWriter::isYenEncoding(quint32 encoding)
{
    switch (encoding) {
    case 0x80000001u: // Mac Japanese
    case 21u:         // ISO-2022-JP
    case 0x80000628u: // Shift_JIS X0213
    case 0x80000A01u: // Shift_JIS
        return true;
    default:
        return false;
    }
}

QString BibFileWriter::finishText(QString text, quint32 encoding)
{
    text.replace(QChar(0x00A0), u' ');
    if (isYenEncoding(encoding))
        text.replace(u'\\', Texts::text(u"yenmark"));
    return text;
}

std::optional<QByteArray> BibFileWriter::finishAndEncode(const QString &text, quint32 encoding)
{
    return encodeText(finishText(text, encoding), encoding);
}
