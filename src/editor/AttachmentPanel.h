#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class ActionRegistry;
class BibItem;
class DetailInfoController;
class LocalDatabase;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QToolButton;

// The links tab's own controls: the buttons that open the shown entry's
// attached file, its link and its e-mail address, a button that attaches
// files, and the attachment settings of the entry's database (what happens to
// an attached file, renaming it after the key, the attachment folder). Files
// dropped on the editor are attached here too. Owned by the links page of the
// entry editor; main thread only.
class AttachmentPanel : public QWidget
{
    Q_OBJECT

public:
    // The file dialogs; tests replace them.
    struct Choosers
    {
        // A folder, starting at `start`, for the database described by
        // `description`; empty when cancelled.
        std::function<QString(const QString &start, const QString &description)> folder;
        // Files to attach; empty when cancelled.
        std::function<QStringList()> files;
    };

    AttachmentPanel(DetailInfoController *controller, QWidget *parent);

    void setChoosers(Choosers choosers) { m_choosers = std::move(choosers); }
    // The window's commands that open attachments, links and e-mail.
    void setActions(ActionRegistry *actions) { m_actions = actions; }

    // Shows the entry's links and its database's settings.
    void setItem(const std::shared_ptr<BibItem> &item);
    // The settings and the attach button follow the editing switch.
    void setEditing(bool editing);
    void setupAttachmentAction();
    void attachmentChoiceChanged(int mode);
    void renameFileChanged(bool rename);
    void chooseAttachmentFolder();
    // Stores `folder` (absolute) as the database's attachment folder,
    // relative to the database when it lies inside its folder.
    void setChosenFolder(const QString &folder);
    // How an attachment folder setting is shown.
    static QString attachmentPathText(const QString &path);

    // Attaches `paths` to the entry being edited, asking whether to append
    // or replace when it has an attachment. False when nothing was attached.
    bool attachFiles(const QStringList &paths);
    bool acceptsFiles() const;

    QComboBox *copyChoice() const { return m_popupCopyChoice; }
    QCheckBox *renameCheck() const { return m_checkRenameFiles; }
    QLabel *copyDestination() const { return m_stringCopyDestination; }
    QPushButton *chooseButton() const { return m_buttonChoose; }
    QToolButton *openFileButton() const { return m_buttonOpenFile; }
    QToolButton *openUrlButton() const { return m_buttonOpenUrl; }
    QToolButton *sendEmailButton() const { return m_buttonSendEmail; }
    QToolButton *attachButton() const { return m_buttonAttach; }

private:
    LocalDatabase *database() const;
    void updateLinkButtons();
    void updateEnabled();
    void trigger(int tag);
    Choosers defaultChoosers();

    DetailInfoController *m_infoController;
    ActionRegistry *m_actions = nullptr;
    Choosers m_choosers;
    std::shared_ptr<BibItem> m_currentItem;
    QComboBox *m_popupCopyChoice;
    QCheckBox *m_checkRenameFiles;
    QLabel *m_stringCopyDestination;
    QPushButton *m_buttonChoose;
    QToolButton *m_buttonOpenFile;
    QToolButton *m_buttonOpenUrl;
    QToolButton *m_buttonSendEmail;
    QToolButton *m_buttonAttach;
    bool m_editing = false;
    bool m_settingUp = false;
};
