#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariantMap>

#include <optional>

// One condition of a smart library: which part of an entry is tested (the
// target), how it is compared (the condition) and against what text. A value:
// copy freely, compare with ==; no shared state, so any thread may evaluate
// its own copies (the title, journal and annotation targets read the
// preferences, which are safe to read from any thread).
//
// An entry is anything with the accessors of a bibliography item (BibItem):
// bibFieldsForDisplay(), fieldDataForView(name), bibType(), bibKey(),
// authorList() and editorList() (names with stringValue()) and fileState();
// attachedFile() when it has one, else its "file" field is looked at.
class SmartSearchCondition
{
public:
    enum Target : qint32
    {
        AnyField = 1,
        FieldNames = 2,
        EntryType = 10,
        CitationKey = 11,
        AllNames = 12,
        FirstNames = 13,
        TitleFields = 14,
        JournalFields = 15,
        AnnotationFields = 16,
        Year = 20,
        ModificationTime = 25,
        AttachedFile = 30,
        IdenticalEntries = 40,
    };
    enum Condition : qint32
    {
        None = 0,
        Contains = 1,
        ContainsWord = 2,
        DoesNotContain = 3,
        DoesNotContainWord = 4,
        BeginsWith = 5,
        EndsWith = 6,
        Is = 7,
        After = 20,
        Before = 21,
        ChangedWithin = 25,
        NotChangedWithin = 26,
        FileExists = 30,
        FileMissing = 31,
        Identical = 40,
    };
    // The attachment states of an entry (its fileState).
    enum FileState : qint32
    {
        NoFile = 0,
        FileIsMissing = 1,
        FileIsPresent = 2,
        FolderIsPresent = 3,
        RemoteFile = 4,
    };

    SmartSearchCondition() = default;
    // From the stored form (see coniditionDictionary); a missing key reads as
    // 0, false or the empty text.
    explicit SmartSearchCondition(const QVariantMap &dictionary);
    static SmartSearchCondition newCondition();
    static SmartSearchCondition conditionWithDictionary(const QVariantMap &dictionary);
    static SmartSearchCondition newConditionForDupSearch();
    // A condition from its four stored fields.
    static SmartSearchCondition conditionWith(qint32 target, qint32 condition, const QString &text,
                                              bool caseSensitive);

    // The stored form: "Target Field", "Match Condition" (integers), "Search
    // String" (text) and "Case Sensitive" (boolean).
    QVariantMap coniditionDictionary() const;

    qint32 targetFieldChoice() const { return m_targetFieldChoice; }
    void setTargetFieldChoice(qint32 target) { m_targetFieldChoice = target; }
    qint32 conditionChoice() const { return m_conditionChoice; }
    void setConditionChoice(qint32 condition) { m_conditionChoice = condition; }
    const QString &searchString() const { return m_searchString; }
    void setSearchString(const QString &text) { m_searchString = text; }
    bool caseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool on) { m_caseSensitive = on; }
    bool conditionIsIdentical() const { return m_conditionChoice == Identical; }

    template<typename Item> bool conditionMatchesItem(const Item &item) const;
    // The same, with "now" given for the conditions on the modification time.
    template<typename Item> bool conditionMatchesItem(const Item &item, const QDateTime &now) const;
    template<typename Item>
    bool fieldsMatchesCondition(const QStringList &fields, const Item &item) const;

    // The text comparisons (conditions 1-7) of one value.
    bool stringMatchesCondition(QStringView s) const;
    // Whether `word` is one of the words of `s` (runs of characters between
    // punctuation and white space).
    bool string(QStringView s, QStringView word, Qt::CaseSensitivity cs) const;
    // Days for the conditions on recent changes, else 1e10 ("never").
    double minimumTimeInterval() const;

    // The parts of conditionMatchesItem that need no entry.
    // Conditions 3 and 4 need every value to satisfy them (none: true); the
    // others need one (none: false).
    bool valuesMatchCondition(const QStringList &values) const;
    bool yearMatchesCondition(QStringView year) const;
    bool modifiedMatchesCondition(QStringView modified, const QDateTime &now) const;
    bool firstNamesMatchCondition(const std::optional<QString> &firstAuthor,
                                  const std::optional<QString> &firstEditor) const;
    bool attachmentMatchesCondition(const std::optional<QString> &attachedFile,
                                    qint32 fileState) const;
    // The field names of the preference behind the title, journal and
    // annotation targets; empty for any other target.
    static QStringList searchFieldsForTarget(qint32 target);

    // What a conditions editor offers: every target, in menu order; the
    // conditions a target may be combined with; the condition chosen when the
    // target changes to one that does not offer the current condition; and
    // whether case sensitivity means anything for the target.
    static QList<qint32> offeredTargets();
    static QList<qint32> offeredConditions(qint32 target);
    static qint32 fallbackCondition(qint32 target);
    static bool targetUsesCase(qint32 target);
    static bool conditionUsesText(qint32 condition);

    friend bool operator==(const SmartSearchCondition &, const SmartSearchCondition &) = default;

private:
    bool isNegative() const
    {
        return m_conditionChoice == DoesNotContain || m_conditionChoice == DoesNotContainWord;
    }
    Qt::CaseSensitivity sensitivity() const
    {
        return m_caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
    }
    static std::optional<QString> optionalText(const QString &text)
    {
        return text.isEmpty() ? std::nullopt : std::optional<QString>(text);
    }
    static std::optional<QString> optionalText(const std::optional<QString> &text)
    {
        return text && !text->isEmpty() ? text : std::nullopt;
    }

    qint32 m_targetFieldChoice = AnyField;
    qint32 m_conditionChoice = Contains;
    QString m_searchString;
    bool m_caseSensitive = false;
};

template<typename Item> bool SmartSearchCondition::conditionMatchesItem(const Item &item) const
{
    return conditionMatchesItem(item, QDateTime::currentDateTime());
}

template<typename Item>
bool SmartSearchCondition::conditionMatchesItem(const Item &item, const QDateTime &now) const
{
    switch (m_targetFieldChoice) {
    case AnyField: {
        return valuesMatchCondition(QStringList(item.bibFieldsForDisplay().values()));
    }
    case FieldNames:
        return valuesMatchCondition(item.bibFieldsForDisplay().keys());
    case EntryType: {
        const QString type = item.bibType();
        return !type.isEmpty() && stringMatchesCondition(type);
    }
    case CitationKey: {
        const QString key = item.bibKey();
        return !key.isEmpty() && stringMatchesCondition(key);
    }
    case AllNames: {
        QStringList names;
        for (const auto &name : item.authorList())
            names << name.stringValue();
        for (const auto &name : item.editorList())
            names << name.stringValue();
        return valuesMatchCondition(names);
    }
    case FirstNames: {
        const auto &authors = item.authorList();
        const auto &editors = item.editorList();
        std::optional<QString> author, editor;
        if (!authors.isEmpty())
            author = authors.front().stringValue();
        if (!editors.isEmpty())
            editor = editors.front().stringValue();
        return firstNamesMatchCondition(author, editor);
    }
    case TitleFields:
    case JournalFields:
    case AnnotationFields:
        return fieldsMatchesCondition(searchFieldsForTarget(m_targetFieldChoice), item);
    case Year:
        return yearMatchesCondition(item.fieldDataForView(QStringLiteral("year")));
    case ModificationTime:
        return modifiedMatchesCondition(item.fieldDataForView(QStringLiteral("modified")), now);
    case AttachedFile:
        if constexpr (requires { item.attachedFile(); }) {
            return attachmentMatchesCondition(optionalText(item.attachedFile()), item.fileState());
        } else {
            // Only the last path component is compared, which the stored
            // "file" text has as well as the resolved path.
            return attachmentMatchesCondition(
                optionalText(item.fieldDataForView(QStringLiteral("file"))), item.fileState());
        }
    default:
        return false;
    }
}

template<typename Item>
bool SmartSearchCondition::fieldsMatchesCondition(const QStringList &fields, const Item &item) const
{
    QStringList values;
    for (const QString &field : fields)
        values << item.fieldDataForView(field);
    return valuesMatchCondition(values);
}
