#pragma once

#include "storage/BibDatabase.h"

#include <QString>

class QMimeData;

// The copy formats of the entry list: the text of a list of entries in an
// output kind (0 keys, 1 \cite, 2 \nocite, 3 \bibitem list, 4 HTML list,
// 5 tab list, 6 plain HTML, 7 text list) with the list prefix of the
// preferences and, when asked for, the yen sign for the backslash; and the
// clipboard contents of the text and rich-text lists. Stateless; main thread.
class CopyFormats
{
public:
    static QString itemsText(const BibItemList &items, int format);
    // The plain HTML list as text/html, its text as text/plain and its rich
    // text as text/rtf (and the older application/rtf).
    static QMimeData *richListData(const BibItemList &items);
    // The text of an HTML fragment of the list tags (p, ul, ol, li, b, i, u,
    // sub, sup, br and entities).
    static QString plainTextFromHtml(const QString &html);
};
