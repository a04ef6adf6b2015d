#include "app/CopyFormats.h"

#include "app/RtfWriter.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "storage/ItemsText.h"

#include <QMimeData>
#include <QTextDocument>

using namespace Qt::StringLiterals;

QString CopyFormats::itemsText(const BibItemList &items, int format)
{
    const BibPreferences *prefs = BibPreferences::globalPreferences();
    QString text = ItemsText::makeItemsText(items, format, prefs ? prefs->listPrefixOnCopy() : 0);
    if (prefs && prefs->convertToYen())
        text.replace(u'\\', Texts::text(u"yenmark"));
    return text;
}

QMimeData *CopyFormats::richListData(const BibItemList &items)
{
    const QString html = itemsText(items, 6);
    auto *data = new QMimeData;
    data->setHtml(html);
    data->setText(plainTextFromHtml(html));
    const QByteArray rtf = RtfWriter::fromHtml(html);
    data->setData(u"text/rtf"_s, rtf);
    data->setData(u"application/rtf"_s, rtf);
    return data;
}

QString CopyFormats::plainTextFromHtml(const QString &html)
{
    QTextDocument document;
    document.setHtml(html);
    return document.toPlainText();
}
