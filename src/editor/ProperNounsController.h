#pragma once

#include "prefs/WordListFile.h"
#include "tex/TitleSmartPaste.h"

#include <QDialog>
#include <QStringList>

#include <array>
#include <functional>

class QComboBox;
class QDialogButtonBox;
class QListView;
class QPushButton;
class WordEditDelegate;
class WordListModel;

// The word-list sheet of the smart title paste: the proper nouns, the long
// words left in lower case and the short words capitalised all the same, one
// list at a time chosen in a pop-up. Words are edited in place (an empty word
// deletes its row, the empty last row adds one), removed with Delete, and
// imported from or exported to text files. While a typed word duplicates
// another, it is red and OK, import and export wait. The sheet edits a copy;
// the caller takes lists() on OK. Main thread only.
class ProperNounsController : public QDialog
{
    Q_OBJECT

public:
    // Chooses the word file to import from (`forExport` false) or to export
    // to; empty when the user cancels.
    using FileChooser = std::function<QString(bool forExport)>;

    explicit ProperNounsController(const TitleSmartPaste::WordLists &lists,
                                   QWidget *parent = nullptr);

    // Opens the sheet over `parent`; on OK `done` receives the edited lists.
    static ProperNounsController *
    editProperNouns(const TitleSmartPaste::WordLists &lists, QWidget *parent,
                    std::function<void(const TitleSmartPaste::WordLists &)> done);

    TitleSmartPaste::WordLists lists() const;
    void setFileChooser(FileChooser chooser) { m_chooseFile = std::move(chooser); }

    // The category shown (WordListFile::Category).
    void showCategory(int category);
    void importWords();
    void exportWords();
    void deleteSelectedWords();

    QComboBox *categoryPopup() const { return m_categoryPopup; }
    QListView *listView() const { return m_listView; }
    WordListModel *model() const { return m_model; }
    QPushButton *okButton() const;
    QPushButton *importButton() const { return m_importButton; }
    QPushButton *exportButton() const { return m_exportButton; }
    QPushButton *deleteButton() const { return m_deleteButton; }

private:
    void storeShownWords();
    void updateButtons();
    QString chooseFile(bool forExport);

    std::array<QStringList, 3> m_words; // by WordListFile::Category
    WordListFile::Category m_shown = WordListFile::ProperNouns;
    bool m_typingDuplicate = false;
    FileChooser m_chooseFile;

    QComboBox *m_categoryPopup;
    QListView *m_listView;
    WordListModel *m_model;
    WordEditDelegate *m_delegate;
    QPushButton *m_deleteButton;
    QPushButton *m_importButton;
    QPushButton *m_exportButton;
    QDialogButtonBox *m_buttons;
};
