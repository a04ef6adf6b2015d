#include "app/HelpBook.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr int kFirstHelpTag = 8900;

// The anchors of tags 8900-8909, in tag order.
const QStringList &topicAnchors()
{
    static const QStringList anchors = {
        QStringLiteral("QF_Help_QuickStart"), QStringLiteral("QF_Help_Databases"),
        QStringLiteral("QF_Help_Editing"),    QStringLiteral("QF_Help_Attachments"),
        QStringLiteral("QF_Help_Searching"),  QStringLiteral("QF_Help_Libraries"),
        QStringLiteral("QF_Help_CopyLists"),  QStringLiteral("QF_Help_Properties"),
        QStringLiteral("QF_Help_Settings"),   QStringLiteral("QF_Help_TipsAndFaq"),
    };
    return anchors;
}

QString pageName(const QString &anchor)
{
    return anchor + QStringLiteral(".html");
}

// Writes the compiled-in pages (and whatever they use) into the cache folder
// when a page there is missing or differs; answers the folder, or empty when
// it cannot be written.
QString extractedHelpFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    if (cache.isEmpty())
        return {};
    const QString folder = cache + QStringLiteral("/help");
    if (!QDir().mkpath(folder))
        return {};
    QDirIterator it(QStringLiteral(":/help"), QDir::Files);
    while (it.hasNext()) {
        const QString resource = it.next();
        QFile source(resource);
        if (!source.open(QIODevice::ReadOnly))
            return {};
        const QByteArray contents = source.readAll();
        const QString target = folder + u'/' + it.fileName();
        QFile existing(target);
        if (existing.open(QIODevice::ReadOnly) && existing.readAll() == contents)
            continue;
        existing.close();
        QSaveFile out(target);
        if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() ||
            !out.commit())
            return {};
    }
    return folder;
}

} // namespace

QString HelpBook::anchorForTag(int tag)
{
    const int index = tag - kFirstHelpTag;
    if (index >= 0 && index < topicAnchors().size())
        return topicAnchors().at(index);
    return kRootAnchor;
}

QStringList HelpBook::anchors()
{
    return QStringList{kRootAnchor} + topicAnchors();
}

QString HelpBook::installedHelpFolder()
{
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           QStringLiteral("/../share/quirefold/help"));
}

QUrl HelpBook::urlForAnchor(const QString &anchor)
{
    const QString page = pageName(anchors().contains(anchor) ? anchor : kRootAnchor);
    const QFileInfo installed(installedHelpFolder() + u'/' + page);
    if (installed.isFile())
        return QUrl::fromLocalFile(installed.absoluteFilePath());
    if (!QFile::exists(QStringLiteral(":/help/") + page))
        return {};
    const QString folder = extractedHelpFolder();
    if (folder.isEmpty())
        return {};
    return QUrl::fromLocalFile(folder + u'/' + page);
}

bool HelpBook::showHelpTopic(int tag)
{
    return showAnchor(anchorForTag(tag));
}

bool HelpBook::showAnchor(const QString &anchor)
{
    const QUrl url = urlForAnchor(anchor);
    return url.isValid() && QDesktopServices::openUrl(url);
}
