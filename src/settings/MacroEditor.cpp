#include "settings/MacroEditor.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <set>

using namespace Qt::StringLiterals;

MacroEditor::MacroEditor(const QString &title, const MacroList &macros, QWidget *parent)
    : QDialog(parent), m_common(macros.common()), m_table(new QTableWidget(0, 2, this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(title);
    m_table->setHorizontalHeaderLabels(
        {Texts::text(u"Macro_NameColumn"), Texts::text(u"Macro_ValueColumn")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    for (const QString &name : macros.macroNameList())
        appendRow(name, macros.macroDataForEdit().value(name));

    auto *add = new QPushButton(Texts::text(u"Macro_Add"), this);
    auto *remove = new QPushButton(Texts::text(u"Macro_Remove"), this);
    auto *import = new QPushButton(Texts::text(u"Macro_Import"), this);
    auto *row = new QHBoxLayout;
    row->addWidget(add);
    row->addWidget(remove);
    row->addStretch(1);
    row->addWidget(import);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_table, 1);
    layout->addLayout(row);
    layout->addWidget(m_buttons);
    resize(560, 420);

    connect(add, &QPushButton::clicked, this, &MacroEditor::addMacro);
    connect(remove, &QPushButton::clicked, this, &MacroEditor::removeSelectedMacros);
    connect(import, &QPushButton::clicked, this, &MacroEditor::chooseStyleFile);
    connect(m_table, &QTableWidget::itemChanged, this, &MacroEditor::validateAll);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_valid)
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    validateAll();
}

void MacroEditor::appendRow(const QString &name, const QString &value)
{
    const int row = m_table->rowCount();
    m_validating = true; // one check once both cells exist
    m_table->insertRow(row);
    m_table->setItem(row, 0, new QTableWidgetItem(name));
    m_table->setItem(row, 1, new QTableWidgetItem(value));
    m_validating = false;
}

MacroList MacroEditor::macros() const
{
    MacroList list(m_common);
    for (int row = 0; row < m_table->rowCount(); ++row) {
        bool error = false;
        const QString name = MacroList::validateMacroName(m_table->item(row, 0)->text(), error);
        const QString value = MacroList::validateMacroData(m_table->item(row, 1)->text(), error);
        if (!name.isEmpty())
            list.setMacroWithName(name, value);
    }
    return list;
}

void MacroEditor::validateAll()
{
    if (m_validating)
        return;
    m_validating = true;
    bool valid = true;
    std::set<QString> seen;
    for (int row = 0; row < m_table->rowCount(); ++row) {
        QTableWidgetItem *nameItem = m_table->item(row, 0);
        QTableWidgetItem *valueItem = m_table->item(row, 1);
        bool nameError = false;
        bool valueError = false;
        const QString name = MacroList::validateMacroName(nameItem->text(), nameError);
        MacroList::validateMacroData(valueItem->text(), valueError);
        nameError = nameError || name.isEmpty();
        const bool duplicate = !nameError && !seen.insert(name).second;
        const auto mark = [](QTableWidgetItem *item, bool bad, const QString &why) {
            item->setForeground(bad ? QBrush(Qt::red) : QBrush());
            item->setToolTip(bad ? why : QString());
        };
        mark(nameItem, nameError || duplicate,
             Texts::text(duplicate ? u"FieldDupNameError" : u"FieldSyntaxError"));
        mark(valueItem, valueError, Texts::text(u"FieldSyntaxError"));
        valid = valid && !nameError && !duplicate && !valueError;
    }
    m_valid = valid;
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(valid);
    m_validating = false;
}

void MacroEditor::addMacro()
{
    const MacroList current = macros();
    appendRow(current.uniqueMacroName(u"NEW"_s), QString());
    validateAll();
    const int row = m_table->rowCount() - 1;
    m_table->setCurrentCell(row, 0);
    m_table->editItem(m_table->item(row, 0));
}

void MacroEditor::removeSelectedMacros()
{
    QList<int> rows;
    for (const QModelIndex &index : m_table->selectionModel()->selectedRows())
        rows.append(index.row());
    std::sort(rows.begin(), rows.end(), std::greater<>());
    for (int row : rows)
        m_table->removeRow(row);
    validateAll();
}

bool MacroEditor::importFromStyleFile(const QString &path)
{
    QString error;
    const std::optional<MacroList> imported = MacroList::macroListFromBstFile(path, error);
    if (!imported) {
        AlertRequest request;
        request.title = Texts::text(u"Macro_ImportFailed");
        request.message = error;
        request.defaultButton = Texts::text(u"OK");
        AlertPresenter::show(request);
        return false;
    }
    for (const QString &name : imported->macroNameList()) {
        const QString value = imported->macroDataForEdit().value(name);
        const auto found = m_table->findItems(name, Qt::MatchFixedString);
        const auto inNameColumn = std::find_if(found.begin(), found.end(),
                                               [](auto *item) { return item->column() == 0; });
        if (inNameColumn != found.end())
            m_table->item((*inNameColumn)->row(), 1)->setText(value);
        else
            appendRow(name, value);
    }
    validateAll();
    return true;
}

void MacroEditor::chooseStyleFile()
{
    const QString path = QFileDialog::getOpenFileName(this, Texts::text(u"Macro_Import"), QString(),
                                                      u"BibTeX style (*.bst)"_s);
    if (!path.isEmpty())
        importFromStyleFile(path);
}
