#pragma once

#include <QDialog>
#include <QList>
#include <QPair>

#include <memory>
#include <vector>

class ConditionRow;
class SmartSearchCondition;
class SmartLibraryProperties;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLineEdit;
class QVBoxLayout;

// The property sheet of a smart library: description, the database searched
// (or every one), the conditions joined by "all" or "any", and when the
// library is brought up to date, asked as two questions: kept current
// automatically (code 0), and if not, filled at start-up (1) or only by the
// update command (2). It edits a copy of the record; the caller reads
// properties() after OK. Main thread only.
class SmartLibrarySheet : public QDialog
{
    Q_OBJECT

public:
    // `databases`: unique ID and description of each database that may be searched.
    SmartLibrarySheet(const SmartLibraryProperties &properties,
                      const QList<QPair<QString, QString>> &databases, QWidget *parent = nullptr);
    ~SmartLibrarySheet() override;

    const SmartLibraryProperties &properties() const { return *m_properties; }

    QLineEdit *descriptionField() const { return m_description; }
    QComboBox *databasePopup() const { return m_database; }
    QComboBox *matchPopup() const { return m_match; }
    QCheckBox *automaticCheck() const { return m_automatic; }
    QCheckBox *atLaunchCheck() const { return m_atLaunch; }
    const std::vector<ConditionRow *> &rows() const { return m_rows; }
    QDialogButtonBox *buttons() const { return m_buttons; }

    // Adds a line at `index` (clamped) / removes one; the last line stays.
    ConditionRow *addRow(int index, const SmartSearchCondition &condition);
    void removeRow(ConditionRow *row);

    void accept() override;

private:
    void updateRemoveButtons();

    std::unique_ptr<SmartLibraryProperties> m_properties;
    QLineEdit *m_description;
    QComboBox *m_database;
    QComboBox *m_match;
    QCheckBox *m_automatic;
    QCheckBox *m_atLaunch;
    QVBoxLayout *m_rowLayout;
    std::vector<ConditionRow *> m_rows;
    QDialogButtonBox *m_buttons;
};
