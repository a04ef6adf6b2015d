#include "model/MacroDefinition.h"

#include <QVariantMap>

QVariantList MacroDefinition::toVariant() const
{
    QVariantList nameList;
    QVariantMap data;
    for (const QString &name : names) {
        nameList.append(name);
        data.insert(name, dataForEdit.value(name));
    }
    return {QVariant(nameList), QVariant(data)};
}

std::optional<MacroDefinition> MacroDefinition::fromVariant(const QVariant &value)
{
    if (!value.canConvert<QVariantList>())
        return std::nullopt;
    const QVariantList list = value.toList();
    if (list.size() != 2 || !list.at(1).canConvert<QVariantMap>())
        return std::nullopt;
    if (list.at(0).typeId() != QMetaType::QStringList &&
        list.at(0).typeId() != QMetaType::QVariantList)
        return std::nullopt;
    const QStringList names = list.at(0).toStringList();
    const QVariantMap data = list.at(1).toMap();
    MacroDefinition definition;
    for (const QString &name : names) {
        const auto it = data.constFind(name);
        if (it == data.constEnd() || definition.dataForEdit.contains(name))
            continue;
        definition.names.append(name);
        definition.dataForEdit.insert(name, it.value().toString());
    }
    return definition;
}
