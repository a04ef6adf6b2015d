#include "model/ItemFormatter.h"

#include "core/Texts.h"
#include "model/ModifiedStamp.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kMarkColumn = u"00_mark"_s;
const QString kFileColumn = u"01_file"_s;

bool anyJapanese(const BibItem::NameList &names)
{
    return std::any_of(names.begin(), names.end(),
                       [](const AuthorName &name) { return name.isJapanese(); });
}

// The attachment code of the "01_file" column, or nothing for an attached file
// in a state without a code.
std::optional<QString> attachmentCode(const BibItem &item)
{
    if (!item.fieldDataForEdit(u"file"_s).isEmpty()) {
        switch (item.fileState()) {
        case 1:
            return u"3"_s;
        case 2:
            return u"5"_s;
        case 3:
            return u"6"_s;
        case 4:
            return u"4"_s;
        default:
            return std::nullopt;
        }
    }
    if (!item.fieldDataForEdit(u"url"_s).isEmpty())
        return u"2"_s;
    if (!item.fieldDataForEdit(u"email"_s).isEmpty())
        return u"1"_s;
    return u"0"_s;
}

// The value of one candidate field of a column, or nothing when it has none.
std::optional<QString> candidateValue(const BibItem &item, const QString &field, int authorFormat)
{
    if (field == u"author")
        return item.makeAuthorsForList(authorFormat);
    if (field == u"editor")
        return item.makeEditorsForList(authorFormat);
    if (field == u"pages")
        return item.makePagesForList();
    if (field == u"modified")
        return item.makeModifiedForList();
    const auto &display = item.bibFieldsForDisplay();
    const auto it = display.constFind(field);
    if (it == display.constEnd())
        return std::nullopt;
    if (field == u"key" && !it->isEmpty())
        return *it + u" (key)"_s;
    return *it;
}

// The edit form of a field without a leading "@", cut at the first "-", "/" or ",".
QString abbreviatedNumber(const BibItem &item, const QString &field)
{
    QString value = item.fieldDataForEdit(field);
    if (value.startsWith(u'@'))
        value.remove(0, 1);
    qsizetype cut = 0;
    while (cut < value.size() && value.at(cut) != u'-' && value.at(cut) != u'/' &&
           value.at(cut) != u',')
        ++cut;
    return cut == value.size() ? value : value.left(cut);
}

QString monthAbbreviation(QStringView stamp)
{
    static const char16_t *const months[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                             u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
    const int month = stamp.mid(5, 2).toInt();
    return month >= 1 && month <= 12 ? QString::fromUtf16(months[month - 1]) : QString();
}

} // namespace

// ---- List cells -------------------------------------------------------------

std::optional<ListCell> ItemFormatter::cellForColumn(const BibItem &item,
                                                     const ItemServices::Column &column,
                                                     int authorFormat)
{
    if (column.identifier == kFileColumn) {
        const std::optional<QString> code = attachmentCode(item);
        if (!code)
            return std::nullopt;
        ListCell cell;
        cell.text = *code;
        cell.styled = false;
        return cell;
    }
    if (column.identifier == kMarkColumn) {
        ListCell cell;
        cell.text = item.mark() ? u"X"_s : QString();
        cell.styled = false;
        return cell;
    }
    return candidateCell(item, column, authorFormat);
}

std::optional<ListCell> ItemFormatter::candidateCell(const BibItem &item,
                                                     const ItemServices::Column &column,
                                                     int authorFormat)
{
    for (const QString &field : column.fields) {
        std::optional<QString> value = candidateValue(item, field, authorFormat);
        if (!value)
            continue;
        ListCell cell;
        cell.text = std::move(*value);
        cell.colour = item.strayItem() ? ListCell::Colour::Red : ListCell::Colour::Black;
        cell.alignment = ListCell::alignmentFromName(column.alignment);
        return cell;
    }
    return std::nullopt;
}

std::optional<QString> ItemFormatter::authorsForList(const BibItem &item, int format)
{
    const BibItem::NameList &authors = item.authorList();
    if (item.noAuthor() || authors.isEmpty())
        return std::nullopt;
    QString text = authors.first().stringValueWithFormat(format);
    for (qsizetype i = 1; i < authors.size(); ++i) {
        if (format == 0)
            text += u"; "_s + authors.at(i).stringValueWithFormat(0);
        else
            text += u", "_s + authors.at(i).stringValueWithFormat(format);
    }
    return text;
}

std::optional<QString> ItemFormatter::editorsForList(const BibItem &item, int format)
{
    const BibItem::NameList &editors = item.editorList();
    if (editors.isEmpty())
        return std::nullopt;
    QString text;
    for (qsizetype i = 0; i < editors.size(); ++i) {
        if (i > 0)
            text += u", "_s;
        text += editors.at(i).stringValueWithFormat(format);
    }
    if (anyJapanese(editors))
        text += Texts::text(u"Ed-J");
    else
        text += editors.size() == 1 ? Texts::text(u"Ed") : Texts::text(u"Eds");
    return text;
}

std::optional<QString> ItemFormatter::pagesForList(const QString &pages)
{
    const QString delimiters = Texts::text(u"pageDelimiter");
    qsizetype end = 0;
    while (end < pages.size() && !delimiters.contains(pages.at(end)))
        ++end;
    if (end == 0)
        return std::nullopt;
    return end == pages.size() ? pages : pages.left(end);
}

std::optional<QString> ItemFormatter::modifiedForList(const QString &stamp, const QDateTime &now)
{
    if (stamp.isEmpty())
        return std::nullopt;
    const std::optional<QDateTime> moment = ModifiedStamp::parse(stamp);
    // A text that is no time stamp is shown as it is.
    if (!moment)
        return stamp;
    const qint64 seconds = moment->secsTo(now);
    const QStringView text = QStringView(stamp).trimmed();
    if (seconds > qint64(7200) * 3600)
        return text.left(4).toString() + u", "_s + monthAbbreviation(text);
    if (seconds > qint64(12) * 3600)
        return monthAbbreviation(text) + u' ' + text.mid(8, 2).toString();
    return text.mid(11, 5).toString();
}

// ---- Template slots ---------------------------------------------------------

QString ItemFormatter::fieldDataForListFormat(const BibItem &item, const QString &field)
{
    if (field == u"author" || field == u"editor") {
        const QString tex = item.fieldDataInTeX(field);
        if (tex.isEmpty())
            return {};
        return item.nameListForListFormat(tex).value_or(QString());
    }
    if (field == u"fam" || field == u"giv") {
        const BibItem::NameList &names =
            item.authorList().isEmpty() ? item.editorList() : item.authorList();
        if (names.isEmpty())
            return {};
        return field == u"fam" ? names.first().familyNameForKey() : names.first().givenNameForKey();
    }
    if (field.startsWith(u"abbrev_")) {
        const QString base = field.mid(7);
        if (base == u"pages" || base == u"volume" || base == u"number")
            return abbreviatedNumber(item, base);
        return abbrevString(item.fieldDataInTeX(base));
    }
    return item.fieldDataInTeX(field);
}

std::optional<QString>
ItemFormatter::nameListForListFormat(const QString &texNames,
                                     const ItemServices::CopyNameSettings &settings)
{
    return nameList(ItemServices::createTeXNamesFrom(texNames), settings);
}

std::optional<QString> ItemFormatter::nameList(const BibItem::NameList &names,
                                               const ItemServices::CopyNameSettings &settings)
{
    if (names.isEmpty())
        return std::nullopt;
    qsizetype written = names.size();
    if (settings.abbreviate && names.size() > settings.nonAbbrevNum)
        written = std::clamp<qsizetype>(settings.abbrevNum, 1, names.size());
    QString text;
    bool japanese = false;
    for (qsizetype i = 0; i < written; ++i) {
        const AuthorName &name = names.at(i);
        japanese = japanese || name.isJapanese();
        if (i > 0)
            text += i == names.size() - 1 && !japanese ? u" and "_s : settings.separator;
        if (settings.format == 3)
            text += name.stringValueWithFormat(i == 0 ? 0 : 1);
        else
            text += name.stringValueWithFormat(settings.format);
    }
    if (written < names.size()) {
        if (japanese)
            text += Texts::format(u"et al-J", {QString::number(names.size() - written)});
        else
            text += Texts::text(u"et al");
    }
    return text;
}

QString ItemFormatter::abbrevString(QStringView text)
{
    QString result;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c.unicode() >= 0x2900 || c.isUpper() || c.isDigit())
            result.append(c);
    }
    return result;
}

// ---- References -------------------------------------------------------------

QString ItemFormatter::wrapReference(int kind, int index, int prefix, const QString &key,
                                     const QString &text)
{
    if (prefix < 0 || prefix > 3)
        return text;
    switch (kind) {
    case 3:
        return u"\\bibitem{"_s + key + u"} "_s + text + u'\n';
    case 4:
        if (prefix == 0)
            return u"<p style=\"margin-bottom:0.8ex;\">"_s + text + u"</p>\n"_s;
        if (prefix == 3)
            return u"<li style=\"margin-bottom:0.8ex;text-indent:-1.5em;\">["_s + key + u"] "_s +
                   text + u"</li>\n"_s;
        return u"<li style=\"margin-bottom:0.8ex;\">"_s + text + u"</li>\n"_s;
    case 6:
        if (prefix == 0)
            return u"<p>"_s + text + u"</p>\n"_s;
        if (prefix == 3)
            return u"<p>["_s + key + u"]\t"_s + text + u"</p>\n"_s;
        return u"<li>"_s + text + u"</li>\n"_s;
    case 7:
        switch (prefix) {
        case 0:
            return text + u'\n';
        case 1:
            return u"* "_s + text + u'\n';
        case 2:
            return QString::number(index) + u". "_s + text + u'\n';
        default:
            return u'[' + key + u"] "_s + text + u'\n';
        }
    default:
        return text;
    }
}
