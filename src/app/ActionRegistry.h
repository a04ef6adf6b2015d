#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class QAction;

// Every command of the window, registered once: its menu tag, title key,
// shortcut, enabling rule and what it does. Menus, context menus and the
// toolbar add the same QAction; updateEnabled() recomputes every action's
// state from its rule, so enabling is never toggled by hand. Owned by the
// application controller; main thread only.
class ActionRegistry : public QObject
{
    Q_OBJECT

public:
    using Rule = std::function<bool()>;

    explicit ActionRegistry(QObject *parent = nullptr);

    // Registers the command `tag`; a null rule means always enabled.
    QAction *add(int tag, const QString &textKey, const QKeySequence &shortcut, Rule enabled,
                 std::function<void()> trigger);
    QAction *action(int tag) const { return m_actions.value(tag); }
    QList<int> tags() const { return m_order; }
    // Runs the enabling rule of `tag` (what validateMenuItem answers).
    bool validate(int tag) const;
    // Applies every rule to its action.
    void updateEnabled();
    // Re-titles the action from a text key.
    void setTitle(int tag, const QString &textKey);

private:
    QHash<int, QAction *> m_actions;
    QHash<int, Rule> m_rules;
    QList<int> m_order;
};
