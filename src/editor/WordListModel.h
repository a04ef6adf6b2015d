#pragma once

#include "prefs/WordListFile.h"

#include <QAbstractListModel>
#include <QStringList>

// The words of one list of the smart title paste as the word-list sheet edits
// them: one row per word and an empty row after the last, where typing adds a
// word. An edit is normalised for the list's category; an edit to an empty
// word deletes its row and an edit that would duplicate another row's word is
// refused. Words that occur twice are shown in red. Owned by
// ProperNounsController; main thread only.
class WordListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit WordListModel(QObject *parent = nullptr);

    // Shows `words` of `category`, sorted by the user's locale.
    void setWords(const QStringList &words, WordListFile::Category category);
    const QStringList &words() const { return m_words; }
    WordListFile::Category category() const { return m_category; }
    // Whether `text`, typed into `row`, names the word of another row.
    bool wouldDuplicate(int row, const QString &text) const;
    // Whether some word occurs twice.
    bool hasDuplicates() const;
    // Removes the words of `rows` (the adding row is ignored).
    void removeWordRows(QList<int> rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

Q_SIGNALS:
    // The words changed by an edit, a deletion or a new list.
    void wordsChanged();

private:
    bool isDuplicateAt(int row) const;

    QStringList m_words;
    WordListFile::Category m_category = WordListFile::ProperNouns;
};
