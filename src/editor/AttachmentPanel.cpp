#include "editor/AttachmentPanel.h"

#include "app/ActionRegistry.h"
#include "app/ItemListController.h"
#include "core/Texts.h"
#include "editor/DetailInfoController.h"
#include "model/BibItem.h"
#include "storage/FileUtilities.h"
#include "storage/LocalDatabase.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

AttachmentPanel::AttachmentPanel(DetailInfoController *controller, QWidget *parent)
    : QWidget(parent), m_infoController(controller), m_popupCopyChoice(new QComboBox(this)),
      m_checkRenameFiles(new QCheckBox(Texts::text(u"Editor_RenameAfterKey"), this)),
      m_stringCopyDestination(new QLabel(this)),
      m_buttonChoose(new QPushButton(Texts::text(u"Choose"), this)),
      m_buttonOpenFile(new QToolButton(this)), m_buttonOpenUrl(new QToolButton(this)),
      m_buttonSendEmail(new QToolButton(this)), m_buttonAttach(new QToolButton(this))
{
    m_choosers = defaultChoosers();
    m_buttonOpenFile->setText(Texts::text(u"Editor_OpenFile"));
    m_buttonOpenUrl->setText(Texts::text(u"Editor_OpenURL"));
    m_buttonSendEmail->setText(Texts::text(u"Editor_SendEmail"));
    m_buttonAttach->setText(Texts::text(u"Editor_AttachFiles"));
    for (const char16_t *key :
         {u"Sheet_AttachLeave", u"Sheet_AttachCopy", u"Sheet_AttachMove", u"Sheet_AttachLink"})
        m_popupCopyChoice->addItem(Texts::text(key));
    m_stringCopyDestination->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    auto *links = new QHBoxLayout;
    for (QToolButton *button :
         {m_buttonOpenFile, m_buttonAttach, m_buttonOpenUrl, m_buttonSendEmail})
        links->addWidget(button);
    links->addStretch(1);
    column->addLayout(links);
    auto *form = new QFormLayout;
    form->addRow(Texts::text(u"Sheet_AttachMode"), m_popupCopyChoice);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_stringCopyDestination, 1);
    folderRow->addWidget(m_buttonChoose);
    form->addRow(Texts::text(u"Sheet_AttachFolder"), folderRow);
    form->addRow(QString(), m_checkRenameFiles);
    column->addLayout(form);

    connect(m_popupCopyChoice, &QComboBox::currentIndexChanged, this,
            [this](int mode) { attachmentChoiceChanged(mode); });
    connect(m_checkRenameFiles, &QCheckBox::toggled, this,
            [this](bool on) { renameFileChanged(on); });
    connect(m_buttonChoose, &QPushButton::clicked, this, [this] { chooseAttachmentFolder(); });
    connect(m_buttonAttach, &QToolButton::clicked, this, [this] {
        const QStringList paths = m_choosers.files();
        if (!paths.isEmpty())
            attachFiles(paths);
    });
    connect(m_buttonOpenFile, &QToolButton::clicked, this,
            [this] { trigger(ItemListController::TagOpenAttachments); });
    connect(m_buttonOpenUrl, &QToolButton::clicked, this,
            [this] { trigger(ItemListController::TagOpenURLs); });
    connect(m_buttonSendEmail, &QToolButton::clicked, this,
            [this] { trigger(ItemListController::TagSendEmails); });
    setupAttachmentAction();
    updateEnabled();
}

AttachmentPanel::Choosers AttachmentPanel::defaultChoosers()
{
    Choosers choosers;
    choosers.folder = [this](const QString &start, const QString &description) {
        QFileDialog dialog(window(), Texts::format(u"ChooseFileFolderMessage", {description}),
                           start);
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
        dialog.setLabelText(QFileDialog::Accept, Texts::text(u"Choose"));
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QString();
        return dialog.selectedFiles().constFirst();
    };
    choosers.files = [this] {
        QFileDialog dialog(window(), Texts::text(u"Editor_AttachFilesTitle"));
        dialog.setFileMode(QFileDialog::ExistingFiles);
        dialog.setLabelText(QFileDialog::Accept, Texts::text(u"Editor_AttachFiles"));
        dialog.setWindowModality(Qt::WindowModal);
        return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
    };
    return choosers;
}

LocalDatabase *AttachmentPanel::database() const
{
    return m_currentItem ? dynamic_cast<LocalDatabase *>(m_currentItem->database()) : nullptr;
}

void AttachmentPanel::setItem(const std::shared_ptr<BibItem> &item)
{
    m_currentItem = item;
    // Every time: the database's property sheet may have changed them.
    setupAttachmentAction();
    updateLinkButtons();
}

void AttachmentPanel::setEditing(bool editing)
{
    m_editing = editing;
    updateEnabled();
}

void AttachmentPanel::setupAttachmentAction()
{
    m_settingUp = true;
    if (const LocalDatabase *db = database()) {
        m_popupCopyChoice->setCurrentIndex(qBound(0, db->fileAttachmentMode(), 3));
        m_checkRenameFiles->setChecked(db->renameAfterBibkey());
        m_stringCopyDestination->setText(attachmentPathText(db->attachmentPath()));
    } else {
        m_popupCopyChoice->setCurrentIndex(0);
        m_checkRenameFiles->setChecked(false);
        m_stringCopyDestination->setText(Texts::text(u"NoSelection"));
    }
    m_settingUp = false;
    updateEnabled();
}

QString AttachmentPanel::attachmentPathText(const QString &path)
{
    if (path.isEmpty())
        return Texts::text(u"PathSameAsDB");
    if (QDir::isAbsolutePath(path))
        return path.endsWith(u'/') ? path : path + u'/';
    return Texts::format(u"PathForDropFile", {path});
}

void AttachmentPanel::updateEnabled()
{
    const bool settings = m_editing && database();
    m_popupCopyChoice->setEnabled(settings);
    m_checkRenameFiles->setEnabled(settings);
    m_buttonChoose->setEnabled(settings && m_popupCopyChoice->currentIndex() != 0);
    m_buttonAttach->setEnabled(acceptsFiles());
}

void AttachmentPanel::updateLinkButtons()
{
    const int state = m_currentItem ? m_currentItem->fileState() : 0;
    m_buttonOpenFile->setEnabled(state >= 2 && state <= 4);
    m_buttonOpenUrl->setEnabled(m_currentItem && m_currentItem->attachedURL());
    m_buttonSendEmail->setEnabled(m_currentItem && m_currentItem->attachedEmail());
}

void AttachmentPanel::trigger(int tag)
{
    if (QAction *action = m_actions ? m_actions->action(tag) : nullptr)
        action->trigger();
}

void AttachmentPanel::attachmentChoiceChanged(int mode)
{
    if (m_settingUp)
        return;
    if (LocalDatabase *db = database(); db && m_editing && db->fileAttachmentMode() != mode)
        db->setFileAttachmentMode(mode);
    updateEnabled();
}

void AttachmentPanel::renameFileChanged(bool rename)
{
    if (m_settingUp)
        return;
    if (LocalDatabase *db = database(); db && m_editing && db->renameAfterBibkey() != rename)
        db->setRenameAfterBibkey(rename);
}

void AttachmentPanel::chooseAttachmentFolder()
{
    LocalDatabase *db = database();
    if (!db || !m_editing)
        return;
    const QString chosen =
        m_choosers.folder(db->fullPathOf(db->attachmentPath()), db->description());
    if (!chosen.isEmpty())
        setChosenFolder(FileUtilities::resolvAliasAndSymlink(chosen));
}

void AttachmentPanel::setChosenFolder(const QString &folder)
{
    LocalDatabase *db = database();
    if (!db || !m_editing)
        return;
    const QString path = db->relativePathOf(QDir::cleanPath(folder));
    if (path != db->attachmentPath())
        db->setAttachmentPath(path);
    m_stringCopyDestination->setText(attachmentPathText(path));
}

bool AttachmentPanel::acceptsFiles() const
{
    return m_editing && m_currentItem && m_currentItem->database();
}

bool AttachmentPanel::attachFiles(const QStringList &paths)
{
    if (!acceptsFiles() || paths.isEmpty() || !m_infoController->resolveRejectedValues())
        return false;
    // The key as shown names the attached file.
    const std::shared_ptr<BibItem> item = m_currentItem;
    item->fixChanged();
    const std::optional<QString> stored = item->appendAttachments(paths, true);
    if (stored) {
        item->setAttachment(*stored);
        item->fixChanged();
    } else {
        item->checkFileState();
    }
    m_infoController->reload();
    return stored.has_value();
}
