#include "settings/RowTableDialog.h"

#include "core/Texts.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

RowTableDialog::RowTableDialog(const QString &title, const QStringList &columns, QWidget *parent)
    : QDialog(parent), m_table(new QTableWidget(0, int(columns.size()), this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this)),
      m_add(new QPushButton(Texts::text(u"Macro_Add"), this)), m_buttonRow(new QHBoxLayout)
{
    setWindowTitle(title);
    m_table->setHorizontalHeaderLabels(columns);
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);

    auto *remove = new QPushButton(Texts::text(u"Macro_Remove"), this);
    m_buttonRow->addWidget(m_add);
    m_buttonRow->addWidget(remove);
    m_buttonRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(m_buttonRow);
    layout->addWidget(m_buttons);

    connect(remove, &QPushButton::clicked, this, &RowTableDialog::removeSelectedRows);
    connect(m_table, &QTableWidget::itemChanged, this, &RowTableDialog::validateAll);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_valid)
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void RowTableDialog::removeSelectedRows()
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        m_table->removeRow(row);
    validateAll();
}

void RowTableDialog::validateAll()
{
    if (m_validating)
        return;
    m_validating = true;
    m_valid = checkRows();
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(m_valid);
    m_validating = false;
}

void RowTableDialog::markCell(QTableWidgetItem *item, bool bad, const QString &why)
{
    item->setForeground(bad ? QBrush(Qt::red) : QBrush());
    item->setToolTip(bad ? why : QString());
}

void RowTableDialog::appendRow(const QStringList &cells)
{
    const int row = m_table->rowCount();
    m_validating = true; // one check once every cell exists
    m_table->insertRow(row);
    for (int column = 0; column < cells.size(); ++column)
        m_table->setItem(row, column, new QTableWidgetItem(cells[column]));
    m_validating = false;
}

void RowTableDialog::editLastRow()
{
    const int row = m_table->rowCount() - 1;
    m_table->setCurrentCell(row, 0);
    m_table->editItem(m_table->item(row, 0));
}
