#include "settings/EncodingListEditor.h"

#include "core/Texts.h"
#include "prefs/BibPreferences.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

EncodingListEditor::EncodingListEditor(const QList<quint32> &active, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(Texts::text(u"EncodingEditor_Title"));
    m_checklist.setMarks(active);

    auto *explanation = new QLabel(Texts::text(u"EncodingEditor_Explanation"), this);
    explanation->setWordWrap(true);

    m_list = new QListWidget(this);
    m_list->setAccessibleName(Texts::text(u"EncodingEditor_ListName"));
    m_list->setUniformItemSizes(true);
    const QStringList names = m_checklist.encodingNames();
    for (const QString &name : names) {
        auto *item = new QListWidgetItem(name, m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    }
    connect(m_list, &QListWidget::itemChanged, this, &EncodingListEditor::itemChanged);

    m_search = new QLineEdit(this);
    m_search->setPlaceholderText(Texts::text(u"EncodingEditor_SearchPlaceholder"));
    m_search->setAccessibleName(Texts::text(u"EncodingEditor_SearchPlaceholder"));
    m_search->setClearButtonEnabled(true);
    m_checkContains = new QPushButton(Texts::text(u"EncodingEditor_CheckContains"), this);
    m_checkAll = new QPushButton(Texts::text(u"EncodingEditor_CheckAll"), this);
    m_uncheckAll = new QPushButton(Texts::text(u"EncodingEditor_UncheckAll"), this);
    for (QPushButton *button : {m_checkContains, m_checkAll, m_uncheckAll})
        button->setAutoDefault(false);
    connect(m_search, &QLineEdit::textChanged, this, &EncodingListEditor::updateButtons);
    m_search->installEventFilter(this);
    connect(m_checkContains, &QPushButton::clicked, this, [this] {
        m_checklist.checkContains(m_search->text());
        showMarks();
    });
    connect(m_checkAll, &QPushButton::clicked, this, [this] {
        m_checklist.checkAll();
        showMarks();
    });
    connect(m_uncheckAll, &QPushButton::clicked, this, [this] {
        m_checklist.uncheckAll();
        showMarks();
    });

    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_buttons->button(QDialogButtonBox::Ok)->setText(Texts::text(u"OK"));
    m_buttons->button(QDialogButtonBox::Cancel)->setText(Texts::text(u"Cancel"));
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *searchRow = new QHBoxLayout;
    searchRow->addWidget(m_search, 1);
    searchRow->addWidget(m_checkContains);
    auto *bulkRow = new QHBoxLayout;
    bulkRow->addWidget(m_checkAll);
    bulkRow->addWidget(m_uncheckAll);
    bulkRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(searchRow);
    layout->addWidget(m_list, 1);
    layout->addLayout(bulkRow);
    layout->addWidget(m_buttons);
    resize(420, 480);

    showMarks();
}

bool EncodingListEditor::editEncodingMenu(QWidget *parent)
{
    BibPreferences &preferences = *BibPreferences::globalPreferences();
    EncodingListEditor editor(preferences.activeEncodings(), parent);
    if (editor.exec() != QDialog::Accepted)
        return false;
    return editor.applyTo(preferences);
}

bool EncodingListEditor::applyTo(BibPreferences &preferences) const
{
    return m_checklist.confirm(preferences);
}

QPushButton *EncodingListEditor::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

bool EncodingListEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_search && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (m_checkContains->isEnabled())
                m_checkContains->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void EncodingListEditor::showMarks()
{
    const QSignalBlocker blocker(m_list);
    for (int row = 0; row < m_list->count(); ++row)
        m_list->item(row)->setCheckState(m_checklist.isChecked(row) ? Qt::Checked : Qt::Unchecked);
    updateButtons();
}

void EncodingListEditor::updateButtons()
{
    okButton()->setEnabled(m_checklist.canConfirm());
    m_checkAll->setEnabled(m_checklist.checkAllEnabled());
    m_uncheckAll->setEnabled(m_checklist.uncheckAllEnabled());
    m_checkContains->setEnabled(EncodingChecklist::checkContainsEnabled(m_search->text()));
}

void EncodingListEditor::itemChanged(QListWidgetItem *item)
{
    m_checklist.setChecked(m_list->row(item), item->checkState() == Qt::Checked);
    updateButtons();
}
