#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

// The exchange form of a macro list (preferences, pasteboard, merging): the
// macro names in order and the edit form of each value. A plain value.
struct MacroDefinition
{
    QStringList names;
    QHash<QString, QString> dataForEdit; // name -> edit form

    bool operator==(const MacroDefinition &other) const = default;

    // The stored form: a two-element list, the names (a list of strings) and a
    // map name -> edit form.
    QVariantList toVariant() const;
    // Restores a stored form; none when `value` is not one. Names without a
    // value are dropped, so the result is always consistent.
    static std::optional<MacroDefinition> fromVariant(const QVariant &value);
};
