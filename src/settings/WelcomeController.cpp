#include "settings/WelcomeController.h"

#include "app/HelpBook.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "storage/StoragePrefs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

WelcomeController::WelcomeController(QWidget *windowForSheet, QObject *parent)
    : QObject(parent), m_windowForSheet(windowForSheet)
{}

WelcomeController::~WelcomeController()
{
    // A sheet still open when its controller goes must not leave the loaders
    // waiting for ever.
    if (m_running)
        StoragePrefs::setRunningWelcome(false);
    delete m_welcomePanel.data();
}

void WelcomeController::openWelcomeMessage()
{
    if (m_running) {
        m_welcomePanel->raise();
        return;
    }
    m_running = true;
    StoragePrefs::setRunningWelcome(true);
    buildPanel();
    const BibPreferences &preferences = *BibPreferences::globalPreferences();
    m_encodingPopup->rebuild();
    m_encodingPopup->setEncoding(static_cast<int>(preferences.databaseEncoding()));
    m_lineEndingPopup->setLineEnding(preferences.databaseLineMode());
    m_welcomePanel->open();
}

bool WelcomeController::isRunning() const
{
    return m_running;
}

QDialog *WelcomeController::panel() const
{
    return m_welcomePanel.data();
}

EncodingPopup *WelcomeController::encodingPopup() const
{
    return m_encodingPopup.data();
}

LineEndingPopup *WelcomeController::lineEndingPopup() const
{
    return m_lineEndingPopup.data();
}

void WelcomeController::ok()
{
    if (m_welcomePanel)
        m_welcomePanel->accept();
}

void WelcomeController::showGuide()
{
    HelpBook::showAnchor(QStringLiteral("QF_Help_QuickStart"));
}

void WelcomeController::buildPanel()
{
    auto *panel = new QDialog(m_windowForSheet);
    panel->setWindowTitle(Texts::text(u"Welcome_Title"));
    panel->setWindowModality(m_windowForSheet ? Qt::WindowModal : Qt::ApplicationModal);
    panel->setMinimumWidth(460);
    m_welcomePanel = panel;

    auto *message = new QLabel(Texts::text(u"Welcome_Message"), panel);
    message->setWordWrap(true);
    m_encodingPopup = new EncodingPopup(panel);
    m_encodingPopup->setAccessibleName(Texts::text(u"Welcome_EncodingLabel"));
    m_lineEndingPopup = new LineEndingPopup(panel);
    m_lineEndingPopup->setAccessibleName(Texts::text(u"Welcome_LineEndingLabel"));
    auto *form = new QFormLayout;
    form->addRow(Texts::text(u"Welcome_EncodingLabel"), m_encodingPopup);
    form->addRow(Texts::text(u"Welcome_LineEndingLabel"), m_lineEndingPopup);

    auto *buttons = new QDialogButtonBox(panel);
    QPushButton *okButton = buttons->addButton(Texts::text(u"OK"), QDialogButtonBox::AcceptRole);
    okButton->setDefault(true);
    QPushButton *guide =
        buttons->addButton(Texts::text(u"Welcome_Guide"), QDialogButtonBox::HelpRole);
    guide->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, panel, &QDialog::accept);
    connect(guide, &QPushButton::clicked, this, &WelcomeController::showGuide);

    auto *layout = new QVBoxLayout(panel);
    layout->addWidget(message);
    layout->addLayout(form);
    layout->addWidget(buttons);

    // Closing the sheet another way (Escape, the window's close button) keeps
    // the stored defaults but still ends it, so loading goes on.
    connect(panel, &QDialog::finished, this, &WelcomeController::sheetDidEnd);
}

void WelcomeController::sheetDidEnd(int returnCode)
{
    if (!m_running)
        return;
    if (returnCode == QDialog::Accepted) {
        BibPreferences &preferences = *BibPreferences::globalPreferences();
        preferences.setDatabaseEncoding(static_cast<quint32>(m_encodingPopup->encoding()));
        preferences.setDatabaseLineMode(m_lineEndingPopup->lineEnding());
    }
    m_running = false;
    StoragePrefs::setRunningWelcome(false);
    if (m_welcomePanel)
        m_welcomePanel->deleteLater();
    Q_EMIT finished();
}
