#include "editor/FieldVerdict.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/BibItem.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <QPalette>
#include <QWidget>

using namespace Qt::StringLiterals;

void FieldVerdict::show(QWidget *widget, Kind kind)
{
    QPalette palette = widget->palette();
    const QColor colour = kind == Accepted ? QColor(Qt::black) : QColor(Qt::red);
    if (palette.color(QPalette::Text) != colour) {
        palette.setColor(QPalette::Text, colour);
        widget->setPalette(palette);
    }
    switch (kind) {
    case Accepted:
        widget->setToolTip(QString());
        break;
    case SyntaxError:
        widget->setToolTip(Texts::text(u"FieldSyntaxError"));
        break;
    case BadChar:
        widget->setToolTip(Texts::text(u"FieldBadCharError"));
        break;
    }
}

unsigned FieldVerdict::encodingOf(const BibItem *item)
{
    if (item) {
        if (const auto *database = dynamic_cast<const RealDatabase *>(item->database()))
            return database->encoding();
    }
    return 10;
}

bool FieldVerdict::canEncode(const QString &text, unsigned encoding)
{
    return TextEncodings::canEncode(text, encoding);
}

QString FieldVerdict::readOnlyReason(const BibItem *item)
{
    return item ? readOnlyReasonOf(item->database()) : QString();
}

QString FieldVerdict::readOnlyReasonOf(const ItemDatabase *database)
{
    if (const auto *local = dynamic_cast<const LocalDatabase *>(database)) {
        if (!local->localProperties().hasPrivilegeToWrite())
            return u"Editor_ReservedReadOnly"_s;
    }
    return QString();
}

bool FieldVerdict::itemEditable(const BibItem *item)
{
    return item && item->isEditable() && readOnlyReason(item).isEmpty();
}
