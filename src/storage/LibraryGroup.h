#pragma once

#include "storage/BibDatabase.h"

// A group of libraries and sub-groups (kind 2); shows the union of its
// children's items. Owned by its parent; main thread only.
class LibraryGroup : public BibDatabase
{
public:
    // A new group named "NewLibGroupName".
    LibraryGroup();
    // A group with the given name (when not empty) and children, expanded.
    LibraryGroup(const QString &name, std::vector<std::unique_ptr<BibDatabase>> children);

    static std::unique_ptr<LibraryGroup> libGroup();
    static std::unique_ptr<LibraryGroup>
    libGroupWithName(const QString &name, std::vector<std::unique_ptr<BibDatabase>> children);
    static std::unique_ptr<LibraryGroup> libGroupWithDictionary(const QVariantMap &dictionary);

    std::vector<std::unique_ptr<BibDatabase>>
    removeChildrenIdenticalTo(const std::vector<BibDatabase *> &nodes) override;
    void rebuildBibItemList(bool alsoParent) override;

protected:
    LibraryGroup(int kind, std::unique_ptr<DatabaseProperties> properties);
};
