#include "settings/LocalPropertySheet.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "storage/LocalDatabaseProperties.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

LocalPropertySheet::LocalPropertySheet(const LocalDatabaseProperties &properties,
                                       bool suppressWarnings, QWidget *parent)
    : QDialog(parent), m_properties(LocalDatabaseProperties::propertiesWithProperties(properties)),
      m_description(new QLineEdit(properties.description(), this)),
      m_encoding(new EncodingPopup(this)), m_lineEnding(new LineEndingPopup(this)),
      m_attachmentMode(new QComboBox(this)),
      m_attachmentPath(new QLineEdit(properties.attachmentPath(), this)),
      m_rename(new QCheckBox(Texts::text(u"Sheet_RenameAfterKey"), this)),
      m_keepFullPath(new QCheckBox(Texts::text(u"Sheet_KeepFullPath"), this)),
      m_suppress(new QCheckBox(Texts::text(u"Sheet_SuppressWarnings"), this)),
      m_reservation(new QLabel(this)), m_reserveButton(new QPushButton(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    // The copy keeps the node's ID, so the caller can tell which node it is.
    m_properties->setUniqueID(properties.uniqueID());
    setWindowTitle(Texts::format(u"Sheet_LocalTitle", {properties.description()}));
    m_encoding->setEncoding(static_cast<int>(properties.encoding()));
    m_lineEnding->setLineEnding(properties.lineEnding());
    for (const char16_t *key :
         {u"Sheet_AttachLeave", u"Sheet_AttachCopy", u"Sheet_AttachMove", u"Sheet_AttachLink"})
        m_attachmentMode->addItem(Texts::text(key));
    m_attachmentMode->setCurrentIndex(qBound(0, properties.fileAttachmentMode(), 3));
    m_rename->setChecked(properties.renameAfterBibkey());
    m_keepFullPath->setChecked(properties.keepFullPath());
    m_suppress->setChecked(suppressWarnings);

    auto *form = new QFormLayout(this);
    form->addRow(Texts::text(u"Sheet_Description"), m_description);
    auto *path = new QLabel(properties.fullPath(), this);
    path->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(Texts::text(u"Sheet_File"), path);
    form->addRow(Texts::text(u"Sheet_Encoding"), m_encoding);
    form->addRow(Texts::text(u"Sheet_LineEnding"), m_lineEnding);
    form->addRow(Texts::text(u"Sheet_AttachMode"), m_attachmentMode);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_attachmentPath, 1);
    auto *browse = new QPushButton(Texts::text(u"Sheet_Choose"), this);
    folderRow->addWidget(browse);
    form->addRow(Texts::text(u"Sheet_AttachFolder"), folderRow);
    form->addRow(QString(), m_rename);
    form->addRow(QString(), m_keepFullPath);
    auto *reserveRow = new QHBoxLayout;
    reserveRow->addWidget(m_reservation, 1);
    reserveRow->addWidget(m_reserveButton);
    form->addRow(Texts::text(u"Sheet_Reservation"), reserveRow);
    form->addRow(QString(), m_suppress);
    form->addRow(m_buttons);

    connect(browse, &QPushButton::clicked, this, &LocalPropertySheet::chooseAttachmentFolder);
    connect(m_reserveButton, &QPushButton::clicked, this, &LocalPropertySheet::toggleReservation);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &LocalPropertySheet::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    showReservation();
}

LocalPropertySheet::~LocalPropertySheet() = default;

bool LocalPropertySheet::suppressWarnings() const
{
    return m_suppress->isChecked();
}

void LocalPropertySheet::showReservation()
{
    const LocalDatabaseProperties &p = *m_properties;
    const bool reserved = !p.privilegedHost().isEmpty() || !p.privilegedUser().isEmpty();
    if (!reserved) {
        m_reservation->setText(Texts::text(u"Sheet_NotReserved"));
    } else {
        const QDateTime since = QDateTime::fromString(p.privilegedSince(), Qt::ISODate);
        const QString when = since.isValid()
                                 ? QLocale().toString(since.toLocalTime(), QLocale::ShortFormat)
                                 : Texts::text(u"Sheet_SinceUnknown");
        m_reservation->setText(
            Texts::format(u"Sheet_ReservedBy", {p.privilegedUser(), p.privilegedHost(), when}));
    }
    m_reserveButton->setText(Texts::text(reserved ? u"Sheet_Release" : u"Sheet_Reserve"));
    // Someone else's file: only the warning switch (a setting of this user)
    // can change until the reservation is released.
    const bool writable = p.hasPrivilegeToWrite();
    for (QWidget *field :
         std::initializer_list<QWidget *>{m_description, m_encoding, m_lineEnding, m_attachmentMode,
                                          m_attachmentPath, m_rename, m_keepFullPath})
        field->setEnabled(writable);
}

void LocalPropertySheet::toggleReservation()
{
    LocalDatabaseProperties &p = *m_properties;
    const bool reserved = !p.privilegedHost().isEmpty() || !p.privilegedUser().isEmpty();
    AlertRequest request;
    request.defaultButton = Texts::text(u"OK");
    request.alternateButton = Texts::text(u"Cancel");
    if (!reserved) {
        request.title = Texts::text(u"GetPrivilege");
        request.message = Texts::text(u"GetPrivilegeMessage");
    } else if (p.hasPrivilegeToWrite()) {
        request.title = Texts::text(u"ReleasePrivilege");
        request.message = Texts::text(u"ReleasePrivilegeMessage");
    } else {
        // Someone else's reservation: they may still be writing the file.
        request.title = Texts::text(u"ReleasePrivilege");
        request.message = Texts::format(u"ReleaseOthersPrivilegeMessage",
                                        {p.privilegedUser(), p.privilegedHost()});
        request.defaultButton = Texts::text(u"Cancel");
        request.alternateButton = Texts::text(u"Sheet_Release");
    }
    const int answer = AlertPresenter::show(request);
    const bool confirmed = request.defaultButton == Texts::text(u"OK") ? answer == 1 : answer == 0;
    if (!confirmed)
        return;
    if (reserved)
        p.release();
    else
        p.reserve();
    showReservation();
}

void LocalPropertySheet::chooseAttachmentFolder()
{
    const QString folder =
        QFileDialog::getExistingDirectory(this, Texts::text(u"Sheet_AttachFolder"),
                                          m_properties->fullPathOfFile(m_attachmentPath->text()));
    if (!folder.isEmpty())
        m_attachmentPath->setText(m_properties->relativePathOfFile(folder));
}

void LocalPropertySheet::accept()
{
    LocalDatabaseProperties &p = *m_properties;
    if (!p.hasPrivilegeToWrite()) {
        QDialog::accept();
        return;
    }
    const QString description = m_description->text().trimmed();
    // Untouched, a description taken from the file name stays unstored;
    // emptied, it falls back to the file name.
    if (description != p.description())
        p.setDescription(description);
    p.setEncoding(static_cast<unsigned>(m_encoding->encoding()));
    p.setLineEnding(m_lineEnding->lineEnding());
    p.setFileAttachmentMode(m_attachmentMode->currentIndex());
    p.setAttachmentPath(m_attachmentPath->text().trimmed());
    p.setRenameAfterBibkey(m_rename->isChecked());
    p.setKeepFullPath(m_keepFullPath->isChecked());
    QDialog::accept();
}
