#pragma once

#include <QObject>
#include <QStringList>

class QMenu;

// The Open Recent list: the last files opened, newest first, kept in a
// settings file of its own beside the preferences, shown in a menu whose
// items open the file again. Main thread only.
class RecentFiles : public QObject
{
    Q_OBJECT

public:
    static constexpr int kMaximum = 10;

    explicit RecentFiles(QObject *parent = nullptr);
    QStringList files() const { return m_files; }
    void add(const QString &path);
    void clear();
    // Fills `menu` with the files and a clear item; re-filled on every change.
    void attach(QMenu *menu, const QString &clearText);

Q_SIGNALS:
    void openRequested(const QString &path);
    void changed();

private:
    void store();
    void fill();

    QStringList m_files;
    QMenu *m_menu = nullptr;
    QString m_clearText;
};
