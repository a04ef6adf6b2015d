#include "settings/LineEndingPopup.h"

#include "core/Texts.h"

LineEndingPopup::LineEndingPopup(QWidget *parent) : QComboBox(parent)
{
    addItem(Texts::text(u"LineEnding_CR"));
    addItem(Texts::text(u"LineEnding_CRLF"));
    addItem(Texts::text(u"LineEnding_LF"));
    setCurrentIndex(2);
}

void LineEndingPopup::setLineEnding(int code)
{
    setCurrentIndex(code >= 0 && code <= 2 ? code : 2);
}
