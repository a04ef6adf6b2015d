#include "model/ItemServices.h"

#include "core/StringInputStream.h"
#include "model/AuthorName.h"
#include "model/BibElement.h"
#include "model/MacroList.h"
#include "prefs/BibPreferences.h"
#include "tex/TeXtoText.h"

#include <mutex>

using namespace Qt::StringLiterals;

const MacroSource *ItemServices::commonMacros()
{
    const BibPreferences *preferences = BibPreferences::globalPreferences();
    return preferences ? preferences->macroList() : nullptr;
}

QString ItemServices::texToText(const QString &tex)
{
    return TeXtoText::convertString(tex);
}

std::optional<QString> ItemServices::checkNesting(const QString &text)
{
    return BibElement::checkNesting(text);
}

std::optional<BibItem::ElementList> ItemServices::checkValidity(const QString &text,
                                                                QString &normalized)
{
    return BibElement::checkValidity(text, normalized);
}

std::optional<BibItem::FieldElements> ItemServices::parseFieldLines(const QString &text,
                                                                    QString &error)
{
    StringInputStream stream(text);
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(true);
    error.clear();
    const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, false);
    if (!error.isEmpty())
        return std::nullopt;
    std::optional<BibFieldDictionary> fields = BibElement::analyzeElements(elements, error, false);
    if (!fields)
        return std::nullopt;
    return BibItem::FieldElements(*fields);
}

BibItem::NameList ItemServices::createNamesFrom(const QString &text)
{
    return AuthorName::createNamesFrom(text);
}

BibItem::NameList ItemServices::createTeXNamesFrom(const QString &texText)
{
    return AuthorName::createTeXNamesFrom(texText);
}

ItemServices::CopyNameSettings ItemServices::copyNameSettings()
{
    CopyNameSettings settings;
    if (const BibPreferences *preferences = BibPreferences::globalPreferences()) {
        settings.format = preferences->authorListFormatOnCopy();
        settings.separator = preferences->authorSeparatorOnCopy();
        settings.abbreviate = preferences->authorAbbrevOnCopy();
        settings.nonAbbrevNum = preferences->authorNonAbbrevNum();
        settings.abbrevNum = preferences->authorAbbrevNum();
    }
    return settings;
}

int ItemServices::authorListFormat()
{
    const BibPreferences *preferences = BibPreferences::globalPreferences();
    return preferences ? preferences->authorListFormat() : 0;
}

QString ItemServices::listFormatOfType(const QString &bibType)
{
    const BibPreferences *preferences = BibPreferences::globalPreferences();
    if (!preferences)
        return {};
    const QVariantMap definitions = preferences->bibTypeDefinitions();
    QVariant definition = definitions.value(bibType.toUpper());
    if (!definition.isValid())
        definition = definitions.value(u"~~ undefined ~~"_s);
    const QVariantList parts = definition.toList();
    if (parts.size() < 3)
        return {};
    const QVariantList formats = parts.at(2).toList();
    return formats.isEmpty() ? QString() : formats.first().toString();
}

QString ItemServices::bibkeyGenRule()
{
    const BibPreferences *preferences = BibPreferences::globalPreferences();
    return preferences ? preferences->bibkeyGenRule() : QString();
}

QList<ItemServices::Column> ItemServices::listColumns()
{
    const BibPreferences *preferences = BibPreferences::globalPreferences();
    if (!preferences)
        return {};
    const QVariantMap definitions = preferences->listViewDefinitions();
    // Items are built by the thousand: read the definitions again only when
    // the preferences hold other ones.
    static std::mutex cacheLock; // guards the two below
    static QVariantMap cachedDefinitions;
    static QList<Column> cachedColumns;
    const std::lock_guard<std::mutex> lock(cacheLock);
    if (definitions.isSharedWith(cachedDefinitions))
        return cachedColumns;
    QList<Column> columns;
    columns.reserve(definitions.size());
    for (auto it = definitions.constBegin(); it != definitions.constEnd(); ++it) {
        const QVariantList definition = it.value().toList();
        Column column;
        column.identifier = it.key();
        if (definition.size() > 4)
            column.alignment = definition.at(4).toString();
        for (qsizetype i = 7; i < definition.size(); ++i)
            column.fields.append(definition.at(i).toString());
        columns.append(column);
    }
    cachedDefinitions = definitions;
    cachedColumns = columns;
    return columns;
}
