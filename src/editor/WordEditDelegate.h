#pragma once

#include <QStyledItemDelegate>

class WordListModel;

// The editor of one word of the word-list sheet: while the typed word would
// duplicate another row's word it is shown in red with the reason, and
// duplicateTyped() tells the sheet so that it can refuse OK, import and
// export; the model refuses such a word when editing ends. Owned by the
// sheet.
class WordEditDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    WordEditDelegate(const WordListModel *model, QObject *parent);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                          const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;

Q_SIGNALS:
    // The word being typed became, or stopped being, a duplicate.
    void duplicateTyped(bool duplicate) const;

private:
    const WordListModel *m_model;
};
