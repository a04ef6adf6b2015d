#include "editor/AnnotationText.h"

#include "editor/DetailInfoController.h"
#include "editor/SpellHighlighter.h"
#include "model/BibItem.h"
#include "prefs/BibPreferences.h"

#include <QContextMenuEvent>
#include <QMenu>

AnnotationText::AnnotationText(DetailInfoController *controller, QWidget *parent)
    : EntryTextView(controller, parent),
      m_fieldName(BibPreferences::globalPreferences()->annoteIdentifier().toLower()),
      m_spelling(new SpellHighlighter(this, [this] { return isEnableEdit(); }))
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

void AnnotationText::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu(event->pos());
    m_spelling->addSuggestions(menu, event->pos());
    menu->exec(event->globalPos());
    delete menu;
}
