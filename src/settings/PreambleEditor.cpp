#include "settings/PreambleEditor.h"

#include "core/Texts.h"
#include "model/BibElement.h"

#include <QPushButton>
#include <QTableWidget>

PreambleEditor::PreambleEditor(const QString &title, const QStringList &preambles, QWidget *parent)
    : RowTableDialog(title, {Texts::text(u"Preamble_Column")}, parent)
{
    for (const QString &text : preambles)
        appendRow({text});
    resize(560, 320);
    connect(addButton(), &QPushButton::clicked, this, &PreambleEditor::addPreamble);
    validateAll();
}

QStringList PreambleEditor::preambles() const
{
    QStringList out;
    for (int row = 0; row < table()->rowCount(); ++row) {
        const QString text = table()->item(row, 0)->text().trimmed();
        if (!text.isEmpty())
            out.append(text);
    }
    return out;
}

void PreambleEditor::addPreamble()
{
    appendRow({QString()});
    validateAll();
    editLastRow();
}

bool PreambleEditor::checkRows()
{
    bool valid = true;
    for (int row = 0; row < table()->rowCount(); ++row) {
        QTableWidgetItem *item = table()->item(row, 0);
        if (!item)
            continue;
        const bool bad = !BibElement::bracesBalance(item->text());
        markCell(item, bad, Texts::text(u"FieldSyntaxError"));
        valid = valid && !bad;
    }
    return valid;
}
