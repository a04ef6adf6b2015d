#include "editor/DatabaseChoiceDialog.h"

#include "core/Texts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

DatabaseChoiceDialog::DatabaseChoiceDialog(const QStringList &descriptions, QWidget *parent)
    : QDialog(parent), m_popup(new QComboBox(this))
{
    setWindowTitle(Texts::text(u"Editor_NewEntry"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(Texts::text(u"Editor_ChooseDatabase"), this));
    m_popup->addItems(descriptions);
    layout->addWidget(m_popup);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

int DatabaseChoiceDialog::chosenIndex() const
{
    return m_popup->currentIndex();
}

int DatabaseChoiceDialog::choose(const QStringList &descriptions, QWidget *parent)
{
    DatabaseChoiceDialog dialog(descriptions, parent);
    return dialog.exec() == QDialog::Accepted ? dialog.chosenIndex() : -1;
}
