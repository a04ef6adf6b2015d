#include "storage/ItemsText.h"

#include "model/BibItem.h"

using namespace Qt::StringLiterals;

QString ItemsText::makeItemsText(const BibItemList &items, int format, int prefix)
{
    QString text;
    if (format == 4) {
        if (prefix == 2)
            text = u"<ol style=\"list-style-type:decimal;\">\n\n"_s;
        else if (prefix == 3)
            text = u"<ul style=\"list-style-type:none;\">\n\n"_s;
        else if (prefix == 1)
            text = u"<ul style=\"list-style-type:disc;\">\n\n"_s;
    } else if (format == 6) {
        if (prefix == 1)
            text = u"<ul>\n\n"_s;
        else if (prefix == 2)
            text = u"<ol>\n\n"_s;
    }
    int number = 1;
    for (const BibItemPtr &item : items) {
        if (format <= 2 && !text.isEmpty())
            text += u", "_s;
        text += item->makeItemsTextWithFormat(format, number++, prefix);
    }
    if (format == 1) {
        text = u"\\cite{"_s + text + u'}';
    } else if (format == 2) {
        text = u"\\nocite{"_s + text + u'}';
    } else if (format == 4) {
        if (prefix == 2)
            text += u"</ol>\n"_s;
        else if (prefix == 3 || prefix == 1)
            text += u"</ul>\n"_s;
    } else if (format == 6) {
        if (prefix == 1)
            text += u"</ul>\n"_s;
        else if (prefix == 2)
            text += u"</ol>\n"_s;
    }
    return text;
}
