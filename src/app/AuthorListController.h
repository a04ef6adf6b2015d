#pragma once

#include "storage/BibDatabase.h"

#include <QObject>
#include <QStringList>

#include <functional>

class AuthorListModel;
class RecentSearchMenu;
class QLabel;
class QLineEdit;
class QTableView;
class QWidget;

// The middle pane: the names of the node selected in the database list, with
// the all-authors row first, an incremental search and a status line.
// Selecting rows hands the union of their entries to the entry list (through
// the items sink). Created by the application controller; main thread only.
class AuthorListController : public QObject
{
    Q_OBJECT

public:
    explicit AuthorListController(QWidget *parentWidget, QObject *parent = nullptr);

    QWidget *pane() const { return m_pane; }
    QTableView *view() const { return m_tableAuthor; }
    QLineEdit *searchField() const { return m_stringAuthorSearch; }
    QLabel *statusLabel() const { return m_statusAuthors; }
    RecentSearchMenu *searchMenu() const { return m_searchMenu; }
    AuthorListModel *model() const { return m_model; }
    // Where the selected entries go (the entry list's setItems).
    void setItemsSink(std::function<void(BibItemList)> sink) { m_sink = std::move(sink); }

    void setAuthors(const AuthorIndex *index);
    void refleshAuthorList();
    void refleshStatus();
    void authorSearch();
    void clearIncrementalSearch();

    BibItemList selectedItems() const;
    QString firstSelection() const;
    // Empty when nothing or the all-authors row is selected.
    QStringList selectedAuthorNames() const;
    void selectAuthorsByNames(const QStringList &names);
    void forceSelectAll();
    int totalAuthors() const;
    int displayedAuthors() const;
    void prefsChanged();

private:
    QList<int> selectedRows() const;
    void selectRows(const QList<int> &rows);
    void selectionChanged();

    QWidget *m_pane = nullptr;
    QTableView *m_tableAuthor = nullptr;
    QLineEdit *m_stringAuthorSearch = nullptr;
    QLabel *m_statusAuthors = nullptr;
    RecentSearchMenu *m_searchMenu = nullptr;
    AuthorListModel *m_model = nullptr;
    std::function<void(BibItemList)> m_sink;
    bool m_quiet = false; // selection changes made while rebuilding
};
