#include "settings/MacroEditor.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"

#include <QFileDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>
#include <set>

using namespace Qt::StringLiterals;

MacroEditor::MacroEditor(const QString &title, const MacroList &macros, QWidget *parent)
    : RowTableDialog(title, {Texts::text(u"Macro_NameColumn"), Texts::text(u"Macro_ValueColumn")},
                     parent),
      m_common(macros.common())
{
    for (const QString &name : macros.macroNameList())
        appendRow({name, macros.macroDataForEdit().value(name)});
    auto *import = new QPushButton(Texts::text(u"Macro_Import"), this);
    buttonRow()->addWidget(import);
    resize(560, 420);

    connect(addButton(), &QPushButton::clicked, this, &MacroEditor::addMacro);
    connect(import, &QPushButton::clicked, this, &MacroEditor::chooseStyleFile);
    validateAll();
}

MacroList MacroEditor::macros() const
{
    MacroList list(m_common);
    const QTableWidget *rows = table();
    for (int row = 0; row < rows->rowCount(); ++row) {
        bool error = false;
        const QString name = MacroList::validateMacroName(rows->item(row, 0)->text(), error);
        const QString value = MacroList::validateMacroData(rows->item(row, 1)->text(), error);
        if (!name.isEmpty())
            list.setMacroWithName(name, value);
    }
    return list;
}

bool MacroEditor::checkRows()
{
    QTableWidget *rows = table();
    bool valid = true;
    std::set<QString> seen;
    for (int row = 0; row < rows->rowCount(); ++row) {
        QTableWidgetItem *nameItem = rows->item(row, 0);
        QTableWidgetItem *valueItem = rows->item(row, 1);
        bool nameError = false;
        bool valueError = false;
        const QString name = MacroList::validateMacroName(nameItem->text(), nameError);
        MacroList::validateMacroData(valueItem->text(), valueError);
        nameError = nameError || name.isEmpty();
        const bool duplicate = !nameError && !seen.insert(name).second;
        markCell(nameItem, nameError || duplicate,
                 Texts::text(duplicate ? u"FieldDupNameError" : u"FieldSyntaxError"));
        markCell(valueItem, valueError, Texts::text(u"FieldSyntaxError"));
        valid = valid && !nameError && !duplicate && !valueError;
    }
    return valid;
}

void MacroEditor::addMacro()
{
    const MacroList current = macros();
    appendRow({current.uniqueMacroName(u"NEW"_s), QString()});
    validateAll();
    editLastRow();
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
        const auto found = table()->findItems(name, Qt::MatchFixedString);
        const auto inNameColumn = std::find_if(found.begin(), found.end(),
                                               [](auto *item) { return item->column() == 0; });
        if (inNameColumn != found.end())
            table()->item((*inNameColumn)->row(), 1)->setText(value);
        else
            appendRow({name, value});
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
