#include "prefs/BibPreferences.h"

#include "core/TextEncodings.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

using namespace Qt::StringLiterals;

// The typed getters and setters of BibPreferences. Getters convert the stored
// property-list value to their type; setters store and set dirty (the clamps
// are applied by put()).

namespace {

QVariantList toVariantList(const QStringList &strings)
{
    QVariantList list;
    list.reserve(strings.size());
    for (const QString &text : strings)
        list.append(text);
    return list;
}

} // namespace

QVariantMap BibPreferences::bibTypeDefinitions() const
{
    return get(kBibTypeDefinitions).toMap();
}

void BibPreferences::setBibTypeDefinitions(const QVariantMap &definitions)
{
    put(kBibTypeDefinitions, definitions);
}

QStringList BibPreferences::bibTypesList() const
{
    QStringList types = bibTypeDefinitions().keys();
    types.removeAll(kUndefinedBibType);
    QCollator collator{QLocale()};
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::stable_sort(types.begin(), types.end(), [&collator](const QString &a, const QString &b) {
        return collator.compare(a, b) < 0;
    });
    return types;
}

QString BibPreferences::bibkeyGenRule() const
{
    return get(kBibKeyGenerationRule).toString();
}

void BibPreferences::setBibkeyGenRule(const QString &rule)
{
    put(kBibKeyGenerationRule, rule);
}

QString BibPreferences::lastCreatedBibType() const
{
    const QString type = get(kLastCreatedBibType).toString();
    return type.isEmpty() ? u"ARTICLE"_s : type;
}

void BibPreferences::setLastCreatedBibType(const QString &type)
{
    put(kLastCreatedBibType, type);
}

QVariantMap BibPreferences::listViewDefinitions() const
{
    return get(kListViewDefinitions).toMap();
}

void BibPreferences::setListViewDefinitions(const QVariantMap &definitions)
{
    put(kListViewDefinitions, definitions);
}

void BibPreferences::setListColumnWidth(const QVariantMap &widths)
{
    QVariantMap definitions = listViewDefinitions();
    for (auto it = widths.cbegin(); it != widths.cend(); ++it) {
        auto column = definitions.find(it.key());
        if (column == definitions.end())
            continue;
        QVariantList elements = column->toList();
        if (elements.size() < 2)
            continue;
        const QVariant &width = it.value();
        elements[1] = width.typeId() == QMetaType::QString ? width.toString()
                                                           : QString::number(width.toDouble());
        *column = elements;
    }
    put(kListViewDefinitions, definitions);
}

QStringList BibPreferences::listColumnOrder() const
{
    return stringList(kListColumnOrder);
}

void BibPreferences::setListColumnOrder(const QStringList &order)
{
    put(kListColumnOrder, toVariantList(order));
}

QVariantList BibPreferences::macroDefinition() const
{
    return get(kPredefinedMacros).toList();
}

double BibPreferences::listViewFontExpansionObject() const
{
    return get(kListFontExpansion).toDouble();
}

double BibPreferences::authorFontExpansionObject() const
{
    return get(kAuthorFontExpansion).toDouble();
}

QVariantList BibPreferences::inputButtonDefinitions() const
{
    return get(kInputSupportButtons).toList();
}

void BibPreferences::setInputButtonDefinitions(const QVariantList &rows)
{
    put(kInputSupportButtons, rows);
}

QString BibPreferences::lastEditTab() const
{
    return get(kLastEditTab).toString();
}

void BibPreferences::setLastEditTab(const QString &tab)
{
    put(kLastEditTab, tab);
}

QString BibPreferences::lastInputTab() const
{
    return get(kLastInputTab).toString();
}

void BibPreferences::setLastInputTab(const QString &tab)
{
    put(kLastInputTab, tab);
}

bool BibPreferences::autoOpenInputPanel() const
{
    return get(kAutomaticOpenInputPanel).toBool();
}

void BibPreferences::setAutoOpenInputPanel(bool open)
{
    put(kAutomaticOpenInputPanel, open);
}

int BibPreferences::copyItemFormat() const
{
    return get(kCopyBibItemFormat).toInt();
}

void BibPreferences::setCopyItemFormat(int format)
{
    put(kCopyBibItemFormat, format);
}

quint32 BibPreferences::databaseEncoding() const
{
    const QVariant stored = get(kDatabaseFileTextEncoding);
    bool ok = false;
    const qlonglong code = stored.toLongLong(&ok);
    // A code written as signed 32-bit stands for that value plus 2^32.
    if (!ok || code == 0 || code < -(qlonglong(1) << 31) || code > 0xFFFFFFFFLL)
        return TextEncodings::UTF8;
    return quint32(code);
}

void BibPreferences::setDatabaseEncoding(quint32 encoding)
{
    put(kDatabaseFileTextEncoding, qlonglong(encoding));
}

int BibPreferences::databaseLineMode() const
{
    const int mode = get(kDatabaseFileLineEnding).toInt();
    return mode >= 0 && mode <= 2 ? mode : 2;
}

void BibPreferences::setDatabaseLineMode(int mode)
{
    put(kDatabaseFileLineEnding, mode);
}

bool BibPreferences::openDetailInfo() const
{
    return get(kOpenDetailInfoPanel).toBool();
}

void BibPreferences::setOpenDetailInfo(bool open)
{
    put(kOpenDetailInfoPanel, open);
}

QRectF BibPreferences::windowFrame() const
{
    const QVariantList numbers = get(kMainWindowFrame).toList();
    if (numbers.size() != 4)
        return QRectF(80, 100, 800, 522);
    return QRectF(numbers[0].toDouble(), numbers[1].toDouble(), numbers[2].toDouble(),
                  numbers[3].toDouble());
}

void BibPreferences::setWindowFrame(const QRectF &frame)
{
    put(kMainWindowFrame, QVariantList{frame.x(), frame.y(), frame.width(), frame.height()});
}

double BibPreferences::dbSplitWidth() const
{
    return get(kDBListSplitWidth).toDouble();
}

void BibPreferences::setDBSplitWidth(double width)
{
    put(kDBListSplitWidth, width);
}

double BibPreferences::itemSplitWidth() const
{
    return get(kItemListSplitWidth).toDouble();
}

void BibPreferences::setItemSplitWidth(double width)
{
    put(kItemListSplitWidth, width);
}

QString BibPreferences::sortColumnIdentifier() const
{
    return get(kSortKeyColumn).toString();
}

void BibPreferences::setSortColumnIdentifier(const QString &identifier)
{
    put(kSortKeyColumn, identifier);
}

bool BibPreferences::sortAscending() const
{
    return get(kSortOrder).toBool();
}

void BibPreferences::setSortAscending(bool ascending)
{
    put(kSortOrder, ascending);
}

bool BibPreferences::autoSave() const
{
    return get(kAutoSaveChanges).toBool();
}

void BibPreferences::setAutoSave(bool autoSave)
{
    put(kAutoSaveChanges, autoSave);
}

int BibPreferences::autoSaveInterval() const
{
    return std::max(get(kAutoSaveInterval).toInt(), 1);
}

void BibPreferences::setAutoSaveInterval(int minutes)
{
    put(kAutoSaveInterval, minutes);
}

int BibPreferences::numBackups() const
{
    return std::max(get(kNumberOfBackupFiles).toInt(), 0);
}

void BibPreferences::setNumBackups(int count)
{
    put(kNumberOfBackupFiles, count);
}

bool BibPreferences::quickSearchCase() const
{
    return get(kCaseSensitiveQuickSearch).toBool();
}

void BibPreferences::setQuickSearchCase(bool caseSensitive)
{
    put(kCaseSensitiveQuickSearch, caseSensitive);
}

bool BibPreferences::convertToYen() const
{
    return get(kConvertBackslashToYen).toBool();
}

void BibPreferences::setConvertToYen(bool convert)
{
    put(kConvertBackslashToYen, convert);
}

bool BibPreferences::writeUntouchedAsRead() const
{
    return get(kWriteUntouchedAsRead).toBool();
}

void BibPreferences::setWriteUntouchedAsRead(bool keep)
{
    put(kWriteUntouchedAsRead, keep);
}

QString BibPreferences::lastSelectedDatabase() const
{
    return get(kLastSelectedDatabaseID).toString();
}

void BibPreferences::setLastSelectedDatabase(const QString &uniqueID)
{
    put(kLastSelectedDatabaseID, uniqueID);
}

std::optional<int> BibPreferences::lastSelectedDbKind() const
{
    const QVariant kind = get(kLastSelectedDatabaseKind);
    bool ok = false;
    const int value = kind.toInt(&ok);
    if (!kind.isValid() || !ok)
        return std::nullopt;
    return value;
}

void BibPreferences::setLastSelectedDbKind(int kind)
{
    put(kLastSelectedDatabaseKind, kind);
}

QList<quint32> BibPreferences::activeEncodings() const
{
    QList<quint32> codes;
    for (const QVariant &code : get(kActiveTextEncodingList).toList()) {
        bool ok = false;
        const qlonglong value = code.toLongLong(&ok);
        if (ok && value > 0 && value <= 0xFFFFFFFFLL)
            codes.append(quint32(value));
    }
    return codes;
}

void BibPreferences::setActiveEncodings(const QList<quint32> &codes)
{
    QVariantList list;
    list.reserve(codes.size());
    for (const quint32 code : codes)
        list.append(qlonglong(code));
    put(kActiveTextEncodingList, list);
}

bool BibPreferences::smartAuthorPaste() const
{
    return get(kSmartAuthorPaste).toBool();
}

void BibPreferences::setSmartAuthorPaste(bool on)
{
    put(kSmartAuthorPaste, on);
}

bool BibPreferences::smartTitlePaste() const
{
    return get(kSmartTitlePaste).toBool();
}

void BibPreferences::setSmartTitlePaste(bool on)
{
    put(kSmartTitlePaste, on);
}

QStringList BibPreferences::properNouns() const
{
    return stringList(kProperNouns);
}

void BibPreferences::setProperNouns(const QStringList &words)
{
    put(kProperNouns, toVariantList(words));
}

QStringList BibPreferences::longLowercaseWords() const
{
    return stringList(kLongLowercaseWords);
}

void BibPreferences::setLongLowercaseWords(const QStringList &words)
{
    put(kLongLowercaseWords, toVariantList(words));
}

QStringList BibPreferences::shortCaptalWords() const
{
    return stringList(kShortCapitalWords);
}

void BibPreferences::setShortCaptalWords(const QStringList &words)
{
    put(kShortCapitalWords, toVariantList(words));
}

QStringList BibPreferences::suppressWarnings() const
{
    return stringList(kSuppressWarningDatabases);
}

bool BibPreferences::suppressWarning(const QString &uniqueID) const
{
    if (uniqueID.isEmpty())
        return false;
    // Loader threads ask this: answer under the lock, so that no shared copy
    // of the stored list outlives it.
    std::lock_guard lock(m_mutex);
    const auto stored = m_preferences.constFind(kSuppressWarningDatabases);
    if (stored == m_preferences.constEnd())
        return false;
    const QVariantList list = stored->toList();
    return std::any_of(list.begin(), list.end(),
                       [&uniqueID](const QVariant &id) { return id.toString() == uniqueID; });
}

void BibPreferences::appendSuppressDatabase(const QString &uniqueID)
{
    if (uniqueID.isEmpty())
        return;
    QStringList list = suppressWarnings();
    if (list.contains(uniqueID))
        return;
    list.append(uniqueID);
    put(kSuppressWarningDatabases, toVariantList(list));
}

void BibPreferences::removeSuppressDatabase(const QString &uniqueID)
{
    QStringList list = suppressWarnings();
    if (list.removeAll(uniqueID) == 0)
        return;
    put(kSuppressWarningDatabases, toVariantList(list));
}

QStringList BibPreferences::lastSelectedAuthors() const
{
    return stringList(kLastSelectedAuthors);
}

void BibPreferences::setLastSelectedAuthors(const QStringList &names)
{
    put(kLastSelectedAuthors, toVariantList(names));
}

QStringList BibPreferences::lastSelectedItems() const
{
    return stringList(kLastSelectedBibItems);
}

void BibPreferences::setLastSelectedItems(const QStringList &keys)
{
    put(kLastSelectedBibItems, toVariantList(keys));
}

int BibPreferences::authorListFormat() const
{
    return get(kAuthorListFormat).toInt();
}

void BibPreferences::setAuthorListFormat(int format)
{
    put(kAuthorListFormat, format);
}

QString BibPreferences::annoteIdentifier() const
{
    return get(kAnnoteFieldIdentifier).toString();
}

void BibPreferences::setAnnoteIdentifier(const QString &field)
{
    put(kAnnoteFieldIdentifier, field);
}

QStringList BibPreferences::searchFieldsTitle() const
{
    return stringList(kSearchFieldsTitle);
}

void BibPreferences::setSearchFieldsTitle(const QStringList &fields)
{
    put(kSearchFieldsTitle, toVariantList(fields));
}

QStringList BibPreferences::searchFieldsJournal() const
{
    return stringList(kSearchFieldsJournal);
}

void BibPreferences::setSearchFieldsJournal(const QStringList &fields)
{
    put(kSearchFieldsJournal, toVariantList(fields));
}

QStringList BibPreferences::searchFieldsAnnote() const
{
    return stringList(kSearchFieldsAnnote);
}

void BibPreferences::setSearchFieldsAnnote(const QStringList &fields)
{
    put(kSearchFieldsAnnote, toVariantList(fields));
}

int BibPreferences::authorListFormatOnCopy() const
{
    return get(kListCopyAuthorFormat).toInt();
}

void BibPreferences::setAuthorListFormatOnCopy(int format)
{
    put(kListCopyAuthorFormat, format);
}

QString BibPreferences::authorSeparatorOnCopy() const
{
    return get(kListCopyAuthorSeparator).toString();
}

void BibPreferences::setAuthorSeparatorOnCopy(const QString &separator)
{
    put(kListCopyAuthorSeparator, separator);
}

bool BibPreferences::authorAbbrevOnCopy() const
{
    return get(kListCopyAuthorAbbreviation).toBool();
}

void BibPreferences::setAuthorAbbrevOnCopy(bool abbreviate)
{
    put(kListCopyAuthorAbbreviation, abbreviate);
}

int BibPreferences::authorNonAbbrevNum() const
{
    return get(kListCopyAuthorNonAbbrevNumber).toInt();
}

void BibPreferences::setAuthorNonAbbrevNum(int count)
{
    put(kListCopyAuthorNonAbbrevNumber, count);
}

int BibPreferences::authorAbbrevNum() const
{
    return get(kListCopyAuthorAbbrevNumber).toInt();
}

void BibPreferences::setAuthorAbbrevNum(int count)
{
    put(kListCopyAuthorAbbrevNumber, count);
}

int BibPreferences::listPrefixOnCopy() const
{
    return get(kListCopyPrefix).toInt();
}

void BibPreferences::setListPrefixOnCopy(int prefix)
{
    put(kListCopyPrefix, prefix);
}

double BibPreferences::fieldFontSize() const
{
    return std::max(get(kFieldFontSize).toDouble(), 10.0);
}

void BibPreferences::setFieldFontSize(double points)
{
    put(kFieldFontSize, points);
}

double BibPreferences::listFontSize() const
{
    return std::max(get(kListFontSize).toDouble(), 10.0);
}

void BibPreferences::setListFontSize(double points)
{
    put(kListFontSize, points);
}

QString BibPreferences::stringFromLineEnding(int code)
{
    switch (code) {
    case 0:
        return u"\r"_s;
    case 2:
        return u"\n"_s;
    default:
        return u"\r\n"_s;
    }
}

int BibPreferences::lineEndingFromString(QStringView text)
{
    if (text == u"\r")
        return 0;
    if (text == u"\n")
        return 2;
    return 1;
}
