#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The help book "Quirefold Help": one HTML page per anchor ("QF_Help_*"),
// installed under <prefix>/share/quirefold/help and also compiled in; when no
// installed copy exists the compiled-in pages are written to the cache folder
// and opened from there. Pages open in the desktop's browser. Main thread.
class HelpBook
{
public:
    static inline const QString kBookName = QStringLiteral("Quirefold Help");
    static inline const QString kRootAnchor = QStringLiteral("QF_Help_Root");

    // The anchor of a help command's tag (8900-8909); the root page otherwise.
    static QString anchorForTag(int tag);
    // Every anchor, the root first.
    static QStringList anchors();

    // The installed help folder beside the program (may not exist).
    static QString installedHelpFolder();
    // The page of `anchor` as a file URL; empty when it cannot be provided.
    static QUrl urlForAnchor(const QString &anchor);
    static bool showHelpTopic(int tag);
    static bool showAnchor(const QString &anchor);
};
