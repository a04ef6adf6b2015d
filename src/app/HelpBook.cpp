#include "app/HelpBook.h"

QString HelpBook::anchorForTag(int)
{
    return kRootAnchor;
}

QStringList HelpBook::anchors()
{
    return {kRootAnchor};
}

QString HelpBook::installedHelpFolder()
{
    return {};
}

QUrl HelpBook::urlForAnchor(const QString &)
{
    return {};
}

bool HelpBook::showHelpTopic(int)
{
    return false;
}

bool HelpBook::showAnchor(const QString &)
{
    return false;
}
