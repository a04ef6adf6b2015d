#include "settings/DescriptionSheet.h"

#include "core/Texts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>

DescriptionSheet::DescriptionSheet(const QString &title, const QString &description,
                                   QWidget *parent)
    : QDialog(parent), m_description(new QLineEdit(description, this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(title);
    auto *form = new QFormLayout(this);
    form->addRow(Texts::text(u"Sheet_Description"), m_description);
    form->addRow(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    // A node without a name cannot be told apart in the list.
    connect(m_description, &QLineEdit::textChanged, this, [this](const QString &text) {
        m_buttons->button(QDialogButtonBox::Ok)->setEnabled(!text.trimmed().isEmpty());
    });
}

QString DescriptionSheet::description() const
{
    return m_description->text().trimmed();
}
