#pragma once

#include <QString>

// Copies an attached file or folder into place without ever losing what is
// already there: the copy is made under a temporary name beside the target
// and only a complete copy replaces an existing item. Stateless; any thread.
class AttachmentCopier
{
public:
    // Copies `source` (a file, or a folder with everything in it) to
    // `target`, replacing an item of that name. False with `error` set (the
    // target left as it was) when something fails.
    static bool copyReplacing(const QString &source, const QString &target, QString &error);

private:
    static bool copyTree(const QString &source, const QString &target, QString &error);
    static bool removeItem(const QString &path);
};
