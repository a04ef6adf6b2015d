#include "app/RecentFiles.h"

#include <QFileInfo>
#include <QMenu>
#include <QSettings>

namespace {

QSettings recentSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Quirefold"),
                     QStringLiteral("recent-files"));
}

} // namespace

RecentFiles::RecentFiles(QObject *parent) : QObject(parent)
{
    m_files = recentSettings().value(QStringLiteral("files")).toStringList();
}

void RecentFiles::add(const QString &path)
{
    if (path.isEmpty())
        return;
    m_files.removeAll(path);
    m_files.prepend(path);
    while (m_files.size() > kMaximum)
        m_files.removeLast();
    store();
}

void RecentFiles::clear()
{
    m_files.clear();
    store();
}

void RecentFiles::store()
{
    recentSettings().setValue(QStringLiteral("files"), m_files);
    fill();
    Q_EMIT changed();
}

void RecentFiles::attach(QMenu *menu, const QString &clearText)
{
    m_menu = menu;
    m_clearText = clearText;
    fill();
}

void RecentFiles::fill()
{
    if (!m_menu)
        return;
    m_menu->clear();
    for (const QString &path : std::as_const(m_files)) {
        QAction *action = m_menu->addAction(QFileInfo(path).fileName());
        action->setToolTip(path);
        action->setEnabled(QFileInfo::exists(path));
        connect(action, &QAction::triggered, this, [this, path] { Q_EMIT openRequested(path); });
    }
    m_menu->addSeparator();
    QAction *clearAction = m_menu->addAction(m_clearText);
    clearAction->setEnabled(!m_files.isEmpty());
    connect(clearAction, &QAction::triggered, this, &RecentFiles::clear);
}
