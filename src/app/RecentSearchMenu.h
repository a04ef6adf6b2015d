#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QAction;
class QLineEdit;
class QMenu;

// The recent-searches menu of a search field: the texts the user searched
// for (recorded when Return is pressed or the field loses focus), newest
// first, at most ten, kept in the preferences under `prefsKey`. Choosing one
// puts it back into the field; the clear item forgets them. Owned by the
// field's controller; main thread only.
class RecentSearchMenu : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaxRecents = 10;

    RecentSearchMenu(QLineEdit *field, const QString &prefsKey, QObject *parent = nullptr);

    QMenu *menu() const { return m_menu; }
    QAction *fieldAction() const { return m_fieldAction; }
    QStringList recents() const { return m_recents; }
    // Puts the field's text first (a repeated text moves up).
    void recordCurrent();
    void clear();

private:
    void rebuild();
    void store();

    QLineEdit *m_field;
    QString m_prefsKey;
    QMenu *m_menu;
    QAction *m_fieldAction;
    QStringList m_recents;
};
