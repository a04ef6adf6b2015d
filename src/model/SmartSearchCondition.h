#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariantMap>

class BibItem;

// One condition of a smart library: what part of an entry is tested (target
// code), how it is compared (condition code), the search text and the case
// flag. A value: copied freely, compared with operator==. Reading is safe from
// any thread (a smart library tests entries on its worker thread).
class SmartSearchCondition
{
public:
    SmartSearchCondition() = default;
    SmartSearchCondition(int targetFieldChoice, int conditionChoice, const QString &searchString,
                         bool caseSensitive);

    static SmartSearchCondition newCondition() { return {}; }
    // From a stored record; a missing key reads as 0, false or the empty text.
    static SmartSearchCondition conditionWithDictionary(const QVariantMap &dictionary);
    // Target 40, condition 40: the duplicate search.
    static SmartSearchCondition newConditionForDupSearch();

    // "Target Field", "Match Condition", "Search String", "Case Sensitive".
    QVariantMap coniditionDictionary() const;

    int targetFieldChoice() const { return m_targetFieldChoice; }
    void setTargetFieldChoice(int target) { m_targetFieldChoice = target; }
    int conditionChoice() const { return m_conditionChoice; }
    void setConditionChoice(int condition) { m_conditionChoice = condition; }
    const QString &searchString() const { return m_searchString; }
    void setSearchString(const QString &text) { m_searchString = text; }
    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool sensitive) { m_caseSensitive = sensitive; }

    bool conditionMatchesItem(const BibItem &item) const;
    bool stringMatchesCondition(const QString &text) const;
    static bool stringContainsWord(QStringView text, QStringView word,
                                   Qt::CaseSensitivity sensitivity);
    bool fieldsMatchesCondition(const QStringList &fields, const BibItem &item) const;
    // Days for conditions 25 and 26; 1e10 ("never") for every other.
    double minimumTimeInterval() const;
    bool conditionIsIdentical() const { return m_conditionChoice == 40; }

    bool operator==(const SmartSearchCondition &) const = default;

private:
    bool anyOrAll(const QStringList &values) const;
    bool matchesYear(const QString &year) const;
    bool matchesModified(const QString &stamp) const;
    bool matchesAttachment(const BibItem &item) const;

    int m_targetFieldChoice = 1;
    int m_conditionChoice = 1;
    QString m_searchString;
    bool m_caseSensitive = false;
};
