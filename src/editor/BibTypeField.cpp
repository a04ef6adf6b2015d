#include "editor/BibTypeField.h"

#include "editor/DetailInfoController.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

#include <QCompleter>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

BibTypeField::BibTypeField(DetailInfoController *controller, QLabel *titleField, QWidget *parent)
    : QComboBox(parent), m_infoController(controller), m_titleField(titleField)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    fillTypes();
    completer()->setCaseSensitivity(Qt::CaseInsensitive);
    completer()->setCompletionMode(QCompleter::InlineCompletion);
    lineEdit()->setReadOnly(true);
    m_titleField->setText(u"bibtype:"_s);
    m_titleField->setStyleSheet(u"color: black"_s);
    connect(lineEdit(), &QLineEdit::editingFinished, this, [this] { bibTypeChanged(); });
    connect(this, &QComboBox::activated, this, [this] { bibTypeChanged(); });
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!m_settingUp && isEnableEdit())
            m_infoController->enableUndoButton();
    });
}

void BibTypeField::fillTypes()
{
    m_settingUp = true;
    const QString current = currentText();
    clear();
    addItems(BibPreferences::globalPreferences()->bibTypesList());
    setEditText(current);
    m_settingUp = false;
}

QString BibTypeField::normalizedType(const QString &text)
{
    QString type = text.trimmed().toUpper();
    type.replace(u' ', u'_');
    return type.isEmpty() ? u"ARTICLE"_s : type;
}

bool BibTypeField::isReadableType(const QString &type)
{
    if (type.isEmpty() || type.at(0).isDigit())
        return false;
    for (QChar c : type) {
        if (c.isSpace() || !c.isPrint() || QStringView(u"\"#%'(),={}@\\~").contains(c))
            return false;
    }
    return true;
}

void BibTypeField::setItem(const std::shared_ptr<BibItem> &item)
{
    // Showing the same entry again (a new layout) keeps the undo point.
    const bool sameItem = item == m_currentItem && m_dataChanged;
    m_currentItem = item;
    if (isEnableEdit() && !sameItem) {
        m_dataChanged = false;
        m_undoBuffer = item->bibType();
    }
    setupData();
}

void BibTypeField::setEditMode(bool on)
{
    m_inEditMode = on;
    if (isEnableEdit()) {
        m_dataChanged = false;
        m_undoBuffer = m_currentItem->bibType();
    }
    setupData();
}

bool BibTypeField::isEnableEdit() const
{
    return m_inEditMode && m_currentItem && m_infoController->currentItemEditable();
}

void BibTypeField::setupData()
{
    m_settingUp = true;
    setEditText(m_currentItem ? m_currentItem->bibType() : QString());
    lineEdit()->setReadOnly(!isEnableEdit());
    lineEdit()->setCursorPosition(0);
    m_verdict = FieldVerdict::Accepted;
    FieldVerdict::show(lineEdit(), m_verdict);
    m_settingUp = false;
}

void BibTypeField::showPopup()
{
    if (isEnableEdit())
        QComboBox::showPopup();
}

void BibTypeField::bibTypeChanged()
{
    if (m_settingUp || !isEnableEdit())
        return;
    const QString type = normalizedType(currentText());
    if (!FieldVerdict::canEncode(type, m_infoController->dbEncoding()))
        m_verdict = FieldVerdict::BadChar;
    else if (!isReadableType(type))
        m_verdict = FieldVerdict::SyntaxError;
    else
        m_verdict = FieldVerdict::Accepted;
    FieldVerdict::show(lineEdit(), m_verdict);
    if (m_verdict != FieldVerdict::Accepted)
        return; // kept in red, never stored nor remembered
    m_settingUp = true;
    setEditText(type);
    m_settingUp = false;
    if (type == m_currentItem->bibType())
        return;
    m_dataChanged = true;
    BibPreferences::globalPreferences()->setLastCreatedBibType(type);
    m_infoController->bibtypeChanged(type);
}

void BibTypeField::undoEdit()
{
    if (!isEnableEdit() || !m_dataChanged)
        return;
    m_settingUp = true;
    setEditText(m_undoBuffer);
    m_settingUp = false;
    m_dataChanged = false;
    if (m_undoBuffer != m_currentItem->bibType())
        m_currentItem->setFieldData(m_undoBuffer, u"bibtype"_s);
    m_verdict = FieldVerdict::Accepted;
    FieldVerdict::show(lineEdit(), m_verdict);
}

void BibTypeField::setDirty()
{
    if (isEnableEdit())
        m_dataChanged = true;
}

void BibTypeField::reloadPreferences()
{
    fillTypes();
}
