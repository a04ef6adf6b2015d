#include "settings/EncodingListEditor.h"

#include "prefs/BibPreferences.h"

#include <QDialogButtonBox>
#include <QPushButton>

EncodingListEditor::EncodingListEditor(const QList<quint32> &active, QWidget *parent)
    : QDialog(parent)
{
    m_checklist.setMarks(active);
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
}

bool EncodingListEditor::editEncodingMenu(QWidget *)
{
    return false;
}

bool EncodingListEditor::applyTo(BibPreferences &preferences) const
{
    return m_checklist.confirm(preferences);
}

QPushButton *EncodingListEditor::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void EncodingListEditor::showMarks() {}
void EncodingListEditor::updateButtons() {}
void EncodingListEditor::itemChanged(QListWidgetItem *) {}
