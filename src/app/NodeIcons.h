#pragma once

#include <QIcon>

// The icons of the database tree and the program: a theme icon where the
// desktop theme has one, else a bundled SVG drawn to read on light and dark
// backgrounds. Main thread (QIcon needs the GUI application).
class NodeIcons
{
public:
    // Node kinds: 0 root, 1 database group, 2 library group, 3 smart library,
    // 4 manual library, 5 local database, 6 remote database.
    static QIcon iconForKind(int kind);
    // A database still loading, and one read with problems.
    static QIcon loadingIcon();
    static QIcon problemIcon();
    static QIcon applicationIcon();
};
