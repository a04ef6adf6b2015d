#include "app/NodeIcons.h"

#include <QHash>
#include <QString>

namespace {

struct IconSource
{
    const char16_t *themeName;
    const char16_t *bundled;
};

// Per node kind, 0 root to 6 remote database.
constexpr IconSource kKindIcons[] = {
    {u"folder", u":/icons/node-root.svg"},
    {u"folder-documents", u":/icons/node-database-group.svg"},
    {u"folder-bookmark", u":/icons/node-library-group.svg"},
    {u"folder-saved-search", u":/icons/node-smart-library.svg"},
    {u"bookmarks", u":/icons/node-manual-library.svg"},
    {u"x-office-address-book", u":/icons/node-local-database.svg"},
    {u"network-server", u":/icons/node-remote-database.svg"},
};

// Icons are built once per source; QIcon shares its data.
QIcon themedIcon(const IconSource &source)
{
    static QHash<QString, QIcon> cache;
    const QString key = QString::fromUtf16(source.bundled);
    auto it = cache.constFind(key);
    if (it != cache.constEnd())
        return *it;
    QIcon icon = QIcon::fromTheme(QString::fromUtf16(source.themeName), QIcon(key));
    cache.insert(key, icon);
    return icon;
}

} // namespace

QIcon NodeIcons::iconForKind(int kind)
{
    if (kind < 0 || kind >= static_cast<int>(std::size(kKindIcons)))
        kind = 5;
    return themedIcon(kKindIcons[kind]);
}

QIcon NodeIcons::loadingIcon()
{
    return themedIcon({u"view-refresh", u":/icons/node-loading.svg"});
}

QIcon NodeIcons::problemIcon()
{
    return themedIcon({u"dialog-warning", u":/icons/node-problem.svg"});
}

QIcon NodeIcons::applicationIcon()
{
    return themedIcon({u"quirefold", u":/icons/quirefold.svg"});
}
