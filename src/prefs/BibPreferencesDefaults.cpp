#include "prefs/BibPreferences.h"

#include "core/TextEncodings.h"
#include "core/Texts.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;

// The built-in defaults of BibPreferences. The big tables live in the resource
// ":/tables/prefs-defaults.json".

namespace {

const QJsonObject &defaultTables()
{
    static const QJsonObject tables = [] {
        QFile file(u":/tables/prefs-defaults.json"_s);
        if (!file.open(QIODevice::ReadOnly))
            return QJsonObject();
        return QJsonDocument::fromJson(file.readAll()).object();
    }();
    return tables;
}

QVariantList stringArray(const QString &name)
{
    QVariantList list;
    for (const QJsonValue &value : defaultTables().value(name).toArray())
        list.append(value.toString());
    return list;
}

bool isRequiredName(const QString &name)
{
    if (name.isEmpty())
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) { return c >= u'A' && c <= u'Z'; });
}

QVariantMap defaultBibTypeDefinitions()
{
    QVariantMap definitions;
    for (const QJsonValue &entry : defaultTables().value(u"bibTypes"_s).toArray()) {
        const QJsonObject type = entry.toObject();
        QVariantList names;
        QVariantList required;
        for (const QString &slot :
             type.value(u"slots"_s).toString().split(u' ', Qt::SkipEmptyParts)) {
            const QString name = slot == u"-" ? QString() : slot;
            names.append(name.toLower());
            required.append(isRequiredName(name));
        }
        QVariantList formats;
        for (const QJsonValue &format : type.value(u"formats"_s).toArray())
            formats.append(format.toString());
        definitions.insert(type.value(u"type"_s).toString(),
                           QVariantList{names, required, formats});
    }
    return definitions;
}

QVariantMap defaultListViewDefinitions()
{
    QVariantMap columns;
    for (const QJsonValue &entry : defaultTables().value(u"listColumns"_s).toArray()) {
        const QJsonObject column = entry.toObject();
        QVariantList definition;
        for (const QJsonValue &element : column.value(u"definition"_s).toArray())
            definition.append(element.toString());
        columns.insert(column.value(u"key"_s).toString(), definition);
    }
    return columns;
}

QVariantList defaultInputButtons()
{
    QVariantList rows;
    int number = 0;
    for (const QJsonValue &entry : defaultTables().value(u"inputSupportButtons"_s).toArray()) {
        const QJsonArray row = entry.toArray();
        ++number;
        const QString mode = row.at(2).toString();
        const int modeCode = mode == u"math" ? 1 : mode == u"both" ? 2 : 0;
        const QString titleKey =
            u"support_others_"_s + QString::number(number).rightJustified(2, u'0');
        rows.append(QVariant(QVariantList{row.at(0).toString(), row.at(1).toString(), modeCode,
                                          Texts::text(titleKey)}));
    }
    return rows;
}

} // namespace

QStringList BibPreferences::predefinedMacroStringList()
{
    QStringList pairs;
    for (const QJsonValue &entry : defaultTables().value(u"predefinedMacros"_s).toArray()) {
        const QJsonArray pair = entry.toArray();
        pairs << pair.at(1).toString() << pair.at(0).toString();
    }
    return pairs;
}

QVariantList BibPreferences::predefinedMacroDefinition()
{
    QVariantList names;
    QVariantMap values;
    const QStringList pairs = predefinedMacroStringList();
    for (qsizetype i = 0; i + 1 < pairs.size(); i += 2) {
        const QString name = pairs[i + 1].toUpper();
        names.append(name);
        values.insert(name, pairs[i]);
    }
    return QVariantList{names, values};
}

void BibPreferences::setDefaults()
{
    {
        std::lock_guard lock(m_mutex);
        m_preferences.clear();
    }
    setListViewDefinitions(defaultListViewDefinitions());
    put(kListColumnOrder, stringArray(u"listColumnOrder"_s));
    put(kPredefinedMacros, predefinedMacroDefinition());
    rebuildCommonMacro();
    setBibTypeDefinitions(defaultBibTypeDefinitions());
    setInputButtonDefinitions(defaultInputButtons());
    put(kProperNouns, stringArray(u"properNouns"_s));
    put(kShortCapitalWords, stringArray(u"shortCapitalWords"_s));
    put(kLongLowercaseWords, stringArray(u"longLowercaseWords"_s));
    put(kSearchFieldsTitle, stringArray(u"searchFieldsTitle"_s));
    put(kSearchFieldsJournal, stringArray(u"searchFieldsJournal"_s));
    put(kSearchFieldsAnnote, stringArray(u"searchFieldsAnnote"_s));
    put(kListFontExpansion, -0.07);
    put(kAuthorFontExpansion, -0.05);
    quint32 encoding = TextEncodings::encodingOfName(Texts::text(u"DefaultTextEncoding"));
    setDatabaseEncoding(encoding != 0 ? encoding : quint32(TextEncodings::UTF8));
    setDatabaseLineMode(2);
    setCopyItemFormat(1);
    setConvertToYen(false);
    setSmartAuthorPaste(true);
    setSmartTitlePaste(true);
    setAuthorListFormat(0);
    setFieldFontSize(13);
    setListFontSize(13);
    setAuthorListFormatOnCopy(1);
    setAuthorSeparatorOnCopy(u", "_s);
    setAuthorAbbrevOnCopy(true);
    setAuthorNonAbbrevNum(10);
    setAuthorAbbrevNum(5);
    setListPrefixOnCopy(2);
    setAnnoteIdentifier(u"annote"_s);
    setBibkeyGenRule(
        u"[<fam>][<giv>][:<abbrev_journal/abbrev_organization/abbrev_institution/"
        u"abbrev_school/abbrev_publisher/abbrev_booktitle>][<abbrev_volume>][:<year>]"_s);
    setOpenDetailInfo(true);
    setWindowFrame(QRectF(80, 100, 800, 522));
    setDBSplitWidth(158);
    setItemSplitWidth(457);
    setSortColumnIdentifier(u"bibkey"_s);
    setSortAscending(true);
    setLastCreatedBibType(u"ARTICLE"_s);
    setLastEditTab(u"basic"_s);
    setLastInputTab(u"accents"_s);
    setAutoOpenInputPanel(true);
    setAutoSave(false);
    setAutoSaveInterval(5);
    setNumBackups(5);
    setQuickSearchCase(false);
    setWriteUntouchedAsRead(defaultTables().value(u"writeUntouchedAsRead"_s).toBool(true));
    put(kPreferencesInitialized, false);
}
