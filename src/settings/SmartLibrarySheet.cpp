#include "settings/SmartLibrarySheet.h"

#include "core/Texts.h"
#include "settings/ConditionRow.h"
#include "storage/SmartLibraryProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

SmartLibrarySheet::SmartLibrarySheet(const SmartLibraryProperties &properties,
                                     const QList<QPair<QString, QString>> &databases,
                                     QWidget *parent)
    : QDialog(parent), m_properties(SmartLibraryProperties::propertiesWithProperties(properties)),
      m_description(new QLineEdit(properties.description(), this)), m_database(new QComboBox(this)),
      m_match(new QComboBox(this)),
      m_automatic(new QCheckBox(Texts::text(u"Smart_UpdateAutomatically"), this)),
      m_atLaunch(new QCheckBox(Texts::text(u"Smart_UpdateAtLaunch"), this)),
      m_rowLayout(new QVBoxLayout),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    m_properties->setUniqueID(properties.uniqueID());
    setWindowTitle(Texts::format(u"Sheet_SmartTitle", {properties.description()}));
    m_database->addItem(Texts::text(u"Smart_AllDatabases"), QString());
    for (const auto &[id, name] : databases)
        m_database->addItem(name, id);
    const int databaseIndex =
        m_database->findData(properties.targetDatabaseID().value_or(QString()));
    m_database->setCurrentIndex(std::max(0, databaseIndex));
    m_match->addItem(Texts::text(u"Smart_MatchAll"), true);
    m_match->addItem(Texts::text(u"Smart_MatchAny"), false);
    m_match->setCurrentIndex(properties.matchesAllConditions() ? 0 : 1);
    const int code = properties.updateCondition();
    m_automatic->setChecked(code == 0);
    m_atLaunch->setChecked(code == 1);
    m_atLaunch->setEnabled(code != 0);
    connect(m_automatic, &QCheckBox::toggled, m_atLaunch,
            [this](bool automatic) { m_atLaunch->setEnabled(!automatic); });

    auto *form = new QFormLayout(this);
    form->addRow(Texts::text(u"Sheet_Description"), m_description);
    form->addRow(Texts::text(u"Smart_SearchIn"), m_database);
    form->addRow(Texts::text(u"Smart_Match"), m_match);
    form->addRow(m_rowLayout);
    form->addRow(QString(), m_automatic);
    form->addRow(QString(), m_atLaunch);
    form->addRow(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &SmartLibrarySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    for (const SmartSearchCondition &condition : properties.searchConditions())
        addRow(static_cast<int>(m_rows.size()), condition);
    if (m_rows.empty())
        addRow(0, SmartSearchCondition::newCondition());
}

SmartLibrarySheet::~SmartLibrarySheet() = default;

ConditionRow *SmartLibrarySheet::addRow(int index, const SmartSearchCondition &condition)
{
    index = std::clamp(index, 0, static_cast<int>(m_rows.size()));
    auto *row = new ConditionRow(condition, this);
    m_rowLayout->insertWidget(index, row);
    m_rows.insert(m_rows.begin() + index, row);
    connect(row, &ConditionRow::addRequested, this, [this](ConditionRow *at) {
        const auto found = std::find(m_rows.begin(), m_rows.end(), at);
        addRow(static_cast<int>(found - m_rows.begin()) + 1, SmartSearchCondition::newCondition());
    });
    connect(row, &ConditionRow::removeRequested, this, &SmartLibrarySheet::removeRow);
    updateRemoveButtons();
    return row;
}

void SmartLibrarySheet::removeRow(ConditionRow *row)
{
    const auto found = std::find(m_rows.begin(), m_rows.end(), row);
    if (found == m_rows.end() || m_rows.size() < 2)
        return;
    m_rows.erase(found);
    row->deleteLater();
    updateRemoveButtons();
}

void SmartLibrarySheet::updateRemoveButtons()
{
    for (ConditionRow *row : m_rows)
        row->removeButton()->setEnabled(m_rows.size() > 1);
}

void SmartLibrarySheet::accept()
{
    SmartLibraryProperties &p = *m_properties;
    p.setDescription(m_description->text().trimmed());
    p.setTargetDatabaseID(m_database->currentData().toString());
    p.setMatchesAllConditions(m_match->currentData().toBool());
    p.setUpdateCondition(m_automatic->isChecked() ? 0 : m_atLaunch->isChecked() ? 1 : 2);
    std::vector<SmartSearchCondition> conditions;
    conditions.reserve(m_rows.size());
    for (const ConditionRow *row : m_rows)
        conditions.push_back(row->condition());
    p.setSearchConditions(conditions);
    QDialog::accept();
}
