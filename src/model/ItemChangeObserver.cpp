#include "model/ItemChangeObserver.h"

#include <atomic>

namespace {

ItemChangeObserver &silentObserver()
{
    static ItemChangeObserver instance;
    return instance;
}

std::atomic<ItemChangeObserver *> installed{nullptr};

} // namespace

void ItemChangeObserver::bibItemChanged(BibItem &) {}

void ItemChangeObserver::selectionChanged() {}

void ItemChangeObserver::resortItems() {}

ItemDatabase *ItemChangeObserver::findDatabaseOfID(const QString &)
{
    return nullptr;
}

ItemChangeObserver &ItemChangeObserver::global()
{
    ItemChangeObserver *observer = installed.load(std::memory_order_acquire);
    return observer ? *observer : silentObserver();
}

void ItemChangeObserver::setGlobal(ItemChangeObserver *observer)
{
    installed.store(observer, std::memory_order_release);
}
