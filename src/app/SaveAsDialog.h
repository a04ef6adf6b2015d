#pragma once

#include <QDialog>
#include <QString>

#include <optional>

class EncodingPopup;
class LineEndingPopup;
class QComboBox;
class QLineEdit;

// The save-as sheet: the file to write and the accessory pop-ups (text
// encoding, line ending, attachments). It edits a copy of a Choice and hands
// it back on OK; the caller writes the file. Main thread only.
class SaveAsDialog : public QDialog
{
    Q_OBJECT

public:
    struct Choice
    {
        QString path;
        int encoding = 4;
        int lineEnding = 2;  // 0 CR, 1 CR LF, 2 LF
        int attachments = 2; // 0 leave out, 1 full paths, 2 as stored
        bool operator==(const Choice &) const = default;
    };

    SaveAsDialog(const QString &message, const Choice &initial, QWidget *parent = nullptr);
    Choice choice() const;

    // Runs the sheet window-modally; answers whether the user confirmed.
    static bool run(QWidget *parent, const QString &message, Choice &choice);
    // Asks for a text encoding alone (reopening a file); nothing on Cancel.
    static std::optional<int> chooseEncoding(QWidget *parent, const QString &prompt, int current);

private:
    void browse();

    QLineEdit *m_path = nullptr;
    EncodingPopup *m_encoding = nullptr;
    LineEndingPopup *m_lineEnding = nullptr;
    QComboBox *m_attachments = nullptr;
};
