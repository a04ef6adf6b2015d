#include "settings/ConditionRow.h"

#include "core/Texts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace {

QString targetName(qint32 target)
{
    const QString key = u"Smart_Target_"_s + QString::number(target);
    return Texts::text(key);
}

QString conditionName(qint32 condition)
{
    const QString key = u"Smart_Condition_"_s + QString::number(condition);
    return Texts::text(key);
}

bool isYear(const QString &text)
{
    if (text.size() < 4)
        return false;
    for (QChar c : text)
        if (!c.isDigit())
            return false;
    return true;
}

} // namespace

ConditionRow::ConditionRow(const SmartSearchCondition &condition, QWidget *parent)
    : QWidget(parent), m_target(new QComboBox(this)), m_condition(new QComboBox(this)),
      m_text(new QLineEdit(condition.searchString(), this)),
      m_case(new QCheckBox(Texts::text(u"Smart_CaseSensitive"), this)),
      m_add(new QToolButton(this)), m_remove(new QToolButton(this))
{
    for (qint32 target : SmartSearchCondition::offeredTargets())
        m_target->addItem(targetName(target), target);
    m_add->setText(u"+"_s);
    m_add->setToolTip(Texts::text(u"Smart_AddCondition"));
    m_remove->setText(u"\u2212"_s);
    m_remove->setToolTip(Texts::text(u"Smart_RemoveCondition"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(m_target);
    row->addWidget(m_condition);
    row->addWidget(m_text, 1);
    row->addWidget(m_case);
    row->addWidget(m_add);
    row->addWidget(m_remove);

    const int targetIndex = m_target->findData(condition.targetFieldChoice());
    m_target->setCurrentIndex(targetIndex < 0 ? 0 : targetIndex);
    m_case->setChecked(condition.caseSensitive());
    targetChanged();
    const int conditionIndex = m_condition->findData(condition.conditionChoice());
    if (conditionIndex >= 0)
        m_condition->setCurrentIndex(conditionIndex);
    m_text->setText(condition.searchString());
    conditionChanged();

    connect(m_target, &QComboBox::currentIndexChanged, this, &ConditionRow::targetChanged);
    connect(m_condition, &QComboBox::currentIndexChanged, this, &ConditionRow::conditionChanged);
    connect(m_add, &QToolButton::clicked, this, [this] { Q_EMIT addRequested(this); });
    connect(m_remove, &QToolButton::clicked, this, [this] { Q_EMIT removeRequested(this); });
}

SmartSearchCondition ConditionRow::condition() const
{
    const qint32 condition = m_condition->currentData().toInt();
    return SmartSearchCondition::conditionWith(
        m_target->currentData().toInt(), condition,
        SmartSearchCondition::conditionUsesText(condition) ? m_text->text() : QString(),
        m_case->isEnabled() && m_case->isChecked());
}

void ConditionRow::targetChanged()
{
    const qint32 target = m_target->currentData().toInt();
    const qint32 previous = m_condition->currentData().toInt();
    const QList<qint32> offered = SmartSearchCondition::offeredConditions(target);
    {
        const QSignalBlocker blocker(m_condition);
        m_condition->clear();
        for (qint32 condition : offered)
            m_condition->addItem(conditionName(condition), condition);
        const qint32 chosen =
            offered.contains(previous) ? previous : SmartSearchCondition::fallbackCondition(target);
        m_condition->setCurrentIndex(m_condition->findData(chosen));
    }
    if (target == SmartSearchCondition::Year && !isYear(m_text->text()))
        m_text->setText(QString::number(QDate::currentDate().year()));
    const bool usesCase = SmartSearchCondition::targetUsesCase(target);
    if (!usesCase)
        m_case->setChecked(false);
    m_case->setEnabled(usesCase);
    conditionChanged();
}

void ConditionRow::conditionChanged()
{
    const bool usesText =
        SmartSearchCondition::conditionUsesText(m_condition->currentData().toInt());
    if (!usesText)
        m_text->clear();
    m_text->setEnabled(usesText);
}
