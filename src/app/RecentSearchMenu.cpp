#include "app/RecentSearchMenu.h"

#include "core/Texts.h"
#include "prefs/BibPreferences.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QStyle>

RecentSearchMenu::RecentSearchMenu(QLineEdit *field, const QString &prefsKey, QObject *parent)
    : QObject(parent), m_field(field), m_prefsKey(prefsKey)
{
    m_menu = new QMenu(field);
    m_fieldAction =
        field->addAction(QApplication::style()->standardIcon(QStyle::SP_FileDialogContentsView),
                         QLineEdit::LeadingPosition);
    m_fieldAction->setToolTip(Texts::text(u"MenuSearchRecentTitle"));
    connect(m_fieldAction, &QAction::triggered, this,
            [this] { m_menu->popup(m_field->mapToGlobal(QPoint(0, m_field->height()))); });
    if (const BibPreferences *prefs = BibPreferences::globalPreferences())
        m_recents = prefs->value(m_prefsKey).toStringList().mid(0, kMaxRecents);
    connect(field, &QLineEdit::returnPressed, this, &RecentSearchMenu::recordCurrent);
    connect(field, &QLineEdit::editingFinished, this, &RecentSearchMenu::recordCurrent);
    rebuild();
}

void RecentSearchMenu::recordCurrent()
{
    const QString text = m_field->text().trimmed();
    if (text.isEmpty() || (!m_recents.isEmpty() && m_recents.front() == text))
        return;
    m_recents.removeAll(text);
    m_recents.prepend(text);
    while (m_recents.size() > kMaxRecents)
        m_recents.removeLast();
    store();
    rebuild();
}

void RecentSearchMenu::clear()
{
    m_recents.clear();
    store();
    rebuild();
}

void RecentSearchMenu::store()
{
    if (BibPreferences *prefs = BibPreferences::globalPreferences())
        prefs->setValue(m_prefsKey, m_recents.isEmpty() ? QVariant() : QVariant(m_recents));
}

void RecentSearchMenu::rebuild()
{
    m_menu->clear();
    m_menu->addAction(Texts::text(u"MenuSearchRecentTitle"))->setEnabled(false);
    if (m_recents.isEmpty()) {
        m_menu->addAction(Texts::text(u"MenuSearchNoRecent"))->setEnabled(false);
        return;
    }
    for (const QString &text : std::as_const(m_recents))
        m_menu->addAction(text, this, [this, text] { m_field->setText(text); });
    m_menu->addSeparator();
    m_menu->addAction(Texts::text(u"MenuSearchRecentClear"), this, &RecentSearchMenu::clear);
}
