#pragma once

#include "model/BibItem.h"

#include <QString>
#include <QStringList>

#include <optional>

class MacroSource;

// The shared services an entry reaches while it builds its forms: the value
// grammar, the TeX-to-text converter, the name parser, the common macros and the
// preferences the formatted forms read. One seam, so that the entry code reads
// as the entry's own logic. Stateless; as thread-safe as the services (all are
// read-only after start-up).
class ItemServices
{
public:
    // The common (predefined) macro list of the preferences.
    static const MacroSource *commonMacros();
    // TeX markup converted to Unicode display text.
    static QString texToText(const QString &tex);

    // A plain field value with its braces checked and its quotes normalised.
    static std::optional<QString> checkNesting(const QString &text);
    // A value typed as "@expression": its value elements and normalised text.
    static std::optional<BibItem::ElementList> checkValidity(const QString &text,
                                                             QString &normalized);
    // Field lines ("name = value, ...") without key or enclosing braces.
    static std::optional<BibItem::FieldElements> parseFieldLines(const QString &text,
                                                                 QString &error);

    static BibItem::NameList createNamesFrom(const QString &text);
    static BibItem::NameList createTeXNamesFrom(const QString &texText);

    // Preferences read by the formatted forms.
    struct CopyNameSettings
    {
        int format = 1;
        QString separator = QStringLiteral(", ");
        bool abbreviate = true;
        int nonAbbrevNum = 10;
        int abbrevNum = 5;
    };
    static CopyNameSettings copyNameSettings();
    static int authorListFormat();
    // The list format template of an entry type (the first of its formats),
    // falling back to the "~~ undefined ~~" definition.
    static QString listFormatOfType(const QString &bibType);
    static QString bibkeyGenRule();

    // One column of the item list: identifier, alignment, candidate fields.
    struct Column
    {
        QString identifier;
        QString alignment;
        QStringList fields;
    };
    static QList<Column> listColumns();
};
