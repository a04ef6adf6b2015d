#include "editor/EntryTextView.h"

#include "core/Texts.h"
#include "editor/DetailInfoController.h"
#include "model/BibItem.h"
#include "model/EditTextCleanup.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextCursor>

EntryTextView::EntryTextView(DetailInfoController *controller, QWidget *parent)
    : QPlainTextEdit(parent), m_infoController(controller)
{
    setReadOnly(true);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::textChanged, this, [this] { didChangeText(); });
}

void EntryTextView::setItem(const std::shared_ptr<BibItem> &item)
{
    const bool sameItem = item == m_currentItem && m_dataChanged;
    m_currentItem = item;
    if (isEnableEdit() && !sameItem)
        startUndoPoint();
    setupData();
}

void EntryTextView::setEditMode(bool on)
{
    m_inEditMode = on;
    if (isEnableEdit())
        startUndoPoint();
    setupData();
}

void EntryTextView::startUndoPoint()
{
    m_dataChanged = false;
    m_undoBuffer = textOfItem(*m_currentItem);
}

bool EntryTextView::isEnableEdit() const
{
    return m_inEditMode && m_currentItem && m_infoController->currentItemEditable();
}

void EntryTextView::setupData()
{
    m_settingUp = true;
    const QString text = m_currentItem ? textOfItem(*m_currentItem) : QString();
    if (text != toPlainText())
        setPlainText(text);
    setReadOnly(!isEnableEdit());
    m_verdict = FieldVerdict::Accepted;
    FieldVerdict::show(this, m_verdict);
    m_settingUp = false;
}

void EntryTextView::replaceAll(const QString &text)
{
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    cursor.select(QTextCursor::Document);
    cursor.insertText(text);
    cursor.endEditBlock();
}

void EntryTextView::didChangeText()
{
    if (m_settingUp || !isEnableEdit())
        return;
    m_settingUp = true;
    const EditTextCleanup cleaned =
        EditTextCleanup::clean(toPlainText(), textCursor().position(), Texts::text(u"yenmark"));
    if (cleaned.changed) {
        replaceAll(cleaned.text);
        QTextCursor cursor = textCursor();
        cursor.setPosition(int(cleaned.cursor));
        setTextCursor(cursor);
    }
    m_dataChanged = true;
    m_infoController->enableUndoButton();
    if (!FieldVerdict::canEncode(cleaned.text, m_infoController->dbEncoding()))
        m_verdict = FieldVerdict::BadChar;
    else if (storeText(*m_currentItem, cleaned.text))
        m_verdict = FieldVerdict::Accepted;
    else
        m_verdict = FieldVerdict::SyntaxError;
    FieldVerdict::show(this, m_verdict);
    if (!m_infoController->executingUndo())
        notifyController();
    m_settingUp = false;
}

void EntryTextView::insertAtCursor(const QString &text)
{
    if (isEnableEdit())
        insertPlainText(text);
}

void EntryTextView::setDirty()
{
    if (isEnableEdit())
        m_dataChanged = true;
}

void EntryTextView::undoEdit()
{
    if (!isEnableEdit() || !m_dataChanged)
        return;
    m_settingUp = true;
    replaceAll(m_undoBuffer);
    m_settingUp = false;
    didChangeText();
    m_dataChanged = false;
}

void EntryTextView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && isEnableEdit() && toPlainText() != m_undoBuffer) {
        m_dataChanged = true;
        undoEdit();
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void EntryTextView::focusOutEvent(QFocusEvent *event)
{
    QPlainTextEdit::focusOutEvent(event);
    if (isEnableEdit() && m_verdict == FieldVerdict::Accepted && m_currentItem &&
        m_currentItem->isDirty())
        m_infoController->fixCurrentItem();
}
