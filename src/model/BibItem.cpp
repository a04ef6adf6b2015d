#include "model/BibItem.h"

#include "core/Texts.h"
#include "model/ItemChangeObserver.h"
#include "model/ItemDatabase.h"
#include "model/ItemServices.h"
#include "model/KeyGenerator.h"
#include "model/MacroList.h"
#include "model/ModifiedStamp.h"

#include <QCollator>

#include <algorithm>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

const QString kBibKey = u"bibkey"_s;
const QString kBibType = u"bibtype"_s;
const QString kDatabase = u"database"_s;
const QString kFile = u"file"_s;
const QString kModified = u"modified"_s;
const QString kMark = u"mark"_s;
const QString kAuthor = u"author"_s;
const QString kEditor = u"editor"_s;
const QString kKey = u"key"_s;

// Spaces and tabs (not line breaks) trimmed from both ends.
QString trimBlanks(const QString &value)
{
    qsizetype begin = 0, end = value.size();
    while (begin < end && (value.at(begin) == u' ' || value.at(begin) == u'\t'))
        ++begin;
    while (end > begin && (value.at(end - 1) == u' ' || value.at(end - 1) == u'\t'))
        --end;
    return begin == 0 && end == value.size() ? value : value.mid(begin, end - begin);
}

int sign(int value)
{
    return (value > 0) - (value < 0);
}

} // namespace

// The attachment side (BibItemAttachments.cpp) refreshes the file state; until
// it is built in, an item keeps the state it was given.
namespace {
template<typename Item> void checkFileStateOf(Item &item)
{
    if constexpr (requires { item.checkFileState(); })
        item.checkFileState();
}
} // namespace

// ---- Creation -------------------------------------------------------------

BibItem::BibItem(const QString &type, const QString &key, std::optional<FieldElements> data,
                 ItemDatabase *database, bool forceAbsolutePath)
{
    const QString theKey = key.isEmpty() ? Texts::format(u"untitledBibKey", {}) : key;
    if (data)
        m_bibFieldsElements = std::move(*data);
    // Room for the three pseudo-fields, so that the array is not doubled, and
    // no more: a spare entry would cost every item its size.
    m_bibFieldsElements.reserve(
        m_bibFieldsElements.size() + !m_bibFieldsElements.contains(kBibKey) +
        !m_bibFieldsElements.contains(kDatabase) + !m_bibFieldsElements.contains(kBibType));
    // The key element always matches the key, also when the data came from an
    // item under another key (a copy into another database).
    m_bibFieldsElements.insert(kBibKey, {BibElement::bibElementWithSpecial(theKey)});
    setDatabase(database);
    m_bibType = type.isEmpty() ? u"ARTICLE"_s : type;
    m_bibKey = theKey;
    if (database) {
        m_bibFieldsElements.insert(kDatabase,
                                   {BibElement::bibElementWithSpecial(database->description())});
        forceAbsolutePath = forceAbsolutePath || database->keepFullPath();
    } else {
        m_bibFieldsElements.insert(kDatabase,
                                   {BibElement::bibElementWithSpecial(Texts::text(u"NoDatabase"))});
    }
    m_bibFieldsElements.insert(kBibType, {BibElement::bibElementWithSpecial(m_bibType)});

    const auto file = m_bibFieldsElements.constFind(kFile);
    // Only a path written as text is made relative: a macro name or a
    // concatenation stays the expression it is.
    if (file != m_bibFieldsElements.constEnd() && file->size() == 1 &&
        (file->first().elementType() == BibElement::BracedString ||
         file->first().elementType() == BibElement::QuotedString)) {
        const QString path = file->first().stringContents();
        // Without a database there is nothing to be relative to: keep the path.
        const QString stored =
            forceAbsolutePath || !database ? path : database->relativePathOf(path);
        if (stored != path)
            m_bibFieldsElements.insert(kFile, {BibElement::bibElementWithQuoteString(stored)});
    }
    makeRawField();
}

BibItem::~BibItem() = default;

std::shared_ptr<BibItem> BibItem::bibItemOfType(const QString &type, const QString &key,
                                                std::optional<FieldElements> data,
                                                ItemDatabase *database)
{
    return std::make_shared<BibItem>(type, key, std::move(data), database, false);
}

std::shared_ptr<BibItem> BibItem::newBibItemOfType(const QString &type, const QString &key,
                                                   ItemDatabase *database)
{
    return std::make_shared<BibItem>(type, key, std::nullopt, database, false);
}

std::shared_ptr<BibItem> BibItem::create()
{
    return std::make_shared<BibItem>(QString(), QString(), std::nullopt, nullptr, false);
}

// ---- Accessors ------------------------------------------------------------

void BibItem::setDatabase(ItemDatabase *database)
{
    m_masterDatabase = database;
    if (database)
        m_promisedDbID = database->uniqueID();
}

QString BibItem::sortKey() const
{
    return fieldDataForView(kKey);
}

QString BibItem::fieldDataForView(const QString &field) const
{
    return bibFieldsForDisplay().value(field);
}

QString BibItem::fieldDataForEdit(const QString &field) const
{
    if (m_editMade.load(std::memory_order_acquire))
        return m_bibFieldsForEdit.value(field);
    // One field asked for (the list's file and link cells): made alone.
    const auto it = m_bibFieldsElements.constFind(field);
    return it == m_bibFieldsElements.constEnd() || it->isEmpty() ? QString() : editFormOf(*it);
}

const MacroSource *BibItem::macrosForTeX() const
{
    if (m_masterDatabase && m_masterDatabase->macroList())
        return m_masterDatabase->macroList();
    return ItemServices::commonMacros();
}

QString BibItem::fieldDataInTeX(const QString &field) const
{
    const auto it = m_bibFieldsElements.constFind(field);
    if (it == m_bibFieldsElements.constEnd())
        return {};
    if (it->size() == 1 && it->first().elementType() != 0)
        return it->first().stringContents();
    const MacroSource *macros = macrosForTeX();
    QString text;
    for (const BibElement &element : *it)
        text += element.stringWithMacroInTeX(macros);
    return text;
}

bool BibItem::mark() const
{
    return fieldDataForView(kMark) == u"ON";
}

QString BibItem::originalBibKey() const
{
    return m_extras && m_extras->originalBibKey ? *m_extras->originalBibKey : m_bibKey;
}

BibItem::NameList BibItem::originalAuthorList() const
{
    return m_extras && m_extras->originalAuthorList ? *m_extras->originalAuthorList : m_authorList;
}

BibItem::NameList BibItem::originalEditorList() const
{
    return m_extras && m_extras->originalEditorList ? *m_extras->originalEditorList : m_editorList;
}

const QString &BibItem::fileIcon() const
{
    static const QString none;
    return m_extras ? m_extras->fileIcon : none;
}

void BibItem::setFileIcon(const QString &iconName)
{
    if (iconName.isEmpty() && !m_extras)
        return;
    extras().fileIcon = iconName;
    dropExtrasWhenEmpty();
}

BibItem::Extras &BibItem::extras()
{
    if (!m_extras)
        m_extras = std::make_unique<Extras>();
    return *m_extras;
}

void BibItem::dropExtrasWhenEmpty()
{
    if (m_extras && m_extras->isEmpty())
        m_extras.reset();
}

void BibItem::copyDataFromItem(const BibItem &) {}

// ---- Forms ----------------------------------------------------------------

QString BibItem::editFormOfText(const QString &text)
{
    if (!text.startsWith(u'@'))
        return text;
    // Braces hold any text the reader or the editor lets through, unless a
    // '}' runs ahead of its '{' ("}{"): then quotes.
    int depth = 0;
    for (qsizetype i = 0; i < text.size() && depth >= 0; ++i) {
        if (text.at(i) == u'\\')
            ++i;
        else if (text.at(i) == u'{')
            ++depth;
        else if (text.at(i) == u'}')
            --depth;
    }
    return depth == 0 ? u"@{"_s + text + u'}' : u"@\""_s + text + u'"';
}

QString BibItem::editFormOf(const ElementList &elements)
{
    if (elements.size() == 1 && elements.first().elementType() != 0) {
        const BibElement &element = elements.first();
        if (element.elementType() == BibElement::Special)
            return element.stringContents();
        return editFormOfText(element.stringContents());
    }
    QString text = u"@"_s;
    for (qsizetype i = 0; i < elements.size(); ++i) {
        if (i > 0)
            text += u" # "_s;
        text += elements.at(i).stringValue();
    }
    return text;
}

void BibItem::makeRawField()
{
    m_editMade.store(false, std::memory_order_release);
    m_bibFieldsForEdit = FieldTexts();
}

BibItem::FieldTexts BibItem::makeEditForms() const
{
    FieldTexts forms;
    forms.reserve(m_bibFieldsElements.size());
    for (auto it = m_bibFieldsElements.constBegin(); it != m_bibFieldsElements.constEnd(); ++it) {
        if (it->isEmpty())
            continue;
        forms.insert(it.key(), editFormOf(*it));
    }
    return forms;
}

const BibItem::FieldTexts &BibItem::bibFieldsForEdit() const
{
    if (!m_editMade.load(std::memory_order_acquire)) {
        // As for the display forms: one lock for all items.
        static std::mutex making;
        const std::lock_guard<std::mutex> lock(making);
        if (!m_editMade.load(std::memory_order_relaxed)) {
            m_bibFieldsForEdit = makeEditForms();
            m_editMade.store(true, std::memory_order_release);
        }
    }
    return m_bibFieldsForEdit;
}

BibItem::FieldTexts BibItem::editForms() const
{
    if (m_editMade.load(std::memory_order_acquire))
        return m_bibFieldsForEdit;
    return makeEditForms();
}

BibItem::FieldTexts &BibItem::editFormsForChange()
{
    bibFieldsForEdit();
    return m_bibFieldsForEdit;
}

QString BibItem::displayFormOf(const ElementList &elements, const MacroSource *macros) const
{
    if (elements.size() == 1)
        return ItemServices::texToText(elements.first().stringWithMacro(macros));
    QString text;
    for (const BibElement &element : elements)
        text += ItemServices::texToText(element.stringWithMacro(macros));
    return text;
}

const BibItem::FieldTexts &BibItem::bibFieldsForDisplay() const
{
    if (m_displayState.load(std::memory_order_acquire) == DisplayToMake)
        makeDisplayForms();
    return m_bibFieldsForDisplay;
}

void BibItem::makeDisplayForms() const
{
    // The main thread and a smart library's worker may both ask; the forms
    // are made once, under one lock for all items (making them is quick, and
    // a lock per item would cost more memory than the forms save).
    static std::mutex making;
    const std::lock_guard<std::mutex> lock(making);
    if (m_displayState.load(std::memory_order_relaxed) != DisplayToMake)
        return;
    const MacroSource *macros = macrosForTeX();
    FieldTexts display;
    display.reserve(m_bibFieldsElements.size());
    for (auto it = m_bibFieldsElements.constBegin(); it != m_bibFieldsElements.constEnd(); ++it) {
        QString text = displayFormOf(*it, macros);
        // Most values read the same in both forms: share the element's text.
        if (it->size() == 1) {
            const QString contents = it->first().stringContents();
            if (contents == text)
                text = contents;
        }
        display.insert(it.key(), text);
    }
    m_bibFieldsForDisplay = std::move(display);
    m_displayState.store(DisplayMade, std::memory_order_release);
}

void BibItem::dropDisplayForms()
{
    m_displayState.store(DisplayToMake, std::memory_order_release);
    m_bibFieldsForDisplay = FieldTexts();
}

BibItem::FieldTexts &BibItem::displayFormsForChange()
{
    bibFieldsForDisplay();
    return m_bibFieldsForDisplay;
}

QString BibItem::displayValue(const QString &field, const MacroSource *macros) const
{
    if (m_displayState.load(std::memory_order_acquire) != DisplayToMake)
        return m_bibFieldsForDisplay.value(field);
    const auto it = m_bibFieldsElements.constFind(field);
    if (it == m_bibFieldsElements.constEnd())
        return {};
    return displayFormOf(*it, macros ? macros : ItemServices::commonMacros());
}

QString BibItem::displayValueOf(const QString &field) const
{
    return displayValue(field, macrosForTeX());
}

void BibItem::expandWithMacro(const MacroSource *macros)
{
    dropDisplayForms();
    makeNameListsWith(macros ? macros : ItemServices::commonMacros());
    refreshFileState();
    makeAttributedStringForList();
}

void BibItem::makeNameLists()
{
    makeNameListsWith(macrosForTeX());
}

void BibItem::shareNames(const std::function<const AuthorName *(const AuthorName &)> &holder)
{
    for (NameList *names : {&m_authorList, &m_editorList}) {
        for (qsizetype i = 0; i < names->size(); ++i) {
            const AuthorName *kept = holder(names->at(i));
            // The answer may be this very name (a list shared with the index).
            if (kept && kept != &names->at(i) && *kept == names->at(i))
                (*names)[i] = *kept;
        }
    }
}

void BibItem::makeNameListsWith(const MacroSource *macros)
{
    m_authorList.clear();
    m_editorList.clear();
    m_noAuthor = false;
    if (m_bibFieldsElements.contains(kAuthor))
        m_authorList = ItemServices::createNamesFrom(displayValue(kAuthor, macros));
    if (m_bibFieldsElements.contains(kEditor))
        m_editorList = ItemServices::createNamesFrom(displayValue(kEditor, macros));
    if (m_authorList.isEmpty() && m_editorList.isEmpty()) {
        m_noAuthor = true;
        const QString key = displayValue(kKey, macros);
        m_authorList =
            ItemServices::createNamesFrom(key.isEmpty() ? Texts::text(u"NoAuthor") : key);
        if (m_authorList.isEmpty())
            m_authorList = ItemServices::createNamesFrom(Texts::text(u"NoAuthor"));
    }
}

void BibItem::refreshFileState()
{
    checkFileStateOf(*this);
}

// ---- Editing --------------------------------------------------------------

void BibItem::setSpecialField(const QString &field, const QString &value)
{
    m_bibFieldsElements.insert(field, {BibElement::bibElementWithSpecial(value)});
    editFormsForChange().insert(field, value);
}

void BibItem::setQuotedField(const QString &field, const QString &value)
{
    m_bibFieldsElements.insert(field, {BibElement::bibElementWithQuoteString(value)});
    editFormsForChange().insert(field, editFormOfText(value));
    displayFormsForChange().insert(field, value);
}

void BibItem::removeField(const QString &field)
{
    m_bibFieldsElements.remove(field);
    editFormsForChange().remove(field);
}

bool BibItem::setFieldData(const QString &rawValue, const QString &rawField)
{
    const QString value = trimBlanks(rawValue);
    const QString field = rawField.toLower();

    if (field == kBibKey) {
        // A key the file reader could not read back would lose the entry.
        if (!KeyGenerator::isAcceptableKey(value))
            return false;
        const std::shared_ptr<BibItem> holder =
            m_masterDatabase ? m_masterDatabase->bibItemForKey(value) : nullptr;
        if (!holder) {
            changeBibKey(value);
            return true;
        }
        return holder.get() == this;
    }
    if (field == kBibType) {
        if (!KeyGenerator::isAcceptableKey(value))
            return false;
        m_bibType = value;
        setSpecialField(kBibType, value);
        noteChange();
        return true;
    }
    if (field == kDatabase || field.isEmpty())
        return false;

    if (value.isEmpty() || value == u"@") {
        removeField(field);
    } else if (value.startsWith(u'@')) {
        QString normalized;
        const std::optional<ElementList> elements = ItemServices::checkValidity(value, normalized);
        if (!elements || elements->isEmpty())
            return false;
        m_bibFieldsElements.insert(field, *elements);
        editFormsForChange().insert(field, normalized);
    } else {
        const std::optional<QString> text = ItemServices::checkNesting(value);
        if (!text)
            return false;
        m_bibFieldsElements.insert(field, {BibElement::bibElementWithQuoteString(*text)});
        editFormsForChange().insert(field, editFormOfText(*text));
    }
    if (field == kFile)
        refreshFileState();
    noteChange();
    return true;
}

bool BibItem::checkRawValidity(const QString &text, FieldElements &itemElements)
{
    QString error;
    return checkRawValidity(text, itemElements, error);
}

bool BibItem::checkRawValidity(const QString &text, FieldElements &itemElements, QString &error)
{
    std::optional<FieldElements> fields = ItemServices::parseFieldLines(text, error);
    if (!fields)
        return false;
    itemElements = std::move(*fields);
    return true;
}

bool BibItem::setRawFields(const QString &text)
{
    FieldElements fields;
    const bool valid = checkRawValidity(text, fields);
    // While the text does not parse the item keeps its last valid fields.
    if (valid) {
        // Pseudo-fields typed into the text do not override the item's own.
        const ElementList database = m_bibFieldsElements.value(kDatabase);
        m_bibFieldsElements = std::move(fields);
        m_bibFieldsElements.insert(kDatabase, database);
        m_bibFieldsElements.insert(kBibType, {BibElement::bibElementWithSpecial(m_bibType)});
        m_bibFieldsElements.insert(kBibKey, {BibElement::bibElementWithSpecial(m_bibKey)});
        makeRawField();
    }
    noteChange();
    return valid;
}

void BibItem::changeBibKey(const QString &key)
{
    backupOriginalBibKey();
    m_bibKey = key;
    setSpecialField(kBibKey, key);
    noteChange();
    fixBibKeyOnly();
}

void BibItem::setMark(bool marked)
{
    m_changedSinceRead = true;
    if (marked) {
        setQuotedField(kMark, u"ON"_s);
    } else {
        removeField(kMark);
        displayFormsForChange().remove(kMark);
    }
    makeAttributedStringForList();
    if (m_masterDatabase)
        m_masterDatabase->setDirty(true);
    ItemChangeObserver::global().bibItemChanged(*this);
}

void BibItem::setModified()
{
    setQuotedField(kModified, ModifiedStamp::format(ModifiedStamp::now()));
}

void BibItem::fixBibKeyOnly()
{
    if (!m_dirty)
        return;
    displayFormsForChange().insert(kBibKey, fieldDataForEdit(kBibKey));
    setModified();
    makeAttributedStringForIdentifier(u"03_bibkey"_s);
    makeAttributedStringForIdentifier(u"13_modified"_s);
    if (m_masterDatabase)
        m_masterDatabase->replaceBibKey(*this);
    ItemChangeObserver::global().bibItemChanged(*this);
    backupOriginalBibKey();
}

void BibItem::fixChanged()
{
    if (!m_dirty)
        return;
    setModified();
    expandWithMacro(m_masterDatabase ? m_masterDatabase->macroList() : nullptr);
    clearDirty();
    if (m_masterDatabase && originalBibKey() != m_bibKey)
        m_masterDatabase->replaceBibKey(*this);
    ItemChangeObserver &observer = ItemChangeObserver::global();
    observer.bibItemChanged(*this);
    if (namesWereChanged()) {
        if (m_masterDatabase)
            m_masterDatabase->replaceAuthorsForItem(*this);
        observer.selectionChanged();
    } else {
        if (m_masterDatabase)
            m_masterDatabase->setDirty(true);
        observer.resortItems();
    }
    backupOriginal();
}

void BibItem::backupOriginal()
{
    Extras &backup = extras();
    backup.originalBibKey = m_bibKey;
    backup.originalAuthorList = m_authorList;
    backup.originalEditorList = m_editorList;
    backup.originalMatchKey = matchKey(false);
}

void BibItem::backupOriginalBibKey()
{
    extras().originalBibKey = m_bibKey;
}

void BibItem::releaseBackup()
{
    if (!m_extras)
        return;
    m_extras->originalBibKey.reset();
    m_extras->originalAuthorList.reset();
    m_extras->originalEditorList.reset();
    m_extras->originalMatchKey.reset();
    dropExtrasWhenEmpty();
}

namespace {
bool sameNames(const BibItem::NameList &a, const BibItem::NameList &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (a.at(i).stringValue() != b.at(i).stringValue())
            return false;
    }
    return true;
}
} // namespace

bool BibItem::namesWereChanged() const
{
    return !sameNames(originalAuthorList(), m_authorList) ||
           !sameNames(originalEditorList(), m_editorList);
}

void BibItem::databaseClosed(ItemDatabase *database)
{
    if (!database || database != m_masterDatabase)
        return;
    const QString text = Texts::format(u"NoDatabaseX", {database->description()});
    // Made while the database's macros are still there to expand them.
    FieldTexts &display = displayFormsForChange();
    m_masterDatabase = nullptr;
    setSpecialField(kDatabase, text);
    display.insert(kDatabase, text);
    makeAttributedStringForList();
    refreshFileState();
    m_dirty = false;
}

std::shared_ptr<BibItem> BibItem::identicalItemInDatabase(ItemDatabase *database) const
{
    if (!database || !strayItem() || m_promisedDbID != database->uniqueID())
        return nullptr;
    return database->bibItemForKey(m_bibKey);
}

// ---- Sorting --------------------------------------------------------------

namespace {

int localizedCompare(const QString &a, const QString &b)
{
    static thread_local const QCollator collator;
    return sign(collator.compare(a, b));
}

} // namespace

int BibItem::leadingInteger(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && text.at(i).isSpace())
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == u'-' || text.at(i) == u'+'))
        negative = text.at(i++) == u'-';
    long long value = 0;
    while (i < text.size() && text.at(i) >= u'0' && text.at(i) <= u'9' && value < 1'000'000'000)
        value = value * 10 + (text.at(i++).unicode() - u'0');
    return static_cast<int>(negative ? -value : value);
}

void BibItem::setSortIdentifier(const QString &identifier, bool ascending)
{
    m_sortIdentifier = identifier;
    m_sortAscending = ascending;
}

int BibItem::sortByBibkey(const BibItem &other) const
{
    const int order = localizedCompare(m_bibKey, other.m_bibKey);
    return m_sortAscending ? order : -order;
}

int BibItem::sortByIdentifier(const BibItem &other) const
{
    const int direction = m_sortAscending ? 1 : -1;
    if (m_sortIdentifier.isEmpty())
        return sortByBibkey(other);

    QString mine, theirs;
    if (m_sortIdentifier == u"13_modified") {
        mine = fieldDataForView(kModified);
        theirs = other.fieldDataForView(kModified);
    } else {
        mine = valueForColumn(m_sortIdentifier).value_or(ListCell()).text;
        theirs = other.valueForColumn(m_sortIdentifier).value_or(ListCell()).text;
    }
    // An empty or absent value comes first in ascending order.
    if (mine.isEmpty() || theirs.isEmpty()) {
        if (mine.isEmpty() && theirs.isEmpty())
            return sortByBibkey(other);
        return (mine.isEmpty() ? -1 : 1) * direction;
    }

    if (m_sortIdentifier == u"13_modified") {
        const std::optional<QDateTime> a = ModifiedStamp::parse(mine);
        const std::optional<QDateTime> b = ModifiedStamp::parse(theirs);
        if (a && b) {
            if (*a == *b)
                return sortByBibkey(other);
            return (*a < *b ? -1 : 1) * direction;
        }
        // An unreadable stamp sorts as text.
    } else if (m_sortIdentifier == u"06_year" || m_sortIdentifier == u"07_volume" ||
               m_sortIdentifier == u"08_page") {
        const int a = leadingInteger(mine), b = leadingInteger(theirs);
        if (a != b)
            return (a < b ? -1 : 1) * direction;
        if (a != 0)
            return sortByBibkey(other);
    }
    const int order = localizedCompare(mine, theirs);
    return order != 0 ? order * direction : sortByBibkey(other);
}

// ---- Searching ------------------------------------------------------------

bool BibItem::containsString(const QString &text, const QStringList &fields,
                             Qt::CaseSensitivity sensitivity) const
{
    // An empty text is never found.
    if (text.isEmpty())
        return false;
    const FieldTexts &display = bibFieldsForDisplay();
    for (const QString &field : fields) {
        const auto it = display.constFind(field);
        if (it != display.constEnd() && it->contains(text, sensitivity))
            return true;
    }
    return false;
}

QString BibItem::matchKey(bool stored) const
{
    if (stored && m_extras && m_extras->originalMatchKey)
        return *m_extras->originalMatchKey;
    const FieldTexts &display = bibFieldsForDisplay();
    QStringList names = display.keys();
    std::sort(names.begin(), names.end(),
              [](const QString &a, const QString &b) { return localizedCompare(a, b) < 0; });
    static const QStringList skipped = {kBibKey, kModified, u"annote"_s, kMark,     kDatabase,
                                        kFile,   u"url"_s,  u"email"_s,  u"yomi"_s, u"crossref"_s};
    QString key;
    for (const QString &name : names) {
        if (name == u"pages") {
            key += name + u'=' + fieldDataForListFormat(u"abbrev_pages"_s) + u',';
        } else if (name == kAuthor || name == kEditor) {
            key += name + u'=';
            for (const AuthorName &person : name == kAuthor ? m_authorList : m_editorList)
                key += person.stringValue() + u',';
        } else if (!skipped.contains(name)) {
            key += name + u'=' + display.value(name).toLower() + u',';
        }
    }
    return key.isEmpty() ? u"empty item"_s : key;
}
