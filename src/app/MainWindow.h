#pragma once

#include <QMainWindow>

#include <functional>

// The main window: a QMainWindow whose close goes through the application
// controller's quit question. Laid out by the controller; main thread only.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    // Asked when the user closes the window; false keeps it open.
    void setCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    std::function<bool()> m_closeHandler;
};
