#include "editor/RawFieldText.h"

#include "editor/DetailInfoController.h"
#include "editor/RawTextHighlighter.h"
#include "model/BibItem.h"

#include <QFontDatabase>

RawFieldText::RawFieldText(DetailInfoController *controller, QWidget *parent)
    : EntryTextView(controller, parent)
{
    setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setLineWrapMode(QPlainTextEdit::NoWrap);
    new RawTextHighlighter(document());
}

QString RawFieldText::textOfItem(const BibItem &item) const
{
    return item.rawField();
}

bool RawFieldText::storeText(BibItem &item, const QString &text)
{
    return item.setRawFields(text);
}

void RawFieldText::notifyController()
{
    m_infoController->rawDataChanged();
}
