#include "editor/WordListModel.h"

#include "core/Texts.h"

#include <QColor>

#include <algorithm>

WordListModel::WordListModel(QObject *parent) : QAbstractListModel(parent) {}

void WordListModel::setWords(const QStringList &words, WordListFile::Category category)
{
    beginResetModel();
    m_words = WordListFile::sortedWords(words);
    m_category = category;
    endResetModel();
    Q_EMIT wordsChanged();
}

bool WordListModel::wouldDuplicate(int row, const QString &text) const
{
    const QString word = WordListFile::normalizedWord(text, m_category);
    if (word.isEmpty())
        return false;
    for (int other = 0; other < m_words.size(); ++other) {
        if (other != row && m_words.at(other) == word)
            return true;
    }
    return false;
}

bool WordListModel::isDuplicateAt(int row) const
{
    return m_words.count(m_words.at(row)) > 1;
}

bool WordListModel::hasDuplicates() const
{
    QStringList sorted = m_words;
    std::sort(sorted.begin(), sorted.end());
    return std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end();
}

void WordListModel::removeWordRows(QList<int> rows)
{
    std::sort(rows.begin(), rows.end(), std::greater<>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    bool removed = false;
    for (int row : std::as_const(rows)) {
        if (row < 0 || row >= m_words.size())
            continue;
        beginRemoveRows({}, row, row);
        m_words.removeAt(row);
        endRemoveRows();
        removed = true;
    }
    if (removed)
        Q_EMIT wordsChanged();
}

int WordListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_words.size()) + 1;
}

QVariant WordListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const int row = index.row();
    const bool isWord = row < m_words.size();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return isWord ? m_words.at(row) : QString();
    case Qt::ForegroundRole:
        if (isWord && isDuplicateAt(row))
            return QColor(Qt::red);
        return {};
    case Qt::ToolTipRole:
        if (isWord && isDuplicateAt(row))
            return Texts::text(u"FieldDupNameError");
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags WordListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool WordListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole ||
        !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const int row = index.row();
    const QString word = WordListFile::normalizedWord(value.toString(), m_category);
    if (word.isEmpty()) {
        // Clearing a word deletes it; the adding row stays empty.
        if (row < m_words.size())
            removeWordRows({row});
        return true;
    }
    if (wouldDuplicate(row, word))
        return false;
    if (row == m_words.size()) {
        // The word goes in before the adding row, which stays empty below it.
        beginInsertRows({}, row, row);
        m_words.append(word);
        endInsertRows();
    } else {
        if (m_words.at(row) == word)
            return true;
        m_words[row] = word;
        Q_EMIT dataChanged(index, index);
    }
    Q_EMIT wordsChanged();
    return true;
}
