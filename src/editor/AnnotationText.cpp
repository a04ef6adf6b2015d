#include "editor/AnnotationText.h"

#include "editor/DetailInfoController.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

AnnotationText::AnnotationText(DetailInfoController *controller, QWidget *parent)
    : EntryTextView(controller, parent),
      m_fieldName(BibPreferences::globalPreferences()->annoteIdentifier().toLower())
{}

void AnnotationText::reloadPreferences()
{
    m_fieldName = BibPreferences::globalPreferences()->annoteIdentifier().toLower();
    EntryTextView::reloadPreferences();
}

QString AnnotationText::textOfItem(const BibItem &item) const
{
    return item.fieldDataForEdit(m_fieldName);
}

bool AnnotationText::storeText(BibItem &item, const QString &text)
{
    return item.setFieldData(text, m_fieldName);
}

void AnnotationText::notifyController()
{
    m_infoController->fieldDataChanged();
}
