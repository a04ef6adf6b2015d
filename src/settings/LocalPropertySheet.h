#pragma once

#include <QDialog>

#include <memory>

class EncodingPopup;
class LineEndingPopup;
class LocalDatabaseProperties;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The property sheet of a local database: description, encoding and line
// ending of the file, how attachments are stored, the write reservation and
// whether a reservation held by someone else is reported when the file is
// read. It edits a copy of the record (and of the warning switch); the caller
// reads properties() and suppressWarnings() after OK and stores them. The
// file's settings can change only while this user may write the file (the
// warning switch always can). Main thread only.
class LocalPropertySheet : public QDialog
{
    Q_OBJECT

public:
    LocalPropertySheet(const LocalDatabaseProperties &properties, bool suppressWarnings,
                       QWidget *parent = nullptr);
    ~LocalPropertySheet() override;

    // The edited record (the widgets' values are taken on OK).
    const LocalDatabaseProperties &properties() const { return *m_properties; }
    bool suppressWarnings() const;

    // Asks, then takes or gives up the reservation in the edited record.
    void toggleReservation();

    QLineEdit *descriptionField() const { return m_description; }
    EncodingPopup *encodingPopup() const { return m_encoding; }
    LineEndingPopup *lineEndingPopup() const { return m_lineEnding; }
    QComboBox *attachmentModePopup() const { return m_attachmentMode; }
    QLineEdit *attachmentPathField() const { return m_attachmentPath; }
    QCheckBox *renameCheck() const { return m_rename; }
    QCheckBox *keepFullPathCheck() const { return m_keepFullPath; }
    QCheckBox *suppressCheck() const { return m_suppress; }
    QLabel *reservationLabel() const { return m_reservation; }
    QPushButton *reservationButton() const { return m_reserveButton; }
    QDialogButtonBox *buttons() const { return m_buttons; }

    void accept() override;

private:
    void showReservation();
    void chooseAttachmentFolder();

    std::unique_ptr<LocalDatabaseProperties> m_properties;
    QLineEdit *m_description;
    EncodingPopup *m_encoding;
    LineEndingPopup *m_lineEnding;
    QComboBox *m_attachmentMode;
    QLineEdit *m_attachmentPath;
    QCheckBox *m_rename;
    QCheckBox *m_keepFullPath;
    QCheckBox *m_suppress;
    QLabel *m_reservation;
    QPushButton *m_reserveButton;
    QDialogButtonBox *m_buttons;
};
