#pragma once

#include <QString>

class BibItem;
class ItemDatabase;
class QWidget;

// Whether an edited value was taken by its entry, and how a field widget shows
// it: black with no tool tip, or red with the reason ("FieldSyntaxError" when
// the entry could not read it, "FieldBadCharError" when the database's
// encoding cannot hold it). A value; the helpers are stateless.
class FieldVerdict
{
public:
    enum Kind
    {
        Accepted,
        SyntaxError,
        BadChar
    };

    // Colours `widget`'s text and sets its tool tip for `kind`.
    static void show(QWidget *widget, Kind kind);
    // The text encoding of the database holding `item` (UTF-16 without one).
    static unsigned encodingOf(const BibItem *item);
    // Whether `text` can be stored in a database of `encoding`.
    static bool canEncode(const QString &text, unsigned encoding);
    // Why `item` cannot be edited although it has a database: the key of the
    // reason (a file reserved by another user), or empty.
    static QString readOnlyReason(const BibItem *item);
    // The same for a database.
    static QString readOnlyReasonOf(const ItemDatabase *database);
    // The item can be edited: it has a database that is not reserved by
    // another user.
    static bool itemEditable(const BibItem *item);
};
