#include "app/ActionRegistry.h"

#include "core/Texts.h"

#include <QAction>

ActionRegistry::ActionRegistry(QObject *parent) : QObject(parent) {}

QAction *ActionRegistry::add(int tag, const QString &textKey, const QKeySequence &shortcut,
                             Rule enabled, std::function<void()> trigger)
{
    Q_ASSERT(!m_actions.contains(tag));
    auto *action = new QAction(Texts::text(textKey), this);
    action->setData(tag);
    action->setObjectName(QStringLiteral("action%1").arg(tag));
    if (!shortcut.isEmpty())
        action->setShortcut(shortcut);
    if (trigger)
        connect(action, &QAction::triggered, this, [trigger] { trigger(); });
    m_actions.insert(tag, action);
    m_rules.insert(tag, std::move(enabled));
    m_order.append(tag);
    return action;
}

bool ActionRegistry::validate(int tag) const
{
    const Rule rule = m_rules.value(tag);
    return !rule || rule();
}

void ActionRegistry::updateEnabled()
{
    for (int tag : std::as_const(m_order))
        m_actions.value(tag)->setEnabled(validate(tag));
}

void ActionRegistry::setTitle(int tag, const QString &textKey)
{
    if (QAction *action = m_actions.value(tag))
        action->setText(Texts::text(textKey));
}
