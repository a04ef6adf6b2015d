#include "editor/WordEditDelegate.h"

#include "core/Texts.h"
#include "editor/WordListModel.h"

#include <QLineEdit>
#include <QPalette>

namespace {

void showDuplicate(QLineEdit *line, bool duplicate)
{
    QPalette palette = line->palette();
    palette.setColor(QPalette::Text, duplicate ? QColor(Qt::red) : QColor(Qt::black));
    line->setPalette(palette);
    line->setToolTip(duplicate ? Texts::text(u"FieldDupNameError") : QString());
}

} // namespace

WordEditDelegate::WordEditDelegate(const WordListModel *model, QObject *parent)
    : QStyledItemDelegate(parent), m_model(model)
{}

QWidget *WordEditDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                        const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        const int row = index.row();
        connect(line, &QLineEdit::textChanged, this, [this, line, row](const QString &text) {
            const bool duplicate = m_model->wouldDuplicate(row, text);
            showDuplicate(line, duplicate);
            Q_EMIT duplicateTyped(duplicate);
        });
    }
    return editor;
}

void WordEditDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    Q_EMIT duplicateTyped(false);
    QStyledItemDelegate::destroyEditor(editor, index);
}
