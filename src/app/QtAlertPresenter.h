#pragma once

#include "core/AlertPresenter.h"

#include <QPointer>
#include <QWidget>

// The window's presenter: each alert is a window-modal QMessageBox over the
// main window (application-modal when there is none yet). The buttons keep
// their order default, alternate, other and their answers 1, 0 and -1;
// Escape answers the alternate button when there is one. Main thread only.
class QtAlertPresenter final : public AlertPresenter
{
public:
    explicit QtAlertPresenter(QWidget *window = nullptr);

    void setWindow(QWidget *window);
    int run(const AlertRequest &request) override;

private:
    QPointer<QWidget> m_window;
};
