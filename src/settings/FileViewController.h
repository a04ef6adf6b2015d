#pragma once

#include "settings/AttachmentPreview.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class BibItem;
class QAction;
class QDockWidget;
class QLabel;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;
class QTreeWidget;
class QWidget;

// The attachment viewer: a dock beside the entry list that shows the file
// attached to the single selected entry (a PDF page with page navigation and
// zoom, an image scaled to the pane, anything else by its icon) or the files
// of an attached folder, each with its name, size and an Open button.
// Loading and rendering run on the global thread pool; a result that arrives
// after the user moved on is dropped, so the widgets never wait. Pages turn
// with Page Up and Page Down while the viewer has the focus (the entry list
// keeps those keys otherwise). Owns the dock (handed to the main window);
// main thread only.
class FileViewController : public QObject
{
    Q_OBJECT

public:
    static constexpr double kZoomStep = 1.25;

    explicit FileViewController(QObject *parent = nullptr);
    ~FileViewController() override;
    FileViewController(const FileViewController &) = delete;
    FileViewController &operator=(const FileViewController &) = delete;

    QDockWidget *dock() const { return m_dock; }
    // Page turning, for the window's menu; enabled while a PDF is shown.
    QAction *previousPageAction() const { return m_previousAction; }
    QAction *nextPageAction() const { return m_nextAction; }

    // Whether the dock is open is kept between starts in the user's
    // "window-state" settings: the window restores it when it starts and
    // stores it with its other settings.
    void restoreOpenState();
    void storeOpenState() const;

    // The entry whose attachment is shown; none clears the viewer.
    void setItem(const std::shared_ptr<BibItem> &item);
    // Shows `path` directly (the selected file of a folder, or a test).
    void showFile(const QString &path);
    // Re-reads what is shown (the attachment may have changed on disk).
    void refresh();
    // The entry shown may have been edited: a changed attachment is shown.
    void followItem();

    // ---- PDF pages and zoom
    void showPage(int page);
    void nextPage() { showPage(m_page + 1); }
    void previousPage() { showPage(m_page - 1); }
    void zoomIn();
    void zoomOut();
    void zoomToFit();

    // Opens the shown file (or the file chosen in a folder) with the
    // desktop's program for it.
    void openFile();
    // Replaces how files are opened (tests record instead of launching).
    void setOpenHandler(std::function<void(const QString &)> handler);

    // ---- what is shown, for the window and its tests
    bool isBusy() const { return m_pending > 0; }
    QString shownPath() const { return m_result.path; }
    QString openPath() const;
    AttachmentPreview::Kind shownKind() const { return m_result.kind; }
    const AttachmentPreview::Result &shownResult() const { return m_result; }
    int page() const { return m_page; }
    double zoom() const { return m_zoom; }
    QString message() const;
    QLabel *nameLabel() const { return m_name; }
    QLabel *sizeLabel() const { return m_size; }
    QLabel *pageLabel() const { return m_pageLabel; }
    QLabel *pictureLabel() const { return m_picture; }
    QPushButton *openButton() const { return m_open; }
    QTreeWidget *folderList() const { return m_folder; }

Q_SIGNALS:
    // A result was put on screen (or a message in its place).
    void shown();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildDock();
    void request();
    void present(const AttachmentPreview::Result &result);
    void showMessage(const QString &text);
    void showFolder(const AttachmentPreview::Result &result);
    void updateControls();
    QSize renderBox() const;

    // Owned here until the window takes it; the window may delete it first.
    QPointer<QDockWidget> m_dock;
    QLabel *m_name = nullptr;
    QLabel *m_size = nullptr;
    QPushButton *m_open = nullptr;
    QTreeWidget *m_folder = nullptr;
    QWidget *m_pageBar = nullptr;
    QToolButton *m_previous = nullptr;
    QToolButton *m_next = nullptr;
    QAction *m_previousAction = nullptr;
    QAction *m_nextAction = nullptr;
    QLabel *m_pageLabel = nullptr;
    QToolButton *m_zoomOut = nullptr;
    QToolButton *m_zoomIn = nullptr;
    QToolButton *m_zoomFit = nullptr;
    QScrollArea *m_scroll = nullptr;
    QLabel *m_picture = nullptr;
    QTimer *m_resizeTimer = nullptr;
    std::function<void(const QString &)> m_openHandler;

    // The attachment of the entry (or the path shown directly) and, inside
    // an attached folder, the file chosen there.
    std::weak_ptr<BibItem> m_item;
    QString m_rootPath;
    QString m_path;
    AttachmentPreview::Result m_rootResult; // the folder listing, when m_rootPath is one
    AttachmentPreview::Result m_result;     // what is on screen
    QString m_noFileText;                   // why there is nothing to show, if so
    int m_page = 0;
    double m_zoom = 1.0;
    // Every request gets the next number; only the newest one's result shows.
    quint64 m_generation = 0;
    int m_pending = 0;
    // A request waits for the dock to open.
    bool m_stale = false;
};
