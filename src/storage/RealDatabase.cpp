#include "storage/RealDatabase.h"

#include "core/Texts.h"
#include "model/BibElement.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/LoadingCoordinator.h"

using namespace Qt::StringLiterals;

RealDatabase::RealDatabase(int kind, std::unique_ptr<DatabaseProperties> properties)
    : BibDatabase(kind, std::move(properties)), m_localMacro(std::make_unique<MacroList>())
{}

RealDatabase::~RealDatabase() = default;

std::shared_ptr<BibItem> RealDatabase::bibItemForKey(const QString &key) const
{
    return m_bibKeyList.value(key);
}

QString RealDatabase::uniqueBibKey(const QString &key, const BibItem *item)
{
    QString base = key;
    if (base.isEmpty())
        base = Texts::format(u"untitledBibKey", {QString::number(numItems())});
    auto holder = [this](const QString &candidate) { return m_bibKeyList.value(candidate).get(); };
    bool numberedTaken = false;
    for (int suffix = 1; suffix <= 2; ++suffix) {
        const QString candidate = base + u'.' + QString::number(suffix);
        const BibItem *owner = holder(candidate);
        if (owner && item && owner == item)
            return candidate;
        if (owner)
            numberedTaken = true;
    }
    if (!numberedTaken) {
        const BibItem *owner = holder(base);
        if (!owner || (item && owner == item))
            return base;
    }
    for (int suffix = 1;; ++suffix) {
        const QString candidate = base + u'.' + QString::number(suffix);
        const BibItem *owner = holder(candidate);
        if (!owner || (item && owner == item))
            return candidate;
    }
}

void RealDatabase::replaceBibKey(BibItem &item)
{
    const QString original = item.originalBibKey();
    const auto it = m_bibKeyList.find(original);
    BibItemPtr shared;
    if (it != m_bibKeyList.end() && it->get() == &item) {
        shared = *it;
        m_bibKeyList.erase(it);
    } else {
        for (const BibItemPtr &own : m_itemList) {
            if (own.get() == &item) {
                shared = own;
                break;
            }
        }
    }
    if (shared)
        m_bibKeyList.insert(item.bibKey(), shared);
    setDirty(true);
}

void RealDatabase::replaceAuthorsForItem(BibItem &item)
{
    for (const BibItemPtr &own : m_itemList) {
        if (own.get() == &item) {
            BibDatabase::replaceAuthorsForItem(own);
            return;
        }
    }
}

bool RealDatabase::appendBibItem(const BibItemPtr &item)
{
    if (!BibDatabase::appendBibItem(item))
        return false;
    m_bibKeyList.insert(item->bibKey(), item);
    if (controllerDbList())
        controllerDbList()->appendNewItemForSmartLib(item);
    return true;
}

bool RealDatabase::removeBibItem(const BibItemPtr &item, bool removeFile)
{
    if (!item || !containsItem(item.get()))
        return true;
    if (!BibDatabase::removeBibItem(item, removeFile))
        return false;
    const QString key = item->originalBibKey();
    if (m_bibKeyList.value(key).get() == item.get())
        m_bibKeyList.remove(key);
    if (controllerDbList())
        controllerDbList()->removeItemFromLibraries(item);
    return true;
}

BibItemPtr RealDatabase::appendNewBibItemWithType(const QString &type)
{
    const QString key =
        uniqueBibKey(Texts::format(u"untitledBibKey", {QString::number(numItems() + 1)}), nullptr);
    BibItemPtr item = BibItem::newBibItemOfType(type, key, this);
    if (!item)
        return nullptr;
    item->expandWithMacro(m_localMacro.get());
    return appendBibItem(item) ? item : nullptr;
}

BibItemPtr RealDatabase::addCopyOfBibItem(const BibItemPtr &source)
{
    if (!source)
        return nullptr;
    auto fields = source->bibFieldsElements();
    QString key = source->bibKey();
    QString unique = uniqueBibKey(key, nullptr);
    if (unique != key) {
        const qsizetype dot = key.lastIndexOf(u'.');
        if (dot >= 0) {
            const QString tail = key.mid(dot + 1);
            const bool digits = std::all_of(tail.begin(), tail.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; });
            if (digits)
                unique = uniqueBibKey(key.left(dot), nullptr);
        }
    }
    fields.insert(u"bibkey"_s, {BibElement::bibElementWithSpecial(unique)});
    std::optional<QString> attached;
    if (fields.contains(u"file"_s)) {
        const auto file = fields.value(u"file"_s);
        if (!file.isEmpty())
            attached = file.front().stringContents();
        fields.remove(u"file"_s);
    }
    BibItemPtr item = BibItem::bibItemOfType(source->bibType(), unique, fields, this);
    if (!item)
        return nullptr;
    if (attached) {
        const std::optional<QString> stored = appendAttachments({*attached}, *item, false);
        if (!stored)
            return nullptr;
        item->setFieldData(*stored, u"file"_s);
    }
    item->setModified();
    item->expandWithMacro(m_localMacro.get());
    return appendBibItem(item) ? item : nullptr;
}

std::optional<QString> RealDatabase::appendAttachments(const QStringList &paths, BibItem &, bool)
{
    if (paths.isEmpty())
        return std::nullopt;
    return paths.front();
}

void RealDatabase::cleanForCancelLoading()
{
    BibDatabase::cleanForCancelLoading();
    m_bibKeyList.clear();
}

void RealDatabase::prefsChanged()
{
    applyMacrosToBibitems();
}

void RealDatabase::applyMacrosToBibitems()
{
    for (const BibItemPtr &item : m_itemList)
        item->expandWithMacro(m_localMacro.get());
}

void RealDatabase::macroListChanged()
{
    applyMacrosToBibitems();
    if (controllerDbList())
        controllerDbList()->selectionChanged();
    setDirty(true);
}

void RealDatabase::setPreambleList(const QStringList &preambles)
{
    m_preambleList = preambles;
    preamblesChanged();
}
