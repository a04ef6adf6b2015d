// BibItem: the entry's BibTeX text, its dictionary form and its archived form.
#include "model/BibItem.h"

#include "core/Texts.h"
#include "model/ItemChangeObserver.h"
#include "model/ItemDatabase.h"
#include "model/ItemServices.h"

#include <QCollator>
#include <QHash>
#include <QJsonArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// A value the reader reads back as a number: one to nine ASCII digits.
bool isBareNumber(QStringView value)
{
    if (value.isEmpty() || value.size() > 9)
        return false;
    return std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// Whether a double quote stands outside every brace pair, where it would end a
// quoted value early; and whether the braces balance.
void scanValue(QStringView value, bool &quoteAtTop, bool &balanced)
{
    int depth = 0;
    bool negative = false;
    quoteAtTop = false;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c == u'\\') {
            if (depth == 0 && i + 1 < value.size() && value.at(i + 1) == u'"')
                quoteAtTop = true;
            ++i;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth < 0)
                negative = true;
        } else if (c == u'"' && depth == 0) {
            quoteAtTop = true;
        }
    }
    balanced = depth == 0 && !negative;
}

// One "name = value" assignment of the entry text.
void appendAssignment(QString &text, const QString &name, const QString &value)
{
    text += name;
    text += u" = "_s;
    if (value.startsWith(u'@')) {
        text += QStringView(value).mid(1);
        return;
    }
    if (isBareNumber(value)) {
        text += value;
        return;
    }
    // Quoted as a rule. Braces where quotes would break the value: an empty
    // value (a bare "name = ," reads as no field at all) and a value holding a
    // double quote outside braces.
    bool quoteAtTop = false, balanced = true;
    scanValue(value, quoteAtTop, balanced);
    if (value.isEmpty() || (quoteAtTop && balanced)) {
        text += u'{';
        text += value;
        text += u'}';
        return;
    }
    text += u'"';
    text += value;
    text += u'"';
}

// The collation key of a field name. A file holds a few dozen distinct names
// and a save sorts every entry's: the keys are made once per name and thread.
QCollatorSortKey sortKeyOf(const QString &name)
{
    static thread_local const QCollator collator;
    static thread_local QHash<QString, QCollatorSortKey> keys;
    auto it = keys.constFind(name);
    if (it == keys.constEnd()) {
        if (keys.size() >= 4096)
            keys.clear(); // a file of made-up names: keep the cache small
        it = keys.insert(name, collator.sortKey(name));
    }
    return *it;
}

// The entries of `fields` in the order they are written: by collation of
// their names (each name's key looked up once), ties by code units.
QList<const BibItem::FieldTexts::Entry *> sortedFields(const BibItem::FieldTexts &fields)
{
    struct Keyed
    {
        QCollatorSortKey key;
        const BibItem::FieldTexts::Entry *entry;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(static_cast<size_t>(fields.size()));
    for (const auto &entry : fields.entries())
        keyed.push_back({sortKeyOf(entry.key), &entry});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed &a, const Keyed &b) {
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.entry->key < b.entry->key;
    });
    QList<const BibItem::FieldTexts::Entry *> sorted;
    sorted.reserve(fields.size());
    for (const Keyed &k : keyed)
        sorted.append(k.entry);
    return sorted;
}

} // namespace

QString BibItem::rawFieldWithAttachments(int attachments, QStringView lineFeed, bool tab) const
{
    QString text;
    appendRawFields(text, attachments, lineFeed, tab);
    return text;
}

void BibItem::appendRawFields(QString &text, int attachments, QStringView lineFeed, bool tab) const
{
    bool first = true;
    const FieldTexts forms = editForms();
    for (const FieldTexts::Entry *field : sortedFields(forms)) {
        const QString &name = field->key;
        if (name == u"database" || name == u"bibkey" || name == u"bibtype")
            continue;
        QString value = field->value;
        if (name == u"file") {
            if (attachments == 0)
                continue;
            if (attachments == 1 && m_masterDatabase)
                value = m_masterDatabase->fullPathOf(value);
        }
        if (!first) {
            text += u',';
            text += lineFeed;
        }
        first = false;
        if (tab)
            text += u'\t';
        appendAssignment(text, name, value);
    }
    text += lineFeed;
}

QString BibItem::rawField() const
{
    return rawFieldWithAttachments(-1, u"\n", false);
}

QString BibItem::bibItemStringWithAttachments(int attachments, QStringView lineFeed) const
{
    QString text;
    text.reserve(64 + 48 * m_bibFieldsElements.size());
    appendBibItemString(text, attachments, lineFeed);
    return text;
}

void BibItem::appendBibItemString(QString &text, int attachments, QStringView lineFeed) const
{
    text += u'@';
    text += m_bibType;
    text += u" { "_s;
    text += m_bibKey;
    text += u',';
    text += lineFeed;
    appendRawFields(text, attachments, lineFeed, true);
    text += u'}';
    text += lineFeed;
    text += lineFeed;
}

// ---- Dictionary form --------------------------------------------------------

QMap<QString, QString> BibItem::bibItemDictionaryForProperty() const
{
    QMap<QString, QString> property;
    for (auto it = m_bibFieldsElements.constBegin(); it != m_bibFieldsElements.constEnd(); ++it) {
        if (it.key() == u"database" || it.key() == u"bibkey")
            continue;
        property.insert(it.key(), fieldDataInTeX(it.key()));
    }
    property.insert(u"PromisedID"_s, m_promisedDbID);
    return property;
}

std::shared_ptr<BibItem> BibItem::bibItemOfKey(const QString &key,
                                               const QMap<QString, QString> &property)
{
    FieldElements data;
    QString type, promised;
    for (auto it = property.constBegin(); it != property.constEnd(); ++it) {
        if (it.key() == u"bibtype") {
            type = it.value();
        } else if (it.key() == u"PromisedID") {
            promised = it.value();
        } else {
            const QString &value = it.value();
            const bool digits = std::all_of(value.begin(), value.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; });
            data.insert(it.key().toLower(),
                        {digits ? BibElement::bibElementWithNumString(value)
                                : BibElement::bibElementWithQuoteString(value)});
        }
    }
    data.insert(u"bibkey"_s, {BibElement::bibElementWithSpecial(key)});
    auto item = std::make_shared<BibItem>(type, key, std::move(data), nullptr, true);
    item->m_promisedDbID = promised;
    item->expandWithMacro(ItemServices::commonMacros());
    return item;
}

// ---- Archived form ----------------------------------------------------------

namespace {

template<typename Item> std::optional<QString> resolvedAttachmentOf(const Item &item)
{
    if constexpr (requires { item.attachedFile(); }) {
        if (item.fileState() == 2 || item.fileState() == 3) {
            const auto path = item.attachedFile();
            if (path && !QString(*path).isEmpty())
                return QString(*path);
        }
    }
    return std::nullopt;
}

} // namespace

QJsonObject BibItem::encodeWithCoder() const
{
    QJsonObject fields;
    for (auto it = m_bibFieldsElements.constBegin(); it != m_bibFieldsElements.constEnd(); ++it) {
        QJsonArray elements;
        for (const BibElement &element : *it)
            elements.append(element.archive());
        fields.insert(it.key(), elements);
    }
    // The archive carries the resolved attachment so that a copy elsewhere
    // still finds the file.
    if (const std::optional<QString> attached = resolvedAttachmentOf(*this);
        attached && *attached != fieldDataForEdit(u"file"_s)) {
        fields.insert(u"file"_s,
                      QJsonArray{BibElement::bibElementWithQuoteString(*attached).archive()});
    }
    QJsonObject archive;
    archive.insert(u"bibType"_s, m_bibType);
    archive.insert(u"bibKey"_s, m_bibKey);
    archive.insert(u"databaseID"_s,
                   m_masterDatabase ? m_masterDatabase->uniqueID() : m_promisedDbID);
    archive.insert(u"fields"_s, fields);
    return archive;
}

std::shared_ptr<BibItem> BibItem::initWithCoder(const QJsonObject &archive, QString &error)
{
    error.clear();
    const QJsonValue type = archive.value(u"bibType"_s);
    const QJsonValue key = archive.value(u"bibKey"_s);
    const QJsonValue fieldsValue = archive.value(u"fields"_s);
    if (!type.isString() || !key.isString() || !fieldsValue.isObject()) {
        error = QF_KEY("ArchiveError_NotAnItem");
        return nullptr;
    }
    FieldElements data;
    const QJsonObject fields = fieldsValue.toObject();
    for (auto it = fields.constBegin(); it != fields.constEnd(); ++it) {
        if (!it.value().isArray()) {
            error = QF_KEY("ArchiveError_NotAnItem");
            return nullptr;
        }
        ElementList elements;
        for (const QJsonValue &value : it.value().toArray()) {
            const std::optional<BibElement> element = BibElement::fromArchive(value);
            if (!element || !element->isValue()) {
                error = QF_KEY("ArchiveError_NotAnItem");
                return nullptr;
            }
            elements.append(*element);
        }
        data.insert(it.key().toLower(), elements);
    }
    const QString databaseID = archive.value(u"databaseID"_s).toString();
    ItemDatabase *database =
        databaseID.isEmpty() ? nullptr : ItemChangeObserver::global().findDatabaseOfID(databaseID);
    auto item =
        std::make_shared<BibItem>(type.toString(), key.toString(), std::move(data), database, true);
    if (!database)
        item->m_promisedDbID = databaseID;
    return item;
}
