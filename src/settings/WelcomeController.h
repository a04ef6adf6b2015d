#pragma once

#include <QObject>
#include <QPointer>

class EncodingPopup;
class LineEndingPopup;
class QDialog;
class QWidget;

// The first-start sheet: asks for the text encoding and the line ending of new
// database files before anything is loaded. While it is open the loading
// threads wait (StoragePrefs::runningWelcome); OK stores both choices in the
// preferences ("Database File Text Encoding", "Database File Line Ending").
// The sheet is window-modal over `windowForSheet` and opened without a nested
// event loop; finished() tells when it is done. Main thread only.
class WelcomeController : public QObject
{
    Q_OBJECT

public:
    explicit WelcomeController(QWidget *windowForSheet, QObject *parent = nullptr);
    ~WelcomeController() override;

    void openWelcomeMessage();
    bool isRunning() const;

    // Ends the sheet as its OK button does.
    void ok();
    // Opens the quick-start page of the help.
    void showGuide();

    // The sheet's widgets while it is open (null otherwise), for tests.
    QDialog *panel() const;
    EncodingPopup *encodingPopup() const;
    LineEndingPopup *lineEndingPopup() const;

Q_SIGNALS:
    void finished();

private:
    void buildPanel();
    void sheetDidEnd(int returnCode);

    QPointer<QWidget> m_windowForSheet;
    QPointer<QDialog> m_welcomePanel;
    QPointer<EncodingPopup> m_encodingPopup;
    QPointer<LineEndingPopup> m_lineEndingPopup;
    bool m_running = false;
};
