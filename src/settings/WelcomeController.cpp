#include "settings/WelcomeController.h"

#include "settings/EncodingPopup.h"

#include <QComboBox>
#include <QDialog>

WelcomeController::WelcomeController(QWidget *windowForSheet, QObject *parent)
    : QObject(parent), m_windowForSheet(windowForSheet)
{}

WelcomeController::~WelcomeController() = default;

void WelcomeController::openWelcomeMessage() {}

bool WelcomeController::isRunning() const
{
    return m_running;
}

void WelcomeController::ok() {}
void WelcomeController::showGuide() {}
void WelcomeController::buildPanel() {}
void WelcomeController::sheetDidEnd(int) {}
