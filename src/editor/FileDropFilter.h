#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QMimeData;
class QWidget;

// Takes drops of local files on a widget and its children before the widgets
// themselves see them (a line edit would insert the file names as text), and
// hands the files' paths on. Drops of anything else go to the widgets as
// usual. Owned by the widget it watches; main thread only.
class FileDropFilter : public QObject
{
    Q_OBJECT

public:
    // `accepts` says whether files can be dropped now; `dropped` takes them.
    FileDropFilter(QWidget *root, std::function<bool()> accepts,
                   std::function<void(const QStringList &)> dropped);

    // The local files among the dragged data (empty when none).
    static QStringList localFiles(const QMimeData *data);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool()> m_accepts;
    std::function<void(const QStringList &)> m_dropped;
};
