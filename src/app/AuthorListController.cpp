#include "app/AuthorListController.h"

#include "app/AuthorListModel.h"
#include "app/RecentSearchMenu.h"
#include "core/Texts.h"
#include "prefs/BibPreferences.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

AuthorListController::AuthorListController(QWidget *parentWidget, QObject *parent) : QObject(parent)
{
    m_pane = new QWidget(parentWidget);
    m_pane->setObjectName(QStringLiteral("authorPane"));
    auto *layout = new QVBoxLayout(m_pane);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    m_stringAuthorSearch = new QLineEdit(m_pane);
    m_stringAuthorSearch->setObjectName(QStringLiteral("authorSearch"));
    m_stringAuthorSearch->setPlaceholderText(Texts::text(u"Win_AuthorSearch"));
    m_stringAuthorSearch->setAccessibleName(Texts::text(u"Win_AuthorSearch"));
    m_stringAuthorSearch->setClearButtonEnabled(true);
    layout->addWidget(m_stringAuthorSearch);
    m_searchMenu =
        new RecentSearchMenu(m_stringAuthorSearch, BibPreferences::kRecentAuthorSearches, this);

    m_model = new AuthorListModel(this);
    m_tableAuthor = new QTableView(m_pane);
    m_tableAuthor->setObjectName(QStringLiteral("tableAuthor"));
    m_tableAuthor->setAccessibleName(Texts::text(u"Win_Pane_Authors"));
    m_tableAuthor->setModel(m_model);
    m_tableAuthor->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_tableAuthor->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_tableAuthor->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tableAuthor->horizontalHeader()->setVisible(false);
    m_tableAuthor->horizontalHeader()->setStretchLastSection(true);
    m_tableAuthor->verticalHeader()->setVisible(false);
    m_tableAuthor->verticalHeader()->setDefaultSectionSize(m_tableAuthor->fontMetrics().height() +
                                                           6);
    m_tableAuthor->setShowGrid(false);
    m_tableAuthor->setTextElideMode(Qt::ElideMiddle);
    layout->addWidget(m_tableAuthor, 1);

    m_statusAuthors = new QLabel(m_pane);
    m_statusAuthors->setObjectName(QStringLiteral("authorStatus"));
    m_statusAuthors->setAccessibleName(Texts::text(u"Win_Status"));
    layout->addWidget(m_statusAuthors);

    connect(m_stringAuthorSearch, &QLineEdit::textChanged, this,
            &AuthorListController::authorSearch);
    connect(m_tableAuthor->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_quiet)
            selectionChanged();
    });
    prefsChanged();
    refleshStatus();
}

void AuthorListController::setAuthors(const AuthorIndex *index)
{
    m_quiet = true;
    const QString remembered = firstSelection();
    m_model->setAuthors(index);
    m_quiet = false;
    // setAuthors rebuilt the rows: restore as a rebuild does.
    const int row = remembered.isEmpty() ? -1 : m_model->rowOfName(remembered);
    selectRows({row > 0 ? row : 0});
    refleshStatus();
}

void AuthorListController::refleshAuthorList()
{
    m_quiet = true;
    const QString remembered = firstSelection();
    m_model->rebuild();
    m_quiet = false;
    const int row = remembered.isEmpty() ? -1 : m_model->rowOfName(remembered);
    selectRows({row > 0 ? row : 0});
}

void AuthorListController::refleshStatus()
{
    const int total = totalAuthors();
    QString text = Texts::text(total > 1 ? u"AuthorStatus" : u"AuthorStatus1");
    text.replace(QStringLiteral("<N>"), QString::number(total));
    text.replace(QStringLiteral("<n>"), QString::number(displayedAuthors()));
    m_statusAuthors->setText(text);
}

void AuthorListController::authorSearch()
{
    m_quiet = true;
    const QString remembered = firstSelection();
    m_model->setSearchText(m_stringAuthorSearch->text());
    m_quiet = false;
    const int row = remembered.isEmpty() ? -1 : m_model->rowOfName(remembered);
    selectRows({row > 0 ? row : 0});
    refleshStatus();
}

void AuthorListController::clearIncrementalSearch()
{
    m_stringAuthorSearch->clear();
    authorSearch();
}

QList<int> AuthorListController::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : m_tableAuthor->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

BibItemList AuthorListController::selectedItems() const
{
    return m_model->itemsOfRows(selectedRows());
}

QString AuthorListController::firstSelection() const
{
    const QList<int> rows = selectedRows();
    return rows.isEmpty() ? QString() : m_model->nameAt(rows.front());
}

QStringList AuthorListController::selectedAuthorNames() const
{
    const QList<int> rows = selectedRows();
    QStringList names;
    if (rows.isEmpty() || rows.front() == 0)
        return names;
    for (int row : rows)
        names << m_model->nameAt(row);
    return names;
}

void AuthorListController::selectAuthorsByNames(const QStringList &names)
{
    if (names.isEmpty()) {
        forceSelectAll();
        return;
    }
    QStringList remaining = names;
    QList<int> rows;
    for (int row = 1; row < m_model->rowCount() && !remaining.isEmpty(); ++row) {
        if (remaining.removeOne(m_model->nameAt(row)))
            rows << row;
    }
    selectRows(rows);
}

void AuthorListController::forceSelectAll()
{
    selectRows({0});
}

void AuthorListController::selectRows(const QList<int> &rows)
{
    m_quiet = true;
    QItemSelection selection;
    for (int row : rows) {
        const QModelIndex index = m_model->index(row, 0);
        selection.select(index, index);
    }
    m_tableAuthor->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
    if (!rows.isEmpty()) {
        m_tableAuthor->selectionModel()->setCurrentIndex(m_model->index(rows.front(), 0),
                                                         QItemSelectionModel::NoUpdate);
        m_tableAuthor->scrollTo(m_model->index(rows.front(), 0));
    }
    m_quiet = false;
    selectionChanged();
}

void AuthorListController::selectionChanged()
{
    if (m_sink)
        m_sink(selectedItems());
}

int AuthorListController::totalAuthors() const
{
    return m_model->totalAuthors();
}

int AuthorListController::displayedAuthors() const
{
    return m_model->displayedAuthors();
}

void AuthorListController::prefsChanged()
{
    // The lists share the desktop's font, as the tree and the entry list do.
    m_tableAuthor->viewport()->update();
}
