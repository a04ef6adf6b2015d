#include "settings/PropertySheets.h"

#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "settings/DescriptionSheet.h"
#include "settings/LocalPropertySheet.h"
#include "settings/SmartLibrarySheet.h"
#include "storage/BibDatabase.h"
#include "storage/LocalDatabaseProperties.h"
#include "storage/SmartLibraryProperties.h"

namespace {

void collectRealDatabases(const BibDatabase &node, QList<QPair<QString, QString>> &out)
{
    if (node.isRealDatabase())
        out.append({node.uniqueID(), node.description()});
    for (const BibDatabase *child : node.children())
        collectRealDatabases(*child, out);
}

} // namespace

QDialog *PropertySheets::open(BibDatabase &node, QWidget *parent,
                              std::function<BibDatabase *()> root)
{
    if (!node.nodeParent())
        return nullptr;
    node.openProperty();
    const QString id = node.uniqueID();
    auto target = [id, root] { return findNode(root ? root() : nullptr, id); };
    QDialog *sheet = nullptr;
    if (node.isLocalDatabase()) {
        BibPreferences &preferences = *BibPreferences::globalPreferences();
        const auto &properties = static_cast<const LocalDatabaseProperties &>(node.properties());
        auto *local = new LocalPropertySheet(properties, preferences.suppressWarning(id), parent);
        QObject::connect(local, &QDialog::accepted, local, [local, target, &preferences] {
            if (BibDatabase *found = target())
                applyLocal(*found, local->properties(), local->suppressWarnings(), preferences);
        });
        sheet = local;
    } else if (node.isSmartLib()) {
        const auto &properties = static_cast<const SmartLibraryProperties &>(node.properties());
        auto *smart = new SmartLibrarySheet(properties, searchableDatabases(node), parent);
        QObject::connect(smart, &QDialog::accepted, smart, [smart, target] {
            if (BibDatabase *found = target())
                applySmart(*found, smart->properties());
        });
        sheet = smart;
    } else {
        auto *plain = new DescriptionSheet(Texts::format(u"Sheet_NodeTitle", {node.description()}),
                                           node.description(), parent);
        QObject::connect(plain, &QDialog::accepted, plain, [plain, target] {
            if (BibDatabase *found = target())
                applyDescription(*found, plain->description());
        });
        sheet = plain;
    }
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    sheet->open();
    return sheet;
}

BibDatabase *PropertySheets::findNode(BibDatabase *node, const QString &uniqueID)
{
    if (!node)
        return nullptr;
    if (node->uniqueID() == uniqueID)
        return node;
    for (BibDatabase *child : node->children())
        if (BibDatabase *found = findNode(child, uniqueID))
            return found;
    return nullptr;
}

void PropertySheets::applyDescription(BibDatabase &node, const QString &description)
{
    node.properties().setDescription(description);
    node.propertiesChanged();
}

void PropertySheets::applyLocal(BibDatabase &node, const LocalDatabaseProperties &edited,
                                bool suppressWarnings, BibPreferences &preferences)
{
    if (suppressWarnings)
        preferences.appendSuppressDatabase(node.uniqueID());
    else
        preferences.removeSuppressDatabase(node.uniqueID());
    if (!edited.hasPrivilegeToWrite())
        return; // reserved by someone else: the file's settings stay
    node.properties().makeCopyOf(edited);
    node.propertiesChanged();
}

void PropertySheets::applySmart(BibDatabase &node, const SmartLibraryProperties &edited)
{
    node.properties().makeCopyOf(edited);
    node.propertiesChanged();
}

QList<QPair<QString, QString>> PropertySheets::searchableDatabases(const BibDatabase &node)
{
    const BibDatabase *root = &node;
    while (root->nodeParent())
        root = root->nodeParent();
    QList<QPair<QString, QString>> out;
    collectRealDatabases(*root, out);
    return out;
}
