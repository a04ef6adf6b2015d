#include "storage/FileUtilities.h"

#include <QDir>
#include <QFileInfo>

QString FileUtilities::resolvAliasAndSymlink(const QString &path)
{
    const QFileInfo info(path);
    if (path.isEmpty() || !info.isSymLink())
        return path;
    const QString canonical = info.canonicalFilePath();
    if (!canonical.isEmpty())
        return canonical;
    // A dangling link: follow the chain by hand as far as it goes (bounded,
    // since a loop of links never ends).
    QString current = info.absoluteFilePath();
    for (int hops = 0; hops < 64; ++hops) {
        const QFileInfo step(current);
        if (!step.isSymLink())
            break;
        current = QDir::cleanPath(step.symLinkTarget());
    }
    return current;
}
