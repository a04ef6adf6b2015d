#include "prefs/EncodingMenuModel.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

EncodingMenuModel::EncodingMenuModel(BibPreferences &preferences) : m_preferences(preferences) {}

void EncodingMenuModel::setEncodingMenu()
{
    QList<quint32> active = m_preferences.activeEncodings();
    if (active.isEmpty()) {
        active = TextEncodings::defaultActiveEncodings();
        m_preferences.setActiveEncodings(active);
    }
    struct Entry
    {
        QString name;
        quint32 code;
    };
    QList<Entry> entries;
    for (const quint32 code : active) {
        const QString name = TextEncodings::nameOfEncoding(code);
        const bool seen = std::any_of(entries.begin(), entries.end(),
                                      [&name](const Entry &entry) { return entry.name == name; });
        if (!name.isEmpty() && !seen)
            entries.append({name, code});
    }
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(entries.begin(), entries.end(), [&collator](const Entry &a, const Entry &b) {
        return collator.compare(a.name, b.name) < 0;
    });
    m_activeEncoding.clear();
    m_activeNames.clear();
    for (const Entry &entry : entries) {
        m_activeEncoding.append(entry.code);
        m_activeNames.append(entry.name);
    }
    m_extraNames.clear();
    if (!m_activeNames.contains(m_selectedTitle))
        m_selectedTitle = m_activeNames.value(0);
}

QList<EncodingMenuModel::Item> EncodingMenuModel::items() const
{
    QList<Item> result;
    result.append({Texts::text(u"EditEncodings"), kEditEncodingsTag, false});
    result.append({QString(), 0, true});
    for (const QString &name : m_activeNames)
        result.append({name, 0, false});
    for (const QString &name : m_extraNames)
        result.append({name, 0, false});
    return result;
}

void EncodingMenuModel::selectEncodeing(quint32 code)
{
    const QString name = TextEncodings::nameOfEncoding(code);
    if (name.isEmpty())
        return;
    if (!m_activeNames.contains(name) && !m_extraNames.contains(name))
        m_extraNames.append(name);
    m_selectedTitle = name;
}

quint32 EncodingMenuModel::selectedEncodeing() const
{
    return TextEncodings::encodingOfName(m_selectedTitle);
}
