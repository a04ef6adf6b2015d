#include "settings/FileViewController.h"

#include "core/Texts.h"
#include "model/BibItem.h"

#include <QAction>
#include <QDesktopServices>
#include <QDockWidget>
#include <QEvent>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScrollArea>
#include <QSettings>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kFolderRole = Qt::UserRole + 1;
constexpr int kIconSide = 96;

QSettings windowStateSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, u"Quirefold"_s,
                     u"window-state"_s);
}

const QString kOpenKey = u"attachmentViewer/open"_s;

// A page-turning action of the dock: its key works while the focus is in
// the viewer, so the entry list keeps Page Up and Page Down.
QAction *pageAction(const QString &text, const QString &tipKey, Qt::Key key, QWidget *dock)
{
    auto *action = new QAction(text, dock);
    action->setShortcut(QKeySequence(key));
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    action->setToolTip(
        Texts::format(tipKey, {action->shortcut().toString(QKeySequence::NativeText)}));
    dock->addAction(action);
    return action;
}

QToolButton *toolButton(const QString &text, const QString &tip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(text);
    button->setToolTip(tip);
    button->setAutoRaise(true);
    return button;
}

QString sizeText(qint64 size)
{
    return QLocale().formattedDataSize(size);
}

} // namespace

FileViewController::FileViewController(QObject *parent) : QObject(parent)
{
    m_openHandler = [](const QString &path) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    };
    buildDock();
    m_noFileText = Texts::text(u"Viewer_NoSelection");
    showMessage(m_noFileText);
    updateControls();
}

FileViewController::~FileViewController()
{
    // A rendering still running finishes on the pool; its watcher goes with
    // this object, so nothing comes back.
    ++m_generation;
    delete m_dock.data();
}

void FileViewController::buildDock()
{
    m_dock = new QDockWidget(Texts::text(u"Viewer_Title"));
    m_dock->setObjectName(u"attachmentViewer"_s);
    m_dock->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    auto *pane = new QWidget(m_dock);
    auto *layout = new QVBoxLayout(pane);
    layout->setContentsMargins(6, 6, 6, 6);

    auto *header = new QHBoxLayout;
    m_name = new QLabel(pane);
    m_name->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_name->setMinimumWidth(40);
    m_size = new QLabel(pane);
    m_size->setForegroundRole(QPalette::PlaceholderText);
    m_open = new QPushButton(Texts::text(u"Viewer_Open"), pane);
    header->addWidget(m_name, 1);
    header->addWidget(m_size);
    header->addWidget(m_open);
    layout->addLayout(header);

    m_folder = new QTreeWidget(pane);
    m_folder->setColumnCount(2);
    m_folder->setHeaderLabels({Texts::text(u"Viewer_Name"), Texts::text(u"Viewer_Size")});
    m_folder->setRootIsDecorated(false);
    m_folder->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_folder->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_folder->header()->setStretchLastSection(false);
    m_folder->setMaximumHeight(160);
    m_folder->hide();
    layout->addWidget(m_folder);

    m_pageBar = new QWidget(pane);
    auto *bar = new QHBoxLayout(m_pageBar);
    bar->setContentsMargins(0, 0, 0, 0);
    m_previousAction = pageAction(Texts::text(u"Viewer_PreviousPageMenu"),
                                  u"Viewer_PreviousPageTip"_s, Qt::Key_PageUp, m_dock);
    m_nextAction = pageAction(Texts::text(u"Viewer_NextPageMenu"), u"Viewer_NextPageTip"_s,
                              Qt::Key_PageDown, m_dock);
    m_previous = toolButton(u"\u25C0"_s, m_previousAction->toolTip(), m_pageBar);
    m_pageLabel = new QLabel(m_pageBar);
    m_next = toolButton(u"\u25B6"_s, m_nextAction->toolTip(), m_pageBar);
    m_zoomOut = toolButton(u"\u2212"_s, Texts::text(u"Viewer_ZoomOut"), m_pageBar);
    m_zoomFit =
        toolButton(Texts::text(u"Viewer_ZoomFit"), Texts::text(u"Viewer_ZoomFitTip"), m_pageBar);
    m_zoomIn = toolButton(u"+"_s, Texts::text(u"Viewer_ZoomIn"), m_pageBar);
    bar->addWidget(m_previous);
    bar->addWidget(m_pageLabel);
    bar->addWidget(m_next);
    bar->addStretch(1);
    bar->addWidget(m_zoomOut);
    bar->addWidget(m_zoomFit);
    bar->addWidget(m_zoomIn);
    layout->addWidget(m_pageBar);

    m_scroll = new QScrollArea(pane);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_picture = new QLabel;
    m_picture->setAlignment(Qt::AlignCenter);
    m_picture->setWordWrap(true);
    m_picture->setMargin(8);
    m_scroll->setWidget(m_picture);
    m_scroll->setWidgetResizable(false);
    m_scroll->installEventFilter(this);
    layout->addWidget(m_scroll, 1);
    m_dock->setWidget(pane);

    m_resizeTimer = new QTimer(this);
    m_resizeTimer->setSingleShot(true);
    m_resizeTimer->setInterval(200);
    connect(m_resizeTimer, &QTimer::timeout, this, [this] {
        if (m_result.kind == AttachmentPreview::Kind::Pdf ||
            m_result.kind == AttachmentPreview::Kind::Image)
            request();
    });

    connect(m_open, &QPushButton::clicked, this, &FileViewController::openFile);
    connect(m_previous, &QToolButton::clicked, this, &FileViewController::previousPage);
    connect(m_next, &QToolButton::clicked, this, &FileViewController::nextPage);
    connect(m_previousAction, &QAction::triggered, this, &FileViewController::previousPage);
    connect(m_nextAction, &QAction::triggered, this, &FileViewController::nextPage);
    connect(m_zoomIn, &QToolButton::clicked, this, &FileViewController::zoomIn);
    connect(m_zoomOut, &QToolButton::clicked, this, &FileViewController::zoomOut);
    connect(m_zoomFit, &QToolButton::clicked, this, &FileViewController::zoomToFit);
    connect(m_folder, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *current) {
        if (!current || current->data(0, kFolderRole).toBool())
            return;
        m_path = current->data(0, kPathRole).toString();
        m_page = 0;
        m_zoom = 1.0;
        request();
    });
    connect(m_folder, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *activated) {
        m_openHandler(activated->data(0, kPathRole).toString());
    });
    // Nothing is rendered while the dock is closed; opening it catches up.
    connect(m_dock, &QDockWidget::visibilityChanged, this, [this](bool visible) {
        if (visible && m_stale)
            request();
    });
}

void FileViewController::restoreOpenState()
{
    m_dock->setVisible(windowStateSettings().value(kOpenKey, false).toBool());
}

void FileViewController::storeOpenState() const
{
    // Hidden by the user, not merely unseen (a window not yet shown).
    windowStateSettings().setValue(kOpenKey, !m_dock->isHidden());
}

void FileViewController::setItem(const std::shared_ptr<BibItem> &item)
{
    m_item = item;
    const std::optional<QString> path = item ? item->attachedFile() : std::nullopt;
    if (!path) {
        ++m_generation; // a rendering on its way is no longer wanted
        m_rootPath.clear();
        m_path.clear();
        m_rootResult = {};
        m_result = {};
        m_noFileText = Texts::text(item ? u"Viewer_NoAttachment" : u"Viewer_NoSelection");
        m_folder->clear();
        m_folder->hide();
        m_name->clear();
        m_size->clear();
        showMessage(m_noFileText);
        updateControls();
        Q_EMIT shown();
        return;
    }
    if (*path == m_rootPath) {
        refresh();
        return;
    }
    showFile(*path);
}

void FileViewController::followItem()
{
    const std::shared_ptr<BibItem> item = m_item.lock();
    if (!item)
        return;
    if (item->attachedFile().value_or(QString()) != m_rootPath)
        setItem(item);
}

void FileViewController::showFile(const QString &path)
{
    m_rootPath = path;
    m_path = path;
    m_rootResult = {};
    m_noFileText.clear();
    m_page = 0;
    m_zoom = 1.0;
    request();
}

void FileViewController::refresh()
{
    if (m_rootPath.isEmpty())
        return;
    // An attached folder is listed again and nothing in it stays chosen.
    m_path = m_rootPath;
    request();
}

void FileViewController::showPage(int page)
{
    if (m_result.kind != AttachmentPreview::Kind::Pdf)
        return;
    page = std::clamp(page, 0, m_result.pageCount - 1);
    if (page == m_page)
        return;
    m_page = page;
    request();
}

void FileViewController::zoomIn()
{
    m_zoom = std::min(AttachmentPreview::kMaxZoom, m_zoom * kZoomStep);
    request();
}

void FileViewController::zoomOut()
{
    m_zoom = std::max(AttachmentPreview::kMinZoom, m_zoom / kZoomStep);
    request();
}

void FileViewController::zoomToFit()
{
    m_zoom = 1.0;
    request();
}

void FileViewController::openFile()
{
    const QString path = openPath();
    if (!path.isEmpty() && QFileInfo::exists(path))
        m_openHandler(path);
}

void FileViewController::setOpenHandler(std::function<void(const QString &)> handler)
{
    m_openHandler = std::move(handler);
}

QString FileViewController::openPath() const
{
    if (m_rootPath.isEmpty())
        return {};
    const QTreeWidgetItem *chosen = m_folder->currentItem();
    if (m_rootResult.kind == AttachmentPreview::Kind::Folder && chosen)
        return chosen->data(0, kPathRole).toString();
    return m_rootPath;
}

QString FileViewController::message() const
{
    return m_picture->pixmap().isNull() ? m_picture->text() : QString();
}

QSize FileViewController::renderBox() const
{
    // The pane less a vertical scroll bar, whether one shows now or not, so
    // that fitting a page does not change when its scroll bar comes and goes.
    const QSize pane = m_scroll->contentsRect().size();
    const int bar = m_scroll->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_scroll);
    const int margin = 2 * m_picture->margin();
    const double ratio = m_scroll->devicePixelRatioF();
    const int width = std::max(pane.width() - bar - margin, 200);
    const int height = std::max(pane.height() - bar - margin, 200);
    return QSize(int(width * ratio), int(height * ratio));
}

bool FileViewController::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_scroll && event->type() == QEvent::Resize && m_zoom == 1.0)
        m_resizeTimer->start();
    return QObject::eventFilter(watched, event);
}

void FileViewController::request()
{
    if (m_path.isEmpty())
        return;
    const quint64 generation = ++m_generation;
    m_stale = !m_dock->isVisible() && m_dock->parentWidget();
    if (m_stale)
        return; // closed inside the window: rendered when it opens
    AttachmentPreview::Request request;
    request.path = m_path;
    request.page = m_page;
    request.box = renderBox();
    request.zoom = m_zoom;
    ++m_pending;
    auto *watcher = new QFutureWatcher<AttachmentPreview::Result>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, generation] {
        --m_pending;
        watcher->deleteLater();
        if (generation == m_generation)
            present(watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&AttachmentPreview::render, request));
}

void FileViewController::present(const AttachmentPreview::Result &result)
{
    using Kind = AttachmentPreview::Kind;
    const bool root = result.path == m_rootPath;
    if (root) {
        m_rootResult = result;
        if (result.kind == Kind::Folder) {
            showFolder(result);
        } else {
            m_folder->clear();
            m_folder->hide();
        }
    }
    m_result = result;
    m_page = result.page;
    const QFileInfo info(result.path);
    m_name->setText(info.fileName().isEmpty() ? result.path : info.fileName());
    m_name->setToolTip(result.path);
    if (result.kind == Kind::Folder)
        m_size->setText(
            Texts::format(u"Viewer_FolderCount", {QString::number(result.files.size())}));
    else if (result.kind == Kind::Missing)
        m_size->clear();
    else
        m_size->setText(sizeText(result.size));

    switch (result.kind) {
    case Kind::Pdf:
    case Kind::Image: {
        QPixmap pixmap = QPixmap::fromImage(result.image);
        pixmap.setDevicePixelRatio(m_scroll->devicePixelRatioF());
        m_picture->setText({});
        m_picture->setPixmap(pixmap);
        m_picture->adjustSize();
        break;
    }
    case Kind::Other: {
        QIcon icon = QIcon::fromTheme(result.mimeIcon);
        if (icon.isNull())
            icon = QFileIconProvider().icon(info);
        m_picture->setText({});
        m_picture->setPixmap(icon.pixmap(kIconSide, kIconSide));
        m_picture->adjustSize();
        break;
    }
    case Kind::Missing:
        showMessage(Texts::format(u"Viewer_Missing", {result.path}));
        break;
    case Kind::Failed:
        showMessage(Texts::text(result.messageKey));
        break;
    case Kind::Folder:
        if (!result.messageKey.isEmpty())
            showMessage(Texts::text(result.messageKey));
        else
            showMessage(
                Texts::text(result.files.isEmpty() ? u"Viewer_EmptyFolder" : u"Viewer_ChooseFile"));
        break;
    }
    updateControls();
    Q_EMIT shown();
}

void FileViewController::showMessage(const QString &text)
{
    m_picture->setPixmap({});
    m_picture->setText(text);
    m_picture->setFixedWidth(std::max(m_scroll->viewport()->width() - 4, 120));
    m_picture->adjustSize();
    m_picture->setMinimumWidth(0);
    m_picture->setMaximumWidth(QWIDGETSIZE_MAX);
}

void FileViewController::showFolder(const AttachmentPreview::Result &result)
{
    const QSignalBlocker blocker(m_folder);
    m_folder->clear();
    QFileIconProvider icons;
    for (const AttachmentPreview::FolderFile &file : result.files) {
        auto *row = new QTreeWidgetItem(m_folder);
        row->setText(0, file.name);
        row->setText(1, file.isFolder ? QString() : sizeText(file.size));
        row->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        row->setIcon(
            0, icons.icon(file.isFolder ? QFileIconProvider::Folder : QFileIconProvider::File));
        row->setData(0, kPathRole, file.path);
        row->setData(0, kFolderRole, file.isFolder);
        if (file.path == m_path && m_path != m_rootPath)
            m_folder->setCurrentItem(row);
    }
    m_folder->show();
}

void FileViewController::updateControls()
{
    using Kind = AttachmentPreview::Kind;
    const bool pdf = m_result.kind == Kind::Pdf;
    const bool picture = pdf || m_result.kind == Kind::Image;
    m_pageBar->setVisible(picture);
    m_previous->setVisible(pdf);
    m_next->setVisible(pdf);
    m_pageLabel->setVisible(pdf);
    if (pdf)
        m_pageLabel->setText(Texts::format(
            u"Viewer_Page", {QString::number(m_page + 1), QString::number(m_result.pageCount)}));
    m_previousAction->setEnabled(pdf && m_page > 0);
    m_nextAction->setEnabled(pdf && m_page + 1 < m_result.pageCount);
    m_previous->setEnabled(m_previousAction->isEnabled());
    m_next->setEnabled(m_nextAction->isEnabled());
    m_zoomIn->setEnabled(m_zoom < AttachmentPreview::kMaxZoom);
    m_zoomOut->setEnabled(m_zoom > AttachmentPreview::kMinZoom);
    m_open->setEnabled(!m_rootPath.isEmpty() && m_rootResult.kind != Kind::Missing &&
                       !m_rootResult.path.isEmpty());
}
