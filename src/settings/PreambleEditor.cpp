#include "settings/PreambleEditor.h"

#include "core/Texts.h"
#include "model/BibElement.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

PreambleEditor::PreambleEditor(const QString &title, const QStringList &preambles, QWidget *parent)
    : QDialog(parent), m_table(new QTableWidget(0, 1, this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(title);
    m_table->setHorizontalHeaderLabels({Texts::text(u"Preamble_Column")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const QString &text : preambles) {
        m_table->insertRow(m_table->rowCount());
        m_table->setItem(m_table->rowCount() - 1, 0, new QTableWidgetItem(text));
    }
    auto *add = new QPushButton(Texts::text(u"Macro_Add"), this);
    auto *remove = new QPushButton(Texts::text(u"Macro_Remove"), this);
    auto *row = new QHBoxLayout;
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(row);
    layout->addWidget(m_buttons);
    resize(560, 320);
    connect(add, &QPushButton::clicked, this, &PreambleEditor::addPreamble);
    connect(remove, &QPushButton::clicked, this, &PreambleEditor::removeSelectedPreambles);
    connect(m_table, &QTableWidget::itemChanged, this, &PreambleEditor::validateAll);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_valid)
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    validateAll();
}

QStringList PreambleEditor::preambles() const
{
    QStringList out;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        const QString text = m_table->item(row, 0)->text().trimmed();
        if (!text.isEmpty())
            out.append(text);
    }
    return out;
}

void PreambleEditor::addPreamble()
{
    m_table->insertRow(m_table->rowCount());
    const int row = m_table->rowCount() - 1;
    m_table->setItem(row, 0, new QTableWidgetItem);
    m_table->setCurrentCell(row, 0);
    m_table->editItem(m_table->item(row, 0));
}

void PreambleEditor::removeSelectedPreambles()
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        m_table->removeRow(row);
    validateAll();
}

void PreambleEditor::validateAll()
{
    if (m_validating)
        return;
    m_validating = true;
    bool valid = true;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem *item = m_table->item(row, 0);
        if (!item)
            continue;
        const bool bad = !BibElement::bracesBalance(item->text());
        item->setForeground(bad ? QBrush(Qt::red) : QBrush());
        item->setToolTip(bad ? Texts::text(u"FieldSyntaxError") : QString());
        valid = valid && !bad;
    }
    m_valid = valid;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(valid);
    m_validating = false;
}
