#include "model/SmartSearchCondition.h"

#include "core/CharacterSet.h"
#include "prefs/BibPreferences.h"

#include <QTimeZone>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString kTargetField = u"Target Field"_s;
const QString kMatchCondition = u"Match Condition"_s;
const QString kSearchString = u"Search String"_s;
const QString kCaseSensitive = u"Case Sensitive"_s;

// Time stamps of entries: "YYYY-MM-DD HH:MM:SS +HHMM".
constexpr qsizetype TimeStampLength = 25;

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// Compares like a person reads numbers: runs of ASCII digits by their value,
// everything else unit by unit (case folded unless `cs` says otherwise).
int compareNumerically(QStringView a, QStringView b, Qt::CaseSensitivity cs)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && isDigit(a[endA]))
                ++endA;
            while (endB < b.size() && isDigit(b[endB]))
                ++endB;
            while (i < endA - 1 && a[i] == u'0')
                ++i;
            while (j < endB - 1 && b[j] == u'0')
                ++j;
            if (endA - i != endB - j)
                return endA - i < endB - j ? -1 : 1;
            if (const int order = a.sliced(i, endA - i).compare(b.sliced(j, endB - j)))
                return order < 0 ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const char16_t x = cs == Qt::CaseSensitive ? a[i].unicode() : a[i].toCaseFolded().unicode();
        const char16_t y = cs == Qt::CaseSensitive ? b[j].unicode() : b[j].toCaseFolded().unicode();
        if (x != y)
            return x < y ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    return j < b.size() ? -1 : 0;
}

QString timeStampText(const QDateTime &moment)
{
    const QDateTime local = moment.toLocalTime();
    const int offset = local.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return local.toString(u"yyyy-MM-dd HH:mm:ss"_s) + (offset < 0 ? u" -"_s : u" +"_s) +
           u"%1%2"_s.arg(minutes / 60, 2, 10, QChar(u'0')).arg(minutes % 60, 2, 10, QChar(u'0'));
}

// A time stamp read back and written again in the local time zone; absent
// when the text is not a time stamp.
std::optional<QString> localTimeStamp(QStringView text)
{
    if (text.size() != TimeStampLength || text[19] != u' ' ||
        (text[20] != u'+' && text[20] != u'-'))
        return std::nullopt;
    for (qsizetype k = 21; k < TimeStampLength; ++k) {
        if (!isDigit(text[k]))
            return std::nullopt;
    }
    QDateTime utc = QDateTime::fromString(text.first(19).toString(), u"yyyy-MM-dd HH:mm:ss"_s);
    if (!utc.isValid())
        return std::nullopt;
    utc.setTimeZone(QTimeZone::utc());
    const int hours = text.sliced(21, 2).toInt();
    const int minutes = text.sliced(23, 2).toInt();
    const int offset = (hours * 60 + minutes) * 60 * (text[20] == u'-' ? -1 : 1);
    return timeStampText(utc.addSecs(-offset));
}

} // namespace

SmartSearchCondition::SmartSearchCondition(const QVariantMap &dictionary)
    : m_targetFieldChoice(dictionary.value(kTargetField).toInt()),
      m_conditionChoice(dictionary.value(kMatchCondition).toInt()),
      m_searchString(dictionary.value(kSearchString).toString()),
      m_caseSensitive(dictionary.value(kCaseSensitive).toBool())
{}

SmartSearchCondition SmartSearchCondition::newCondition()
{
    return SmartSearchCondition();
}

SmartSearchCondition SmartSearchCondition::conditionWithDictionary(const QVariantMap &dictionary)
{
    return SmartSearchCondition(dictionary);
}

SmartSearchCondition SmartSearchCondition::conditionWith(qint32 target, qint32 condition,
                                                         const QString &text, bool caseSensitive)
{
    SmartSearchCondition made;
    made.m_targetFieldChoice = target;
    made.m_conditionChoice = condition;
    made.setSearchString(text);
    made.m_caseSensitive = caseSensitive;
    return made;
}

SmartSearchCondition SmartSearchCondition::newConditionForDupSearch()
{
    SmartSearchCondition condition;
    condition.m_targetFieldChoice = IdenticalEntries;
    condition.m_conditionChoice = Identical;
    return condition;
}

QVariantMap SmartSearchCondition::coniditionDictionary() const
{
    return QVariantMap{
        {kTargetField, m_targetFieldChoice},
        {kMatchCondition, m_conditionChoice},
        {kSearchString, m_searchString},
        {kCaseSensitive, m_caseSensitive},
    };
}

bool SmartSearchCondition::stringMatchesCondition(QStringView s) const
{
    // An empty search text is never found, as in a plain text search.
    const bool found = !m_searchString.isEmpty() && s.contains(m_searchString, sensitivity());
    switch (m_conditionChoice) {
    case Contains:
        return found;
    case ContainsWord:
        return string(s, m_searchString, sensitivity());
    case DoesNotContain:
        return !found;
    case DoesNotContainWord:
        return !string(s, m_searchString, sensitivity());
    case BeginsWith:
        return !m_searchString.isEmpty() && s.startsWith(m_searchString, sensitivity());
    case EndsWith:
        return !m_searchString.isEmpty() && s.endsWith(m_searchString, sensitivity());
    case Is:
        return s.compare(m_searchString, sensitivity()) == 0;
    default:
        return false;
    }
}

bool SmartSearchCondition::string(QStringView s, QStringView word, Qt::CaseSensitivity cs) const
{
    const CharacterSet &delimiters = gWordDelimiterSet();
    qsizetype i = 0;
    while (i < s.size()) {
        while (i < s.size() && delimiters.contains(s[i]))
            ++i;
        const qsizetype start = i;
        while (i < s.size() && !delimiters.contains(s[i]))
            ++i;
        if (i > start && s.sliced(start, i - start).compare(word, cs) == 0)
            return true;
    }
    return false;
}

double SmartSearchCondition::minimumTimeInterval() const
{
    if (m_conditionChoice == ChangedWithin || m_conditionChoice == NotChangedWithin)
        return m_searchString.trimmed().toDouble();
    return 1e10;
}

bool SmartSearchCondition::valuesMatchCondition(const QStringList &values) const
{
    if (isNegative()) {
        for (const QString &value : values) {
            if (!stringMatchesCondition(value))
                return false;
        }
        return true;
    }
    for (const QString &value : values) {
        if (stringMatchesCondition(value))
            return true;
    }
    return false;
}

bool SmartSearchCondition::yearMatchesCondition(QStringView year) const
{
    if (m_conditionChoice >= None && m_conditionChoice <= EndsWith)
        return stringMatchesCondition(year);
    const int order = compareNumerically(year, m_searchString, sensitivity());
    switch (m_conditionChoice) {
    case Is:
        return order == 0;
    case After:
        return order > 0;
    case Before:
        return order < 0;
    default:
        return false;
    }
}

bool SmartSearchCondition::modifiedMatchesCondition(QStringView modified,
                                                    const QDateTime &now) const
{
    if (modified.size() < TimeStampLength)
        return false;
    if (m_conditionChoice >= None && m_conditionChoice <= EndsWith)
        return stringMatchesCondition(modified);
    const std::optional<QString> local = localTimeStamp(modified);
    if (!local)
        return false;
    const QStringView stamp(*local);
    const QStringView prefix = stamp.first(std::min(stamp.size(), m_searchString.size()));
    switch (m_conditionChoice) {
    case Is:
        return stamp.startsWith(m_searchString, Qt::CaseSensitive);
    case After:
        return prefix.compare(m_searchString) > 0;
    case Before:
        return prefix.compare(m_searchString) < 0;
    case ChangedWithin:
    case NotChangedWithin: {
        const qint64 seconds = qint64(std::llround(m_searchString.trimmed().toDouble() * 86400.0));
        const QString limit = timeStampText(now.addSecs(-seconds));
        const int order = stamp.first(16).compare(QStringView(limit).first(16));
        return m_conditionChoice == ChangedWithin ? order > 0 : order < 0;
    }
    default:
        return false;
    }
}

bool SmartSearchCondition::firstNamesMatchCondition(const std::optional<QString> &firstAuthor,
                                                    const std::optional<QString> &firstEditor) const
{
    if (isNegative()) {
        if (firstAuthor && !stringMatchesCondition(*firstAuthor))
            return false;
        return !firstEditor || stringMatchesCondition(*firstEditor);
    }
    if (firstAuthor && stringMatchesCondition(*firstAuthor))
        return true;
    return firstEditor && stringMatchesCondition(*firstEditor);
}

bool SmartSearchCondition::attachmentMatchesCondition(const std::optional<QString> &attachedFile,
                                                      qint32 fileState) const
{
    if (m_conditionChoice <= 19) {
        if (!attachedFile)
            return false;
        const qsizetype slash = attachedFile->lastIndexOf(u'/');
        return stringMatchesCondition(QStringView(*attachedFile).sliced(slash + 1));
    }
    if (m_conditionChoice == FileExists)
        return fileState == FileIsPresent || fileState == FolderIsPresent;
    // Every other condition on the attachment asks for a missing file.
    return fileState == FileIsMissing;
}

QStringList SmartSearchCondition::searchFieldsForTarget(qint32 target)
{
    BibPreferences *preferences = BibPreferences::globalPreferences();
    if (!preferences)
        return {};
    switch (target) {
    case TitleFields:
        return preferences->searchFieldsTitle();
    case JournalFields:
        return preferences->searchFieldsJournal();
    case AnnotationFields:
        return preferences->searchFieldsAnnote();
    default:
        return {};
    }
}

QList<qint32> SmartSearchCondition::offeredTargets()
{
    return {AnyField,      FieldNames,    EntryType,        CitationKey,
            AllNames,      FirstNames,    TitleFields,      JournalFields,
            AnnotationFields, Year,       ModificationTime, AttachedFile,
            IdenticalEntries};
}

QList<qint32> SmartSearchCondition::offeredConditions(qint32 target)
{
    const QList<qint32> text = {Contains, ContainsWord, DoesNotContain, DoesNotContainWord,
                                BeginsWith, EndsWith,   Is};
    switch (target) {
    case Year:
        return text + QList<qint32>{After, Before};
    case ModificationTime:
        return text + QList<qint32>{After, Before, ChangedWithin, NotChangedWithin};
    case AttachedFile:
        return text + QList<qint32>{FileExists, FileMissing};
    case IdenticalEntries:
        return {Identical};
    default:
        return text;
    }
}

qint32 SmartSearchCondition::fallbackCondition(qint32 target)
{
    switch (target) {
    case Year:
        return After;
    case ModificationTime:
        return ChangedWithin;
    case AttachedFile:
        return FileExists;
    case IdenticalEntries:
        return Identical;
    default:
        return Contains;
    }
}

bool SmartSearchCondition::targetUsesCase(qint32 target)
{
    return target != FieldNames && target != EntryType && target != Year
           && target != ModificationTime && target != IdenticalEntries;
}

bool SmartSearchCondition::conditionUsesText(qint32 condition)
{
    return condition != FileExists && condition != FileMissing && condition != Identical;
}
