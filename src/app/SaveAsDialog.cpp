#include "app/SaveAsDialog.h"

#include "core/Texts.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

SaveAsDialog::SaveAsDialog(const QString &message, const Choice &initial, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(Texts::text(u"SaveAs"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(message, this));
    auto *form = new QFormLayout;
    layout->addLayout(form);

    auto *fileRow = new QHBoxLayout;
    m_path = new QLineEdit(initial.path, this);
    m_path->setAccessibleName(Texts::text(u"Win_SaveAs_File"));
    auto *browseButton = new QPushButton(Texts::text(u"Win_SaveAs_Browse"), this);
    connect(browseButton, &QPushButton::clicked, this, &SaveAsDialog::browse);
    fileRow->addWidget(m_path, 1);
    fileRow->addWidget(browseButton);
    form->addRow(Texts::text(u"Win_SaveAs_File"), fileRow);

    m_encoding = new EncodingPopup(this);
    m_encoding->setEncoding(initial.encoding);
    m_encoding->setAccessibleName(Texts::text(u"Win_SaveAs_Encoding"));
    form->addRow(Texts::text(u"Win_SaveAs_Encoding"), m_encoding);

    m_lineEnding = new LineEndingPopup(this);
    m_lineEnding->setLineEnding(initial.lineEnding);
    m_lineEnding->setAccessibleName(Texts::text(u"Win_SaveAs_LineEnding"));
    form->addRow(Texts::text(u"Win_SaveAs_LineEnding"), m_lineEnding);

    m_attachments = new QComboBox(this);
    m_attachments->addItems({Texts::text(u"Win_Attachments_None"),
                             Texts::text(u"Win_Attachments_Full"),
                             Texts::text(u"Win_Attachments_Keep")});
    m_attachments->setCurrentIndex(qBound(0, initial.attachments, 2));
    m_attachments->setAccessibleName(Texts::text(u"Win_SaveAs_Attachments"));
    form->addRow(Texts::text(u"Win_SaveAs_Attachments"), m_attachments);

    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(Texts::text(u"SaveAs"), QDialogButtonBox::AcceptRole);
    buttons->addButton(Texts::text(u"Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (!m_path->text().trimmed().isEmpty())
            accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

SaveAsDialog::Choice SaveAsDialog::choice() const
{
    Choice result;
    result.path = m_path->text().trimmed();
    if (!result.path.isEmpty() && !result.path.endsWith(QStringLiteral(".bib")))
        result.path += QStringLiteral(".bib");
    result.encoding = m_encoding->encoding();
    result.lineEnding = m_lineEnding->lineEnding();
    result.attachments = m_attachments->currentIndex();
    return result;
}

void SaveAsDialog::browse()
{
    const QString path = QFileDialog::getSaveFileName(this, Texts::text(u"SaveAs"), m_path->text(),
                                                      QStringLiteral("BibTeX (*.bib)"));
    if (!path.isEmpty())
        m_path->setText(path);
}

bool SaveAsDialog::run(QWidget *parent, const QString &message, Choice &choice)
{
    SaveAsDialog dialog(message, choice, parent);
    dialog.setWindowModality(Qt::WindowModal);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    choice = dialog.choice();
    return !choice.path.isEmpty();
}

std::optional<int> SaveAsDialog::chooseEncoding(QWidget *parent, const QString &prompt, int current)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(Texts::text(u"Win_ReopenTitle"));
    dialog.setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(prompt, &dialog));
    auto *popup = new EncodingPopup(&dialog);
    popup->setEncoding(current);
    popup->setAccessibleName(Texts::text(u"Win_SaveAs_Encoding"));
    layout->addWidget(popup);
    auto *buttons = new QDialogButtonBox(&dialog);
    buttons->addButton(Texts::text(u"Win_Reopen"), QDialogButtonBox::AcceptRole);
    buttons->addButton(Texts::text(u"Cancel"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return popup->encoding();
}
