#pragma once

#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

// What the attachment viewer shows for one path, computed away from the main
// thread: the kind of file, a rendered PDF page or a scaled image, the files
// of a folder, or the key of the reason nothing can be shown. Values only;
// render() keeps no state and may run on any thread at once.
class AttachmentPreview
{
public:
    enum class Kind
    {
        Missing, // nothing at the path
        Pdf,
        Image,
        Folder,
        Other, // shown by its icon
        Failed // a PDF or image that cannot be read; see messageKey
    };

    // One file of an attached folder.
    struct FolderFile
    {
        QString name;
        QString path; // symbolic links resolved
        qint64 size = 0;
        bool isFolder = false;
        bool operator==(const FolderFile &) const = default;
    };

    struct Request
    {
        QString path;
        int page = 0;      // PDF page, from 0
        QSize box;         // device pixels available at zoom 1
        double zoom = 1.0; // 1 fits the width of the box
    };

    struct Result
    {
        Kind kind = Kind::Missing;
        QString path;
        qint64 size = 0;
        QString mimeIcon; // theme icon name of the file's type
        QImage image;     // the page or the image
        int page = 0;
        int pageCount = 0;
        QString messageKey; // why a PDF or image is not shown
        QList<FolderFile> files;
    };

    // The largest side of a rendered page or image, in pixels: zooming stops
    // there rather than allocating without bound.
    static constexpr int kMaxSide = 6000;
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 4.0;

    static Result render(const Request &request);
    static bool isImageFile(const QString &path);
    static bool isPdfFile(const QString &path);

private:
    static void renderPdf(const Request &request, Result &result);
    static void renderImage(const Request &request, Result &result);
    static void listFolder(const QString &path, Result &result);
};
