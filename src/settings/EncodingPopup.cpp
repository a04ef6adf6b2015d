#include "settings/EncodingPopup.h"

#include "prefs/BibPreferences.h"
#include "settings/EncodingListEditor.h"

EncodingPopup::EncodingPopup(QWidget *parent)
    : QComboBox(parent), m_menu(*BibPreferences::globalPreferences())
{}

void EncodingPopup::rebuild() {}

void EncodingPopup::setEncoding(int code)
{
    m_lastEncoding = static_cast<quint32>(code);
}

int EncodingPopup::encoding() const
{
    return static_cast<int>(m_lastEncoding);
}

EncodingListEditor *EncodingPopup::openEditor() const
{
    return m_editor.data();
}

void EncodingPopup::fillItems() {}
void EncodingPopup::selectCode(quint32) {}
void EncodingPopup::itemActivated(int) {}
void EncodingPopup::editEncodings() {}
void EncodingPopup::editorFinished(int) {}
