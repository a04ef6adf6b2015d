#include "settings/EncodingPopup.h"

#include "core/TextEncodings.h"
#include "prefs/BibPreferences.h"
#include "settings/EncodingListEditor.h"

#include <QSignalBlocker>

namespace {

// The role of an item's encoding code; the editor item and the separator hold 0.
constexpr int kCodeRole = Qt::UserRole;
// The role of an item's menu tag (9150 for the editor item).
constexpr int kTagRole = Qt::UserRole + 1;

} // namespace

EncodingPopup::EncodingPopup(QWidget *parent)
    : QComboBox(parent), m_menu(*BibPreferences::globalPreferences())
{
    setSizeAdjustPolicy(QComboBox::AdjustToContents);
    rebuild();
    connect(this, &QComboBox::currentIndexChanged, this, [this](int index) {
        // Whatever made the editor item current (a click, a key, a program),
        // encoding() keeps answering the last encoding, and the selection
        // goes back to it once the event is handled; activated(), which comes
        // after this, opens the editor when the user chose the item.
        const quint32 code = itemData(index, kCodeRole).toUInt();
        if (code == 0) {
            QMetaObject::invokeMethod(
                this, [this] { selectCode(m_lastEncoding); }, Qt::QueuedConnection);
            return;
        }
        if (code != m_lastEncoding) {
            m_lastEncoding = code;
            m_menu.selectEncodeing(code);
            Q_EMIT encodingChanged(static_cast<int>(code));
        }
    });
    connect(this, &QComboBox::activated, this, &EncodingPopup::itemActivated);
}

void EncodingPopup::rebuild()
{
    m_menu.setEncodingMenu();
    if (m_lastEncoding != 0)
        m_menu.selectEncodeing(m_lastEncoding);
    else
        m_lastEncoding = m_menu.selectedEncodeing();
    if (m_lastEncoding == 0) {
        // No active encoding is known here (a list from another system):
        // offer UTF-8 rather than nothing.
        m_lastEncoding = TextEncodings::UTF8;
        m_menu.selectEncodeing(m_lastEncoding);
    }
    fillItems();
}

void EncodingPopup::setEncoding(int code)
{
    const auto encodingCode = static_cast<quint32>(code);
    if (TextEncodings::nameOfEncoding(encodingCode).isEmpty())
        return; // not an encoding of this system: keep the selection
    m_lastEncoding = encodingCode;
    m_menu.selectEncodeing(encodingCode);
    if (findData(encodingCode, kCodeRole) < 0)
        fillItems(); // the code became an extra item
    else
        selectCode(encodingCode);
}

int EncodingPopup::encoding() const
{
    return static_cast<int>(m_lastEncoding);
}

EncodingListEditor *EncodingPopup::openEditor() const
{
    return m_editor.data();
}

void EncodingPopup::fillItems()
{
    const QSignalBlocker blocker(this);
    clear();
    for (const EncodingMenuModel::Item &item : m_menu.items()) {
        if (item.separator) {
            insertSeparator(count());
            continue;
        }
        addItem(item.title);
        const int row = count() - 1;
        setItemData(row, item.tag, kTagRole);
        setItemData(row, item.tag == 0 ? TextEncodings::encodingOfName(item.title) : 0u, kCodeRole);
    }
    selectCode(m_lastEncoding);
}

void EncodingPopup::selectCode(quint32 code)
{
    const QSignalBlocker blocker(this);
    const int row = findData(code, kCodeRole);
    if (row >= 0) {
        setCurrentIndex(row);
        return;
    }
    // No such item (nothing was ever selected): take the first encoding.
    for (int index = 0; index < count(); ++index) {
        const quint32 candidate = itemData(index, kCodeRole).toUInt();
        if (candidate != 0) {
            m_lastEncoding = candidate;
            setCurrentIndex(index);
            return;
        }
    }
}

void EncodingPopup::itemActivated(int index)
{
    if (itemData(index, kTagRole).toInt() == EncodingMenuModel::kEditEncodingsTag)
        editEncodings();
}

void EncodingPopup::editEncodings()
{
    selectCode(m_lastEncoding);
    if (m_editor) {
        m_editor->raise();
        return;
    }
    m_editor = new EncodingListEditor(BibPreferences::globalPreferences()->activeEncodings(), this);
    m_editor->setAttribute(Qt::WA_DeleteOnClose);
    m_editor->setWindowModality(Qt::WindowModal);
    connect(m_editor, &QDialog::finished, this, &EncodingPopup::editorFinished);
    m_editor->open();
}

void EncodingPopup::editorFinished(int result)
{
    if (result == QDialog::Accepted && m_editor)
        m_editor->applyTo(*BibPreferences::globalPreferences());
    rebuild();
}
