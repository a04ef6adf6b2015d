#include "model/SmartSearchCondition.h"

#include "model/AuthorName.h"
#include "model/BibItem.h"
#include "model/ModifiedStamp.h"
#include "prefs/BibPreferences.h"

#include <QFileInfo>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kTargetKey = u"Target Field"_s;
const QString kConditionKey = u"Match Condition"_s;
const QString kStringKey = u"Search String"_s;
const QString kCaseKey = u"Case Sensitive"_s;

bool isWordDelimiter(QChar c)
{
    return c.isPunct() || c.isSpace();
}

bool isNegative(int condition)
{
    return condition == 3 || condition == 4;
}

QChar folded(QChar c, Qt::CaseSensitivity sensitivity)
{
    return sensitivity == Qt::CaseSensitive ? c : c.toCaseFolded();
}

// Compares two texts with runs of digits compared by their value.
int numericCompare(QStringView a, QStringView b, Qt::CaseSensitivity sensitivity)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype endA = i;
            while (endA < a.size() && a.at(endA).isDigit())
                ++endA;
            qsizetype endB = j;
            while (endB < b.size() && b.at(endB).isDigit())
                ++endB;
            while (i < endA - 1 && a.at(i) == u'0')
                ++i;
            while (j < endB - 1 && b.at(j) == u'0')
                ++j;
            const qsizetype lengthA = endA - i;
            const qsizetype lengthB = endB - j;
            if (lengthA != lengthB)
                return lengthA < lengthB ? -1 : 1;
            const int order = a.mid(i, lengthA).compare(b.mid(j, lengthB));
            if (order != 0)
                return order < 0 ? -1 : 1;
            i = endA;
            j = endB;
            continue;
        }
        const QChar ca = folded(a.at(i), sensitivity);
        const QChar cb = folded(b.at(j), sensitivity);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

// The leading decimal number of a text (0 when there is none).
double leadingNumber(const QString &text)
{
    const QString trimmed = text.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == u'-' || trimmed.at(end) == u'+'))
        ++end;
    while (end < trimmed.size() && (trimmed.at(end).isDigit() || trimmed.at(end) == u'.'))
        ++end;
    bool ok = false;
    const double value = trimmed.left(end).toDouble(&ok);
    return ok ? value : 0;
}

} // namespace

SmartSearchCondition::SmartSearchCondition(int targetFieldChoice, int conditionChoice,
                                           const QString &searchString, bool caseSensitive)
    : m_targetFieldChoice(targetFieldChoice), m_conditionChoice(conditionChoice),
      m_searchString(searchString), m_caseSensitive(caseSensitive)
{}

SmartSearchCondition SmartSearchCondition::conditionWithDictionary(const QVariantMap &dictionary)
{
    return SmartSearchCondition(
        dictionary.value(kTargetKey).toInt(), dictionary.value(kConditionKey).toInt(),
        dictionary.value(kStringKey).toString(), dictionary.value(kCaseKey).toBool());
}

SmartSearchCondition SmartSearchCondition::newConditionForDupSearch()
{
    return SmartSearchCondition(40, 40, QString(), false);
}

QVariantMap SmartSearchCondition::coniditionDictionary() const
{
    return {{kTargetKey, m_targetFieldChoice},
            {kConditionKey, m_conditionChoice},
            {kStringKey, m_searchString},
            {kCaseKey, m_caseSensitive}};
}

// ---- comparing texts

bool SmartSearchCondition::stringContainsWord(QStringView text, QStringView word,
                                              Qt::CaseSensitivity sensitivity)
{
    qsizetype i = 0;
    while (i < text.size()) {
        while (i < text.size() && isWordDelimiter(text.at(i)))
            ++i;
        const qsizetype start = i;
        while (i < text.size() && !isWordDelimiter(text.at(i)))
            ++i;
        if (i > start && text.mid(start, i - start).compare(word, sensitivity) == 0)
            return true;
    }
    return false;
}

bool SmartSearchCondition::stringMatchesCondition(const QString &text) const
{
    const Qt::CaseSensitivity sensitivity =
        m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    const bool empty = m_searchString.isEmpty();
    switch (m_conditionChoice) {
    case 1:
        return !empty && text.contains(m_searchString, sensitivity);
    case 2:
        return stringContainsWord(text, m_searchString, sensitivity);
    case 3:
        return empty || !text.contains(m_searchString, sensitivity);
    case 4:
        return !stringContainsWord(text, m_searchString, sensitivity);
    case 5:
        return !empty && text.startsWith(m_searchString, sensitivity);
    case 6:
        return !empty && text.endsWith(m_searchString, sensitivity);
    case 7:
        return text.compare(m_searchString, sensitivity) == 0;
    default:
        return false;
    }
}

bool SmartSearchCondition::anyOrAll(const QStringList &values) const
{
    const auto matches = [this](const QString &value) { return stringMatchesCondition(value); };
    if (isNegative(m_conditionChoice))
        return std::all_of(values.begin(), values.end(), matches);
    return std::any_of(values.begin(), values.end(), matches);
}

bool SmartSearchCondition::fieldsMatchesCondition(const QStringList &fields,
                                                  const BibItem &item) const
{
    QStringList values;
    values.reserve(fields.size());
    for (const QString &field : fields)
        values << item.fieldDataForView(field);
    return anyOrAll(values);
}

// ---- testing an entry

bool SmartSearchCondition::matchesYear(const QString &year) const
{
    if (m_conditionChoice >= 0 && m_conditionChoice <= 6)
        return stringMatchesCondition(year);
    const int order = numericCompare(year, m_searchString,
                                     m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive);
    switch (m_conditionChoice) {
    case 7:
        return order == 0;
    case 20:
        return order > 0;
    case 21:
        return order < 0;
    default:
        return false;
    }
}

bool SmartSearchCondition::matchesModified(const QString &stamp) const
{
    if (stamp.size() <= 24)
        return false;
    if (m_conditionChoice >= 0 && m_conditionChoice <= 6)
        return stringMatchesCondition(stamp);
    const std::optional<QDateTime> moment = ModifiedStamp::parse(stamp);
    if (!moment)
        return false;
    const QString local = ModifiedStamp::format(moment->toLocalTime());
    switch (m_conditionChoice) {
    case 7:
        return local.startsWith(m_searchString, Qt::CaseSensitive);
    case 20:
        return local.left(m_searchString.size()).compare(m_searchString) > 0;
    case 21:
        return local.left(m_searchString.size()).compare(m_searchString) < 0;
    case 25:
    case 26: {
        const double days = leadingNumber(m_searchString);
        const QDateTime since = ModifiedStamp::now().addSecs(static_cast<qint64>(-days * 86400));
        const QString sinceText = ModifiedStamp::format(since.toLocalTime());
        const int order = local.left(16).compare(sinceText.left(16));
        return m_conditionChoice == 25 ? order > 0 : order < 0;
    }
    default:
        return false;
    }
}

bool SmartSearchCondition::matchesAttachment(const BibItem &item) const
{
    if (m_conditionChoice <= 19) {
        const QString stored = item.fieldDataForEdit(u"file"_s);
        if (stored.isEmpty())
            return false;
        QString name = QFileInfo(stored).fileName();
        if (name.isEmpty()) // a folder written with a final "/"
            name = QFileInfo(stored.chopped(1)).fileName();
        return stringMatchesCondition(name);
    }
    if (m_conditionChoice == 30)
        return item.fileState() == 2 || item.fileState() == 3;
    return item.fileState() == 1;
}

bool SmartSearchCondition::conditionMatchesItem(const BibItem &item) const
{
    switch (m_targetFieldChoice) {
    case 1: {
        QStringList values;
        const auto &display = item.bibFieldsForDisplay();
        for (auto it = display.begin(); it != display.end(); ++it)
            values << it.value();
        return anyOrAll(values);
    }
    case 2:
        return anyOrAll(item.bibFieldsForDisplay().keys());
    case 10:
        return !item.bibType().isEmpty() && stringMatchesCondition(item.bibType());
    case 11:
        return !item.bibKey().isEmpty() && stringMatchesCondition(item.bibKey());
    case 12: {
        QStringList names;
        for (const AuthorName &name : item.authorList())
            names << name.stringValue();
        for (const AuthorName &name : item.editorList())
            names << name.stringValue();
        return anyOrAll(names);
    }
    case 13: {
        const auto &authors = item.authorList();
        const auto &editors = item.editorList();
        const bool negative = isNegative(m_conditionChoice);
        if (!authors.isEmpty()) {
            const bool first = stringMatchesCondition(authors.first().stringValue());
            if (negative && !first)
                return false;
            if (!negative && first)
                return true;
        }
        if (editors.isEmpty())
            return negative;
        return stringMatchesCondition(editors.first().stringValue());
    }
    case 14:
    case 15:
    case 16: {
        const BibPreferences *preferences = BibPreferences::globalPreferences();
        QStringList fields;
        if (preferences) {
            fields = m_targetFieldChoice == 14   ? preferences->searchFieldsTitle()
                     : m_targetFieldChoice == 15 ? preferences->searchFieldsJournal()
                                                 : preferences->searchFieldsAnnote();
        }
        return fieldsMatchesCondition(fields, item);
    }
    case 20:
        return matchesYear(item.fieldDataForView(u"year"_s));
    case 25:
        return matchesModified(item.fieldDataForView(u"modified"_s));
    case 30:
        return matchesAttachment(item);
    default:
        return false;
    }
}

double SmartSearchCondition::minimumTimeInterval() const
{
    if (m_conditionChoice == 25 || m_conditionChoice == 26)
        return leadingNumber(m_searchString);
    return 1e10;
}
