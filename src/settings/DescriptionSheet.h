#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLineEdit;

// The property sheet of a library group or a manual library: its description.
// It edits a copy; the caller reads description() after OK. Main thread only.
class DescriptionSheet : public QDialog
{
    Q_OBJECT

public:
    DescriptionSheet(const QString &title, const QString &description, QWidget *parent = nullptr);

    QString description() const;
    QLineEdit *descriptionField() const { return m_description; }
    QDialogButtonBox *buttons() const { return m_buttons; }

private:
    QLineEdit *m_description;
    QDialogButtonBox *m_buttons;
};
