#pragma once

#include "storage/BibDatabase.h"

#include <QString>

// The text the copy commands build from a list of entries: keys, \cite and
// \nocite, TeX \bibitem lists, HTML lists, tab-separated templates, plain
// HTML and plain text (output kinds 0-7), with a list prefix kind (0 none,
// 1 bullet, 2 number, 3 citation key). Stateless; main thread (items are).
class ItemsText
{
public:
    static QString makeItemsText(const BibItemList &items, int format, int prefix);
};
