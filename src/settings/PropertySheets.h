#pragma once

#include <QList>
#include <QPair>
#include <QString>

#include <functional>

class BibDatabase;
class BibPreferences;
class LocalDatabaseProperties;
class SmartLibraryProperties;
class QDialog;
class QWidget;

// Opens the property sheet that fits a node of the database tree and, when
// the user confirms it, stores the edited record in the node and tells the
// node (propertiesChanged). The sheets themselves only edit copies. Main
// thread only.
class PropertySheets
{
public:
    // Opens the node's sheet window-modally over `parent` and returns it at
    // once (null for the root, which has none). On OK the node is looked up
    // again by its unique ID under `root()` (it may have gone meanwhile) and
    // the edited record applied to it. The sheet deletes itself when closed.
    static QDialog *open(BibDatabase &node, QWidget *parent, std::function<BibDatabase *()> root);

    // The node with this unique ID at or below `node`, or null.
    static BibDatabase *findNode(BibDatabase *node, const QString &uniqueID);

    // What a confirmed sheet does to the node.
    static void applyDescription(BibDatabase &node, const QString &description);
    static void applyLocal(BibDatabase &node, const LocalDatabaseProperties &edited,
                           bool suppressWarnings, BibPreferences &preferences);
    static void applySmart(BibDatabase &node, const SmartLibraryProperties &edited);

    // Unique ID and description of every real database in the tree of `node`.
    static QList<QPair<QString, QString>> searchableDatabases(const BibDatabase &node);
};
