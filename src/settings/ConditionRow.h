#pragma once

#include "model/SmartSearchCondition.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QToolButton;

// One line of the conditions editor: target, condition (only those the
// target may be combined with), search text and case sensitivity, with
// buttons to add a line below and to remove this one. Main thread only.
class ConditionRow : public QWidget
{
    Q_OBJECT

public:
    explicit ConditionRow(const SmartSearchCondition &condition, QWidget *parent = nullptr);

    SmartSearchCondition condition() const;

    QComboBox *targetPopup() const { return m_target; }
    QComboBox *conditionPopup() const { return m_condition; }
    QLineEdit *searchField() const { return m_text; }
    QCheckBox *caseCheck() const { return m_case; }
    QToolButton *removeButton() const { return m_remove; }

Q_SIGNALS:
    void addRequested(ConditionRow *row);
    void removeRequested(ConditionRow *row);

private:
    void targetChanged();
    void conditionChanged();

    QComboBox *m_target;
    QComboBox *m_condition;
    QLineEdit *m_text;
    QCheckBox *m_case;
    QToolButton *m_add;
    QToolButton *m_remove;
};
