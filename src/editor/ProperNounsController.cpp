#include "editor/ProperNounsController.h"

#include "core/AlertPresenter.h"
#include "core/Texts.h"
#include "editor/WordEditDelegate.h"
#include "editor/WordListModel.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

ProperNounsController::ProperNounsController(const TitleSmartPaste::WordLists &lists,
                                             QWidget *parent)
    : QDialog(parent), m_words{lists.properNouns, lists.lowercaseWords, lists.captalizeWords},
      m_chooseFile([this](bool forExport) { return chooseFile(forExport); }),
      m_categoryPopup(new QComboBox(this)), m_listView(new QListView(this)),
      m_model(new WordListModel(this)), m_delegate(new WordEditDelegate(m_model, this)),
      m_deleteButton(new QPushButton(Texts::text(u"ProperNouns_Delete"), this)),
      m_importButton(new QPushButton(Texts::text(u"Import"), this)),
      m_exportButton(new QPushButton(Texts::text(u"Export"), this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(Texts::text(u"ProperNouns_Title"));
    m_categoryPopup->addItems({Texts::text(u"ProperNouns_Category0"),
                               Texts::text(u"ProperNouns_Category1"),
                               Texts::text(u"ProperNouns_Category2")});
    m_listView->setModel(m_model);
    m_listView->setItemDelegate(m_delegate);
    m_listView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_listView->setEditTriggers(QAbstractItemView::DoubleClicked |
                                QAbstractItemView::EditKeyPressed |
                                QAbstractItemView::AnyKeyPressed);
    auto *remove = new QAction(m_listView);
    remove->setShortcuts({QKeySequence::Delete, QKeySequence(Qt::Key_Backspace)});
    remove->setShortcutContext(Qt::WidgetShortcut);
    m_listView->addAction(remove);

    auto *fileButtons = new QHBoxLayout;
    fileButtons->addWidget(m_deleteButton);
    fileButtons->addStretch();
    fileButtons->addWidget(m_importButton);
    fileButtons->addWidget(m_exportButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_categoryPopup);
    layout->addWidget(m_listView);
    layout->addLayout(fileButtons);
    layout->addWidget(m_buttons);

    connect(m_categoryPopup, &QComboBox::currentIndexChanged, this,
            &ProperNounsController::showCategory);
    connect(remove, &QAction::triggered, this, &ProperNounsController::deleteSelectedWords);
    connect(m_deleteButton, &QPushButton::clicked, this,
            &ProperNounsController::deleteSelectedWords);
    connect(m_importButton, &QPushButton::clicked, this, &ProperNounsController::importWords);
    connect(m_exportButton, &QPushButton::clicked, this, &ProperNounsController::exportWords);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_delegate, &WordEditDelegate::duplicateTyped, this, [this](bool duplicate) {
        m_typingDuplicate = duplicate;
        updateButtons();
    });
    connect(m_model, &WordListModel::wordsChanged, this, [this] {
        storeShownWords();
        updateButtons();
    });
    m_model->setWords(m_words[m_shown], m_shown);
}

ProperNounsController *
ProperNounsController::editProperNouns(const TitleSmartPaste::WordLists &lists, QWidget *parent,
                                       std::function<void(const TitleSmartPaste::WordLists &)> done)
{
    auto *sheet = new ProperNounsController(lists, parent);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    connect(sheet, &QDialog::accepted, sheet,
            [sheet, done = std::move(done)] { done(sheet->lists()); });
    sheet->open();
    return sheet;
}

TitleSmartPaste::WordLists ProperNounsController::lists() const
{
    TitleSmartPaste::WordLists lists;
    lists.properNouns = m_words[WordListFile::ProperNouns];
    lists.lowercaseWords = m_words[WordListFile::LongConjunctions];
    lists.captalizeWords = m_words[WordListFile::ShortNormals];
    return lists;
}

QPushButton *ProperNounsController::okButton() const
{
    return m_buttons->button(QDialogButtonBox::Ok);
}

void ProperNounsController::showCategory(int category)
{
    if (category < 0 || category >= int(m_words.size()))
        return;
    if (m_categoryPopup->currentIndex() != category)
        m_categoryPopup->setCurrentIndex(category); // comes back here
    if (category == m_shown && m_model->category() == m_shown)
        return;
    storeShownWords();
    m_shown = WordListFile::Category(category);
    m_model->setWords(m_words[m_shown], m_shown);
}

void ProperNounsController::storeShownWords()
{
    if (m_model->category() == m_shown)
        m_words[m_shown] = m_model->words();
}

void ProperNounsController::updateButtons()
{
    const bool duplicates =
        m_typingDuplicate || std::any_of(m_words.begin(), m_words.end(), [](QStringList words) {
            const qsizetype count = words.size();
            words.removeDuplicates();
            return words.size() != count;
        });
    okButton()->setEnabled(!duplicates);
    m_importButton->setEnabled(!duplicates);
    m_exportButton->setEnabled(!duplicates);
}

void ProperNounsController::deleteSelectedWords()
{
    QList<int> rows;
    for (const QModelIndex &index : m_listView->selectionModel()->selectedIndexes())
        rows << index.row();
    m_model->removeWordRows(rows);
}

void ProperNounsController::importWords()
{
    if (!m_importButton->isEnabled())
        return;
    const QString path = m_chooseFile(false);
    if (path.isEmpty())
        return;
    const WordListFile::ImportResult result =
        WordListFile::importWords(m_model->words(), path, m_shown);
    m_model->setWords(result.words, m_shown);
    QItemSelectionModel *selection = m_listView->selectionModel();
    selection->clearSelection();
    for (const QString &word : result.added) {
        const int row = int(m_model->words().indexOf(word));
        if (row >= 0)
            selection->select(m_model->index(row), QItemSelectionModel::Select);
    }
    AlertPresenter::show(WordListFile::importSummaryAlert(result));
}

void ProperNounsController::exportWords()
{
    if (!m_exportButton->isEnabled())
        return;
    const QString path = m_chooseFile(true);
    if (path.isEmpty())
        return;
    QString errorKey;
    if (!WordListFile::exportWords(m_model->words(), path, errorKey))
        AlertPresenter::show(WordListFile::exportErrorAlert(errorKey, path));
}

QString ProperNounsController::chooseFile(bool forExport)
{
    QFileDialog dialog(this);
    dialog.setNameFilter(Texts::text(u"ProperNouns_FileFilter"));
    dialog.setDefaultSuffix(u"txt"_s);
    if (forExport) {
        dialog.setWindowTitle(Texts::text(u"ExportWordsTitle"));
        dialog.setLabelText(QFileDialog::FileName, Texts::text(u"ExportWordsMessage"));
        dialog.setLabelText(QFileDialog::Accept, Texts::text(u"ExportWordsLabel"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
    } else {
        dialog.setWindowTitle(Texts::text(u"ImportWordsTitle"));
        dialog.setLabelText(QFileDialog::FileName, Texts::text(u"ImportWordsMessage"));
        dialog.setLabelText(QFileDialog::Accept, Texts::text(u"ImportWordsLabel"));
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    dialog.setWindowModality(Qt::WindowModal);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().first()
               : QString();
}
