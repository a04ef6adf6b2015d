#include "editor/BibFieldDataField.h"

#include "core/Texts.h"
#include "editor/DetailInfoController.h"
#include "editor/LineEditSpelling.h"
#include "editor/SpellChecker.h"
#include "model/BibItem.h"
#include "model/MacroInsertion.h"
#include "prefs/BibPreferences.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Characters a single-line value cannot hold become spaces; the yen mark
// typed for a backslash becomes one.
bool convertChars(QString &text)
{
    bool changed = false;
    const QString yen = Texts::text(u"yenmark");
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u == 0 || u == 0x00A0 || u == u'\n' || u == u'\r' || u == u'\t') {
            c = u' ';
            changed = true;
        } else if (yen.size() == 1 && c == yen.at(0)) {
            c = u'\\';
            changed = true;
        }
    }
    return changed;
}

} // namespace

BibFieldDataField::BibFieldDataField(DetailInfoController *controller, QLabel *titleField,
                                     QWidget *parent)
    : QLineEdit(parent), m_infoController(controller), m_titleField(titleField),
      m_spelling(new LineEditSpelling(
          this, [this] { return isEnableEdit() && SpellChecker::checksField(m_fieldName); }))
{
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this, [this] { fieldTextChanged(); });
    connect(this, &QLineEdit::editingFinished, this, [this] {
        if (!m_settingUp && isEnableEdit() && m_verdict == FieldVerdict::Accepted)
            m_infoController->fixCurrentItem();
    });
}

void BibFieldDataField::setFieldName(const QString &name, bool required)
{
    const QString lower = name.toLower();
    if (lower != m_fieldName)
        m_dataChanged = false;
    m_fieldName = lower;
    QString colour;
    if (m_fieldName.isEmpty()) {
        m_locked = true;
        m_permitMacro = false;
        m_titleField->setText(u"-----:"_s);
        colour = u"#b0b0b0"_s;
    } else {
        m_locked = m_fieldName == u"database"_s;
        m_permitMacro = !m_locked && MacroInsertion::permitsMacro(m_fieldName);
        m_titleField->setText(m_fieldName + u':');
        colour = required || m_locked ? u"black"_s : u"blue"_s;
    }
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    m_pasteKind = prefs && !m_locked
                      ? SmartPaste::kindOfField(m_fieldName, prefs->smartAuthorPaste(),
                                                prefs->smartTitlePaste())
                      : SmartPaste::Kind::None;
    m_titleField->setStyleSheet(u"color: "_s + colour);
    m_titleField->setProperty("required", required);
    m_spelling->refresh();
}

void BibFieldDataField::setItem(const std::shared_ptr<BibItem> &item)
{
    // Showing the same entry again (a new layout) keeps the undo point.
    const bool sameItem = item == m_currentItem && m_dataChanged;
    m_currentItem = item;
    if (isEnableEdit() && !sameItem)
        startUndoPoint();
    setupData();
}

void BibFieldDataField::setEditMode(bool on)
{
    m_inEditMode = on;
    if (isEnableEdit())
        startUndoPoint();
    setupData();
}

void BibFieldDataField::startUndoPoint()
{
    m_dataChanged = false;
    m_undoBuffer = m_currentItem ? m_currentItem->fieldDataForEdit(m_fieldName) : QString();
}

bool BibFieldDataField::isEnableEdit() const
{
    return m_inEditMode && !m_locked && m_currentItem && m_infoController->currentItemEditable();
}

void BibFieldDataField::setupData()
{
    m_settingUp = true;
    const bool editable = isEnableEdit();
    if (!m_currentItem || m_fieldName.isEmpty())
        setText(QString());
    else
        setText(editable ? m_currentItem->fieldDataForEdit(m_fieldName)
                         : m_currentItem->fieldDataForView(m_fieldName));
    setReadOnly(!editable);
    setCursorPosition(0);
    m_verdict = FieldVerdict::Accepted;
    FieldVerdict::show(this, m_verdict);
    m_prevText = text();
    m_settingUp = false;
}

void BibFieldDataField::fieldTextChanged()
{
    if (m_settingUp || !isEnableEdit())
        return;
    m_settingUp = true;
    QString value = text();
    if (rewritePaste()) {
        value = text();
    } else if (convertChars(value)) {
        const int cursor = cursorPosition();
        setText(value);
        setCursorPosition(cursor);
    }
    m_dataChanged = true;
    m_infoController->enableUndoButton();
    if (!FieldVerdict::canEncode(value, m_infoController->dbEncoding()))
        m_verdict = FieldVerdict::BadChar;
    else if (m_currentItem->setFieldData(value, m_fieldName))
        m_verdict = FieldVerdict::Accepted;
    else
        m_verdict = FieldVerdict::SyntaxError;
    FieldVerdict::show(this, m_verdict);
    if (!m_infoController->executingUndo())
        m_infoController->fieldDataChanged();
    m_prevText = text();
    m_settingUp = false;
}

bool BibFieldDataField::rewritePaste()
{
    const std::optional<PasteEdit> edit = std::exchange(m_pasteEdit, std::nullopt);
    if (!edit || m_pasteKind == SmartPaste::Kind::None)
        return false;
    const QString pasted = text();
    const SmartPaste::Range range =
        edit->positionKnown ? SmartPaste::Range{edit->start, pasted.size() - edit->keptLength}
                            : SmartPaste::insertedRange(m_prevText, pasted);
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    if (!prefs)
        return false;
    const SmartPaste paste(TitleSmartPaste::WordLists::fromPreferences(*prefs));
    const SmartPaste::Outcome outcome = paste.textChanged(pasted, range, m_pasteKind);
    if (!outcome.rewritten)
        return false;
    // One edit of the field's own history, so that its undo gives back the
    // text as it was pasted.
    selectAll();
    insert(outcome.text);
    if (outcome.cursor)
        setCursorPosition(int(*outcome.cursor));
    return true;
}

template<typename Edit> void BibFieldDataField::runPaste(bool positionKnown, Edit edit)
{
    PasteEdit paste;
    paste.positionKnown = positionKnown;
    paste.start = hasSelectedText() ? selectionStart() : cursorPosition();
    paste.keptLength = text().size() - selectedText().size();
    m_pasteEdit = paste;
    edit();
    // An edit that changed nothing leaves no paste behind for the next one.
    m_pasteEdit.reset();
}

void BibFieldDataField::pasteClipboard()
{
    runPaste(true, [this] { paste(); });
}

void BibFieldDataField::insertMacro(const QString &macro)
{
    if (!m_permitMacro || !isEnableEdit() || macro.isEmpty())
        return;
    const qsizetype start = hasSelectedText() ? selectionStart() : cursorPosition();
    const qsizetype length = hasSelectedText() ? selectedText().size() : 0;
    const MacroInsertion::Result result = MacroInsertion::insertMacro(text(), start, length, macro);
    m_settingUp = true;
    setText(result.text);
    setCursorPosition(int(result.cursor));
    m_settingUp = false;
    fieldTextChanged();
}

void BibFieldDataField::setDirty()
{
    if (isEnableEdit())
        m_dataChanged = true;
}

void BibFieldDataField::undoEdit()
{
    if (!isEnableEdit() || !m_dataChanged)
        return;
    m_settingUp = true;
    setText(m_undoBuffer);
    m_settingUp = false;
    fieldTextChanged();
    m_dataChanged = false;
}

void BibFieldDataField::reloadPreferences()
{
    setFieldName(m_fieldName, m_titleField->property("required").toBool());
}

void BibFieldDataField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && isEnableEdit() && text() != m_undoBuffer) {
        // Cancels the change in progress.
        m_dataChanged = true;
        undoEdit();
        event->accept();
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        runPaste(true, [this, event] { QLineEdit::keyPressEvent(event); });
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void BibFieldDataField::mouseReleaseEvent(QMouseEvent *event)
{
    // A middle click pastes the primary selection where the click put the
    // insertion point.
    if (event->button() == Qt::MiddleButton)
        runPaste(false, [this, event] { QLineEdit::mouseReleaseEvent(event); });
    else
        QLineEdit::mouseReleaseEvent(event);
}

void BibFieldDataField::dropEvent(QDropEvent *event)
{
    // Text moved inside the field is not pasted text.
    if (event->source() == this)
        QLineEdit::dropEvent(event);
    else
        runPaste(false, [this, event] { QLineEdit::dropEvent(event); });
}

void BibFieldDataField::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createContextMenu(event->pos());
    menu->exec(event->globalPos());
    delete menu;
}

QMenu *BibFieldDataField::createContextMenu(const QPoint &pos)
{
    QMenu *menu = createStandardContextMenu();
    m_spelling->addSuggestions(menu, pos);
    // The toolkit's Paste item, known by its title (before the shortcut),
    // pastes through the smart paste.
    const QString pasteTitle = QCoreApplication::translate("QLineEdit", "&Paste");
    for (QAction *action : menu->actions()) {
        if (action->text().section(u'\t', 0, 0) != pasteTitle)
            continue;
        disconnect(action, &QAction::triggered, nullptr, nullptr);
        connect(action, &QAction::triggered, this, &BibFieldDataField::pasteClipboard);
    }
    menu->addSeparator();
    QMenu *macros = menu->addMenu(Texts::text(u"MacroMenuTitle"));
    m_infoController->buildMacroMenu();
    for (QAction *source : m_infoController->macroMenu()->actions()) {
        if (source->isSeparator()) {
            macros->addSeparator();
            continue;
        }
        const int tag = source->data().toInt();
        if (tag < DetailInfoController::TagDatabaseMacros)
            continue;
        QAction *item = macros->addAction(source->text());
        item->setEnabled(m_permitMacro && isEnableEdit());
        connect(item, &QAction::triggered, this,
                [this, tag] { insertMacro(m_infoController->macroNameForTag(tag)); });
    }
    return menu;
}
