#include "settings/AttachmentPreview.h"

#include "core/Texts.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QPdfDocument>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QMimeDatabase &mimeDatabase()
{
    static const QMimeDatabase database;
    return database;
}

// The width at `zoom` of a box, never past the largest side.
int targetWidth(const AttachmentPreview::Request &request)
{
    const double zoom =
        std::clamp(request.zoom, AttachmentPreview::kMinZoom, AttachmentPreview::kMaxZoom);
    const int width = std::max(request.box.width(), 64);
    return std::clamp(static_cast<int>(std::lround(width * zoom)), 16, AttachmentPreview::kMaxSide);
}

QString pdfErrorKey(QPdfDocument::Error error)
{
    switch (error) {
    case QPdfDocument::Error::IncorrectPassword:
        return QF_KEY("Viewer_PdfLocked");
    case QPdfDocument::Error::UnsupportedSecurityScheme:
        return QF_KEY("Viewer_PdfUnsupported");
    case QPdfDocument::Error::FileNotFound:
        return QF_KEY("Viewer_Unreadable");
    default:
        return QF_KEY("Viewer_PdfDamaged");
    }
}

} // namespace

bool AttachmentPreview::isPdfFile(const QString &path)
{
    return mimeDatabase().mimeTypeForFile(path).inherits(u"application/pdf"_s);
}

bool AttachmentPreview::isImageFile(const QString &path)
{
    return !QImageReader::imageFormat(path).isEmpty();
}

AttachmentPreview::Result AttachmentPreview::render(const Request &request)
{
    Result result;
    result.path = request.path;
    const QFileInfo info(request.path);
    if (request.path.isEmpty() || !info.exists()) {
        result.kind = Kind::Missing;
        return result;
    }
    if (info.isDir()) {
        listFolder(request.path, result);
        return result;
    }
    result.size = info.size();
    result.mimeIcon = mimeDatabase().mimeTypeForFile(info).iconName();
    if (!info.isReadable()) {
        result.kind = Kind::Failed;
        result.messageKey = QF_KEY("Viewer_Unreadable");
    } else if (isPdfFile(request.path)) {
        renderPdf(request, result);
    } else if (isImageFile(request.path)) {
        renderImage(request, result);
    } else {
        result.kind = Kind::Other;
    }
    return result;
}

void AttachmentPreview::renderPdf(const Request &request, Result &result)
{
    // The document lives and dies on this thread; pdfium itself is guarded
    // by Qt's own lock, so several renderings may run at once.
    QPdfDocument document;
    const QPdfDocument::Error error = document.load(request.path);
    if (error != QPdfDocument::Error::None || document.pageCount() < 1) {
        result.kind = Kind::Failed;
        result.messageKey =
            error == QPdfDocument::Error::None ? QF_KEY("Viewer_PdfDamaged") : pdfErrorKey(error);
        return;
    }
    result.pageCount = document.pageCount();
    result.page = std::clamp(request.page, 0, result.pageCount - 1);
    const QSizeF points = document.pagePointSize(result.page);
    if (points.width() <= 0 || points.height() <= 0) {
        result.kind = Kind::Failed;
        result.messageKey = QF_KEY("Viewer_PdfDamaged");
        return;
    }
    int width = targetWidth(request);
    int height = static_cast<int>(std::lround(width * points.height() / points.width()));
    if (height > kMaxSide) {
        width = std::max(1, static_cast<int>(std::lround(width * double(kMaxSide) / height)));
        height = kMaxSide;
    }
    const QImage rendered = document.render(result.page, QSize(width, std::max(height, 1)));
    if (rendered.isNull()) {
        result.kind = Kind::Failed;
        result.messageKey = QF_KEY("Viewer_PdfDamaged");
        return;
    }
    // Pages come transparent where nothing is drawn: put them on paper.
    result.image = QImage(rendered.size(), QImage::Format_RGB32);
    result.image.fill(Qt::white);
    QPainter paper(&result.image);
    paper.drawImage(0, 0, rendered);
    paper.end();
    result.kind = Kind::Pdf;
}

void AttachmentPreview::renderImage(const Request &request, Result &result)
{
    QImageReader reader(request.path);
    reader.setAutoTransform(true);
    const QSize native = reader.size();
    if (native.isValid() && !native.isEmpty()) {
        // At zoom 1 a large image fits the box; a small one keeps its size.
        const double zoom = std::clamp(request.zoom, kMinZoom, kMaxZoom);
        QSize wanted = native;
        if (request.box.isValid() && !request.box.isEmpty())
            wanted = native.scaled(request.box, Qt::KeepAspectRatio).boundedTo(native);
        wanted = QSize(std::max(1, int(std::lround(wanted.width() * zoom))),
                       std::max(1, int(std::lround(wanted.height() * zoom))));
        if (wanted.width() > kMaxSide || wanted.height() > kMaxSide)
            wanted.scale(kMaxSide, kMaxSide, Qt::KeepAspectRatio);
        if (wanted != native)
            reader.setScaledSize(wanted);
    }
    result.image = reader.read();
    if (result.image.isNull()) {
        result.kind = Kind::Failed;
        result.messageKey = QF_KEY("Viewer_ImageDamaged");
        return;
    }
    result.kind = Kind::Image;
}

void AttachmentPreview::listFolder(const QString &path, Result &result)
{
    result.kind = Kind::Folder;
    result.mimeIcon = u"folder"_s;
    const QDir folder(path);
    if (!folder.isReadable()) {
        result.messageKey = QF_KEY("Viewer_Unreadable");
        return;
    }
    const QFileInfoList entries =
        folder.entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable);
    for (const QFileInfo &entry : entries) {
        FolderFile file;
        file.name = entry.fileName();
        // A link shows what it points at; a dangling one stays as it is.
        file.path = entry.isSymLink() && entry.exists() ? entry.canonicalFilePath()
                                                        : entry.absoluteFilePath();
        const QFileInfo target(file.path);
        file.isFolder = target.isDir();
        file.size = file.isFolder ? 0 : target.size();
        result.files << file;
    }
    QCollator collator;
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(result.files.begin(), result.files.end(),
              [&collator](const FolderFile &a, const FolderFile &b) {
                  return collator.compare(a.name, b.name) < 0;
              });
}
