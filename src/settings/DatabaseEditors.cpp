#include "settings/DatabaseEditors.h"

#include "core/Texts.h"
#include "model/MacroList.h"
#include "settings/MacroEditor.h"
#include "settings/PreambleEditor.h"
#include "settings/PropertySheets.h"
#include "storage/RealDatabase.h"

namespace {

std::function<RealDatabase *()> finder(const RealDatabase &database,
                                       std::function<BibDatabase *()> root)
{
    return [id = database.uniqueID(), root]() -> RealDatabase * {
        BibDatabase *found = PropertySheets::findNode(root ? root() : nullptr, id);
        return found && found->isRealDatabase() && !found->isLoading()
                   ? static_cast<RealDatabase *>(found)
                   : nullptr;
    };
}

void show(QDialog *dialog)
{
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    dialog->open();
}

} // namespace

QDialog *DatabaseEditors::openMacroEditor(RealDatabase &database, QWidget *parent,
                                          std::function<BibDatabase *()> root)
{
    if (!database.macroList())
        return nullptr;
    auto *editor = new MacroEditor(Texts::format(u"Macro_Title", {database.description()}),
                                   *database.macroList(), parent);
    QObject::connect(editor, &QDialog::accepted, editor, [editor, find = finder(database, root)] {
        if (RealDatabase *found = find())
            applyMacros(*found, editor->macros());
    });
    show(editor);
    return editor;
}

QDialog *DatabaseEditors::openPreambleEditor(RealDatabase &database, QWidget *parent,
                                             std::function<BibDatabase *()> root)
{
    auto *editor = new PreambleEditor(Texts::format(u"Preamble_Title", {database.description()}),
                                      database.preambleList(), parent);
    QObject::connect(editor, &QDialog::accepted, editor, [editor, find = finder(database, root)] {
        if (RealDatabase *found = find())
            applyPreambles(*found, editor->preambles());
    });
    show(editor);
    return editor;
}

void DatabaseEditors::applyMacros(RealDatabase &database, const MacroList &macros)
{
    if (!database.macroList() || *database.macroList() == macros)
        return;
    *database.macroList() = macros;
    database.macroListChanged();
}

void DatabaseEditors::applyPreambles(RealDatabase &database, const QStringList &preambles)
{
    if (database.preambleList() != preambles)
        database.setPreambleList(preambles);
}
