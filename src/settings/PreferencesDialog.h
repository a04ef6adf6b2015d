#pragma once

#include "model/MacroList.h"

#include <QDialog>
#include <QVariantList>
#include <QVariantMap>

class BibPreferences;
class EncodingPopup;
class LineEndingPopup;
class QCheckBox;
class QComboBox;
class QDialogButtonBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QSpinBox;
class QTableWidget;
class QTabWidget;

// The preferences dialog: every user setting, in pages (general, files and
// encodings, display and columns, templates and copying, key rule, smart
// paste and word lists, input buttons, predefined macros). It reads the
// store once, edits its own copy, and on OK the caller has applyTo() write
// the values through the store's setters; templates and the key rule are
// checked as typed and OK waits while one is faulty. Main thread only.
class PreferencesDialog : public QDialog
{
    Q_OBJECT

public:
    // What applying changed, for the preferences-changed announcement.
    struct Changes
    {
        bool globalMacros = false;
        bool listFormats = false;
    };

    explicit PreferencesDialog(const BibPreferences &preferences, QWidget *parent = nullptr);

    // Writes every value through the setters (each sets the store's dirty flag).
    Changes applyTo(BibPreferences &preferences);
    bool isValid() const;

    QTabWidget *pages() const { return m_pages; }
    QDialogButtonBox *buttons() const { return m_buttons; }
    // General
    QCheckBox *autoSaveCheck() const { return m_autoSave; }
    // Files
    QCheckBox *writeUntouchedCheck() const { return m_writeUntouched; }
    QSpinBox *autoSaveIntervalBox() const { return m_autoSaveInterval; }
    QSpinBox *backupsBox() const { return m_backups; }
    // Display and columns
    QListWidget *columnList() const { return m_columns; }
    QDoubleSpinBox *listFontSizeBox() const { return m_listFontSize; }
    QComboBox *authorListFormatPopup() const { return m_authorListFormat; }
    // Templates and copying
    QComboBox *typePopup() const { return m_type; }
    QPlainTextEdit *formatsField() const { return m_formats; }
    QLabel *formatError() const { return m_formatError; }
    QLineEdit *separatorField() const { return m_separator; }
    // Key rule
    QLineEdit *keyRuleField() const { return m_keyRule; }
    QLabel *keyRuleError() const { return m_keyRuleError; }
    // Word lists
    QPlainTextEdit *properNounsField() const { return m_properNouns; }
    // Input buttons
    QTableWidget *buttonTable() const { return m_buttonTable; }
    // Predefined macros
    const MacroList &commonMacros() const { return m_macros; }
    void setCommonMacros(const MacroList &macros);

private:
    QWidget *generalPage(const BibPreferences &p);
    QWidget *filesPage(const BibPreferences &p);
    QWidget *displayPage(const BibPreferences &p);
    QWidget *templatesPage(const BibPreferences &p);
    QWidget *keyRulePage(const BibPreferences &p);
    QWidget *wordsPage(const BibPreferences &p);
    QWidget *buttonsPage(const BibPreferences &p);
    QWidget *macrosPage();
    void showType(const QString &type);
    void storeShownType();
    void check();
    void editMacros();

    QVariantMap m_typeDefinitions; // the edited copy
    QString m_shownType;
    MacroList m_macros;
    bool m_macrosChanged = false;
    QVariantMap m_columnDefinitions;

    QTabWidget *m_pages;
    QDialogButtonBox *m_buttons;
    QCheckBox *m_autoSave = nullptr;
    QSpinBox *m_autoSaveInterval = nullptr;
    QSpinBox *m_backups = nullptr;
    QCheckBox *m_quickSearchCase = nullptr;
    QCheckBox *m_openDetail = nullptr;
    QCheckBox *m_yen = nullptr;
    QCheckBox *m_autoInputPanel = nullptr;
    EncodingPopup *m_encoding = nullptr;
    LineEndingPopup *m_lineEnding = nullptr;
    QCheckBox *m_writeUntouched = nullptr;
    QListWidget *m_columns = nullptr;
    QDoubleSpinBox *m_listFontSize = nullptr;
    QDoubleSpinBox *m_fieldFontSize = nullptr;
    QComboBox *m_authorListFormat = nullptr;
    QComboBox *m_type = nullptr;
    QPlainTextEdit *m_formats = nullptr;
    QLabel *m_formatError = nullptr;
    QSpinBox *m_copyFormat = nullptr;
    QComboBox *m_copyAuthorFormat = nullptr;
    QLineEdit *m_separator = nullptr;
    QCheckBox *m_abbreviate = nullptr;
    QSpinBox *m_nonAbbrevNum = nullptr;
    QSpinBox *m_abbrevNum = nullptr;
    QSpinBox *m_prefix = nullptr;
    QLineEdit *m_keyRule = nullptr;
    QLabel *m_keyRuleError = nullptr;
    QCheckBox *m_smartAuthor = nullptr;
    QCheckBox *m_smartTitle = nullptr;
    QPlainTextEdit *m_properNouns = nullptr;
    QPlainTextEdit *m_longWords = nullptr;
    QPlainTextEdit *m_shortWords = nullptr;
    QLineEdit *m_titleFields = nullptr;
    QLineEdit *m_journalFields = nullptr;
    QLineEdit *m_annoteFields = nullptr;
    QLineEdit *m_annoteIdentifier = nullptr;
    QTableWidget *m_buttonTable = nullptr;
    QLabel *m_macroCount = nullptr;
};
