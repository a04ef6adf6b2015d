#include "settings/PreferencesDialog.h"

#include "core/Texts.h"
#include "editor/ProperNounsController.h"
#include "model/FormatElement.h"
#include "prefs/BibPreferences.h"
#include "settings/EncodingListEditor.h"
#include "settings/EncodingPopup.h"
#include "settings/LineEndingPopup.h"
#include "settings/MacroEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace {

QStringList words(const QString &text)
{
    static const QRegularExpression separators(u"[\\s,;]+"_s);
    return text.split(separators, Qt::SkipEmptyParts);
}

QSpinBox *spinBox(int minimum, int maximum, int value, QWidget *parent)
{
    auto *box = new QSpinBox(parent);
    box->setRange(minimum, maximum);
    box->setValue(value);
    return box;
}

QComboBox *codePopup(std::initializer_list<const char16_t *> keys, int value, QWidget *parent)
{
    auto *popup = new QComboBox(parent);
    int code = 0;
    for (const char16_t *key : keys)
        popup->addItem(Texts::text(key), code++);
    popup->setCurrentIndex(std::max(0, popup->findData(value)));
    return popup;
}

// The error of a template as the user types it, or empty when it is sound.
QString templateError(const QString &text)
{
    QString error;
    FormatElement::normalizedStringOf(text, error);
    return error;
}

} // namespace

PreferencesDialog::PreferencesDialog(const BibPreferences &preferences, QWidget *parent)
    : QDialog(parent), m_typeDefinitions(preferences.bibTypeDefinitions()),
      m_macros(*preferences.macroList()), m_columnDefinitions(preferences.listViewDefinitions()),
      m_pages(new QTabWidget(this)),
      m_buttons(new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this))
{
    setWindowTitle(Texts::text(u"Prefs_Title"));
    m_pages->addTab(generalPage(preferences), Texts::text(u"Prefs_PageGeneral"));
    m_pages->addTab(filesPage(preferences), Texts::text(u"Prefs_PageFiles"));
    m_pages->addTab(displayPage(preferences), Texts::text(u"Prefs_PageDisplay"));
    m_pages->addTab(templatesPage(preferences), Texts::text(u"Prefs_PageTemplates"));
    m_pages->addTab(keyRulePage(preferences), Texts::text(u"Prefs_PageKeyRule"));
    m_pages->addTab(wordsPage(preferences), Texts::text(u"Prefs_PageWords"));
    m_pages->addTab(buttonsPage(preferences), Texts::text(u"Prefs_PageButtons"));
    m_pages->addTab(macrosPage(), Texts::text(u"Prefs_PageMacros"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_pages, 1);
    layout->addWidget(m_buttons);
    connect(m_buttons, &QDialogButtonBox::accepted, this, [this] {
        if (isValid())
            accept();
    });
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    check();
}

QWidget *PreferencesDialog::generalPage(const BibPreferences &p)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_autoSave = new QCheckBox(Texts::text(u"Prefs_AutoSave"), page);
    m_autoSave->setChecked(p.autoSave());
    m_autoSaveInterval = spinBox(1, 240, p.autoSaveInterval(), page);
    m_autoSaveInterval->setEnabled(p.autoSave());
    connect(m_autoSave, &QCheckBox::toggled, m_autoSaveInterval, &QWidget::setEnabled);
    m_backups = spinBox(0, 99, p.numBackups(), page);
    m_quickSearchCase = new QCheckBox(Texts::text(u"Prefs_QuickSearchCase"), page);
    m_quickSearchCase->setChecked(p.quickSearchCase());
    m_openDetail = new QCheckBox(Texts::text(u"Prefs_OpenDetail"), page);
    m_openDetail->setChecked(p.openDetailInfo());
    m_autoInputPanel = new QCheckBox(Texts::text(u"Prefs_AutoInputPanel"), page);
    m_autoInputPanel->setChecked(p.autoOpenInputPanel());
    m_yen = new QCheckBox(Texts::text(u"Prefs_Yen"), page);
    m_yen->setChecked(p.convertToYen());
    form->addRow(QString(), m_autoSave);
    form->addRow(Texts::text(u"Prefs_AutoSaveInterval"), m_autoSaveInterval);
    form->addRow(Texts::text(u"Prefs_Backups"), m_backups);
    form->addRow(QString(), m_quickSearchCase);
    form->addRow(QString(), m_openDetail);
    form->addRow(QString(), m_autoInputPanel);
    form->addRow(QString(), m_yen);
    return page;
}

QWidget *PreferencesDialog::filesPage(const BibPreferences &p)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_encoding = new EncodingPopup(page);
    m_encoding->setEncoding(static_cast<int>(p.databaseEncoding()));
    m_lineEnding = new LineEndingPopup(page);
    m_lineEnding->setLineEnding(p.databaseLineMode());
    form->addRow(Texts::text(u"Sheet_Encoding"), m_encoding);
    form->addRow(Texts::text(u"Sheet_LineEnding"), m_lineEnding);
    form->addRow(new QLabel(Texts::text(u"Prefs_FilesExplanation"), page));
    m_writeUntouched = new QCheckBox(Texts::text(u"Prefs_WriteUntouched"), page);
    m_writeUntouched->setChecked(p.writeUntouchedAsRead());
    m_writeUntouched->setToolTip(Texts::text(u"Prefs_WriteUntouchedTip"));
    form->addRow(QString(), m_writeUntouched);
    return page;
}

QWidget *PreferencesDialog::displayPage(const BibPreferences &p)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_listFontSize = new QDoubleSpinBox(page);
    m_listFontSize->setRange(10, 48);
    m_listFontSize->setValue(p.listFontSize());
    m_fieldFontSize = new QDoubleSpinBox(page);
    m_fieldFontSize->setRange(10, 48);
    m_fieldFontSize->setValue(p.fieldFontSize());
    m_authorListFormat =
        codePopup({u"Prefs_NameFamilyGiven", u"Prefs_NameGivenFamily", u"Prefs_NameFamily"},
                  p.authorListFormat(), page);
    // The columns in their order, the shown ones first; a check shows one,
    // dragging orders them.
    m_columns = new QListWidget(page);
    QStringList keys = p.listColumnOrder();
    QStringList hidden = m_columnDefinitions.keys();
    hidden.sort();
    for (const QString &key : hidden)
        if (!keys.contains(key))
            keys.append(key);
    for (const QString &key : keys) {
        if (!m_columnDefinitions.contains(key))
            continue;
        QString title = m_columnDefinitions.value(key).toList().value(0).toString();
        if (key == u"00_mark")
            title = Texts::text(u"column_title_mark");
        else if (key == u"01_file")
            title = Texts::text(u"column_title_file");
        auto *item = new QListWidgetItem(title, m_columns);
        item->setData(Qt::UserRole, key);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(p.listColumnOrder().contains(key) ? Qt::Checked : Qt::Unchecked);
    }
    m_columns->setDragDropMode(QAbstractItemView::InternalMove);
    form->addRow(Texts::text(u"Prefs_ListFontSize"), m_listFontSize);
    form->addRow(Texts::text(u"Prefs_FieldFontSize"), m_fieldFontSize);
    form->addRow(Texts::text(u"Prefs_AuthorListFormat"), m_authorListFormat);
    form->addRow(Texts::text(u"Prefs_Columns"), m_columns);
    return page;
}

QWidget *PreferencesDialog::templatesPage(const BibPreferences &p)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_type = new QComboBox(page);
    for (const QString &type : p.bibTypesList())
        m_type->addItem(type, type);
    m_type->addItem(BibPreferences::kUndefinedBibType, BibPreferences::kUndefinedBibType);
    m_formats = new QPlainTextEdit(page);
    m_formats->setToolTip(Texts::text(u"Prefs_FormatsTip"));
    m_formatError = new QLabel(page);
    m_formatError->setStyleSheet(u"color: red"_s);
    m_formatError->setWordWrap(true);
    m_copyFormat = spinBox(0, 7, p.copyItemFormat(), page);
    m_copyFormat->setToolTip(Texts::text(u"Prefs_CopyFormatTip"));
    m_copyAuthorFormat = codePopup({u"Prefs_NameFamilyGiven", u"Prefs_NameGivenFamily",
                                    u"Prefs_NameFamily", u"Prefs_NameFirstFamilyGiven"},
                                   p.authorListFormatOnCopy(), page);
    m_separator = new QLineEdit(p.authorSeparatorOnCopy(), page);
    m_abbreviate = new QCheckBox(Texts::text(u"Prefs_Abbreviate"), page);
    m_abbreviate->setChecked(p.authorAbbrevOnCopy());
    m_nonAbbrevNum = spinBox(1, 999, p.authorNonAbbrevNum(), page);
    m_abbrevNum = spinBox(1, 999, p.authorAbbrevNum(), page);
    m_prefix = spinBox(0, 3, p.listPrefixOnCopy(), page);
    m_prefix->setToolTip(Texts::text(u"Prefs_PrefixTip"));
    form->addRow(Texts::text(u"Prefs_Type"), m_type);
    form->addRow(Texts::text(u"Prefs_ListFormats"), m_formats);
    form->addRow(QString(), m_formatError);
    form->addRow(Texts::text(u"Prefs_CopyFormat"), m_copyFormat);
    form->addRow(Texts::text(u"Prefs_CopyAuthorFormat"), m_copyAuthorFormat);
    form->addRow(Texts::text(u"Prefs_Separator"), m_separator);
    form->addRow(QString(), m_abbreviate);
    form->addRow(Texts::text(u"Prefs_NonAbbrevNum"), m_nonAbbrevNum);
    form->addRow(Texts::text(u"Prefs_AbbrevNum"), m_abbrevNum);
    form->addRow(Texts::text(u"Prefs_Prefix"), m_prefix);
    showType(m_type->currentData().toString());
    connect(m_type, &QComboBox::currentIndexChanged, this, [this] {
        storeShownType();
        showType(m_type->currentData().toString());
    });
    connect(m_formats, &QPlainTextEdit::textChanged, this, &PreferencesDialog::check);
    return page;
}

QWidget *PreferencesDialog::keyRulePage(const BibPreferences &p)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_keyRule = new QLineEdit(p.bibkeyGenRule(), page);
    m_keyRuleError = new QLabel(page);
    m_keyRuleError->setStyleSheet(u"color: red"_s);
    m_keyRuleError->setWordWrap(true);
    form->addRow(Texts::text(u"Prefs_KeyRule"), m_keyRule);
    form->addRow(QString(), m_keyRuleError);
    form->addRow(new QLabel(Texts::text(u"Prefs_KeyRuleExplanation"), page));
    connect(m_keyRule, &QLineEdit::textChanged, this, &PreferencesDialog::check);
    return page;
}

QWidget *PreferencesDialog::wordsPage(const BibPreferences &p)
{
    auto *page = new QWidget(this);
    auto *form = new QFormLayout(page);
    m_smartAuthor = new QCheckBox(Texts::text(u"Prefs_SmartAuthor"), page);
    m_smartAuthor->setChecked(p.smartAuthorPaste());
    m_smartTitle = new QCheckBox(Texts::text(u"Prefs_SmartTitle"), page);
    m_smartTitle->setChecked(p.smartTitlePaste());
    m_properNouns = new QPlainTextEdit(p.properNouns().join(u' '), page);
    m_longWords = new QPlainTextEdit(p.longLowercaseWords().join(u' '), page);
    m_shortWords = new QPlainTextEdit(p.shortCaptalWords().join(u' '), page);
    m_titleFields = new QLineEdit(p.searchFieldsTitle().join(u", "), page);
    m_journalFields = new QLineEdit(p.searchFieldsJournal().join(u", "), page);
    m_annoteFields = new QLineEdit(p.searchFieldsAnnote().join(u", "), page);
    m_annoteIdentifier = new QLineEdit(p.annoteIdentifier(), page);
    form->addRow(QString(), m_smartAuthor);
    form->addRow(QString(), m_smartTitle);
    form->addRow(Texts::text(u"Prefs_ProperNouns"), m_properNouns);
    form->addRow(Texts::text(u"Prefs_LongWords"), m_longWords);
    form->addRow(Texts::text(u"Prefs_ShortWords"), m_shortWords);
    auto *editLists = new QPushButton(Texts::text(u"ProperNouns_Edit"), page);
    form->addRow(QString(), editLists);
    connect(editLists, &QPushButton::clicked, this, [this] {
        TitleSmartPaste::WordLists lists;
        lists.properNouns = words(m_properNouns->toPlainText());
        lists.lowercaseWords = words(m_longWords->toPlainText());
        lists.captalizeWords = words(m_shortWords->toPlainText());
        ProperNounsController::editProperNouns(
            lists, this, [this](const TitleSmartPaste::WordLists &edited) {
                m_properNouns->setPlainText(edited.properNouns.join(u' '));
                m_longWords->setPlainText(edited.lowercaseWords.join(u' '));
                m_shortWords->setPlainText(edited.captalizeWords.join(u' '));
            });
    });
    form->addRow(Texts::text(u"Prefs_TitleFields"), m_titleFields);
    form->addRow(Texts::text(u"Prefs_JournalFields"), m_journalFields);
    form->addRow(Texts::text(u"Prefs_AnnoteFields"), m_annoteFields);
    form->addRow(Texts::text(u"Prefs_AnnoteIdentifier"), m_annoteIdentifier);
    return page;
}

QWidget *PreferencesDialog::buttonsPage(const BibPreferences &p)
{
    const QVariantList rows = p.inputButtonDefinitions();
    m_buttonTable = new QTableWidget(static_cast<int>(rows.size()), 3, this);
    m_buttonTable->setHorizontalHeaderLabels({Texts::text(u"Prefs_ButtonTemplate"),
                                              Texts::text(u"Prefs_ButtonParameter"),
                                              Texts::text(u"Prefs_ButtonMode")});
    m_buttonTable->horizontalHeader()->setStretchLastSection(true);
    QStringList titles;
    for (int row = 0; row < rows.size(); ++row) {
        const QVariantList fields = rows.at(row).toList();
        const QString titleKey =
            u"support_others_"_s + QString::number(row + 1).rightJustified(2, u'0');
        titles.append(Texts::text(titleKey));
        m_buttonTable->setItem(row, 0, new QTableWidgetItem(fields.value(0).toString()));
        m_buttonTable->setItem(row, 1, new QTableWidgetItem(fields.value(1).toString()));
        auto *mode = codePopup({u"Prefs_ModeText", u"Prefs_ModeMath", u"Prefs_ModeBoth"},
                               fields.value(2).toInt(), m_buttonTable);
        m_buttonTable->setCellWidget(row, 2, mode);
    }
    m_buttonTable->setVerticalHeaderLabels(titles);
    return m_buttonTable;
}

QWidget *PreferencesDialog::macrosPage()
{
    auto *page = new QWidget(this);
    auto *layout = new QVBoxLayout(page);
    m_macroCount = new QLabel(page);
    auto *edit = new QPushButton(Texts::text(u"Prefs_EditMacros"), page);
    layout->addWidget(new QLabel(Texts::text(u"Prefs_MacrosExplanation"), page));
    layout->addWidget(m_macroCount);
    layout->addWidget(edit, 0, Qt::AlignLeft);
    layout->addStretch(1);
    connect(edit, &QPushButton::clicked, this, &PreferencesDialog::editMacros);
    setCommonMacros(m_macros);
    m_macrosChanged = false;
    return page;
}

void PreferencesDialog::setCommonMacros(const MacroList &macros)
{
    m_macrosChanged = m_macrosChanged || !(macros == m_macros);
    m_macros = macros;
    m_macroCount->setText(Texts::format(u"Prefs_MacroCount", {QString::number(m_macros.count())}));
}

void PreferencesDialog::editMacros()
{
    auto *editor = new MacroEditor(Texts::text(u"Macro_CommonTitle"), m_macros, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    connect(editor, &QDialog::accepted, this,
            [this, editor] { setCommonMacros(editor->macros()); });
    editor->open();
}

void PreferencesDialog::showType(const QString &type)
{
    m_shownType = type;
    const QStringList formats = m_typeDefinitions.value(type).toList().value(2).toStringList();
    m_formats->setPlainText(formats.join(u'\n'));
}

void PreferencesDialog::storeShownType()
{
    if (m_shownType.isEmpty() || !m_typeDefinitions.contains(m_shownType))
        return;
    QStringList formats;
    for (const QString &line : m_formats->toPlainText().split(u'\n', Qt::SkipEmptyParts)) {
        QString error;
        const QString normalized = FormatElement::normalizedStringOf(line, error);
        formats.append(error.isEmpty() ? normalized : line);
    }
    if (formats.isEmpty())
        return; // a type keeps at least one format
    QVariantList definition = m_typeDefinitions.value(m_shownType).toList();
    while (definition.size() < 3)
        definition.append(QVariantList());
    if (definition[2].toStringList() != formats) {
        definition[2] = formats;
        m_typeDefinitions.insert(m_shownType, definition);
    }
}

void PreferencesDialog::check()
{
    if (!m_formats || !m_keyRule)
        return;
    QString formatError;
    for (const QString &line : m_formats->toPlainText().split(u'\n', Qt::SkipEmptyParts)) {
        formatError = templateError(line);
        if (!formatError.isEmpty())
            break;
    }
    if (formatError.isEmpty() && m_formats->toPlainText().trimmed().isEmpty())
        formatError = Texts::text(u"Prefs_NoFormat");
    m_formatError->setText(formatError);
    m_keyRuleError->setText(templateError(m_keyRule->text()));
    m_buttons->button(QDialogButtonBox::Ok)->setEnabled(isValid());
}

bool PreferencesDialog::isValid() const
{
    return m_formatError->text().isEmpty() && m_keyRuleError->text().isEmpty();
}

PreferencesDialog::Changes PreferencesDialog::applyTo(BibPreferences &p)
{
    Changes changes;
    // General
    p.setAutoSave(m_autoSave->isChecked());
    p.setAutoSaveInterval(m_autoSaveInterval->value());
    p.setNumBackups(m_backups->value());
    p.setQuickSearchCase(m_quickSearchCase->isChecked());
    p.setOpenDetailInfo(m_openDetail->isChecked());
    p.setAutoOpenInputPanel(m_autoInputPanel->isChecked());
    p.setConvertToYen(m_yen->isChecked());
    // Files
    p.setDatabaseEncoding(static_cast<quint32>(m_encoding->encoding()));
    p.setDatabaseLineMode(m_lineEnding->lineEnding());
    p.setWriteUntouchedAsRead(m_writeUntouched->isChecked());
    // Display
    p.setListFontSize(m_listFontSize->value());
    p.setFieldFontSize(m_fieldFontSize->value());
    const int authorFormat = m_authorListFormat->currentData().toInt();
    changes.listFormats = authorFormat != p.authorListFormat();
    p.setAuthorListFormat(authorFormat);
    QStringList order;
    for (int i = 0; i < m_columns->count(); ++i)
        if (m_columns->item(i)->checkState() == Qt::Checked)
            order.append(m_columns->item(i)->data(Qt::UserRole).toString());
    if (!order.isEmpty())
        p.setListColumnOrder(order);
    // Templates (the shown type's text is taken as it stands)
    storeShownType();
    if (m_typeDefinitions != p.bibTypeDefinitions()) {
        changes.listFormats = true;
        p.setBibTypeDefinitions(m_typeDefinitions);
    }
    p.setCopyItemFormat(m_copyFormat->value());
    p.setAuthorListFormatOnCopy(m_copyAuthorFormat->currentData().toInt());
    p.setAuthorSeparatorOnCopy(m_separator->text());
    p.setAuthorAbbrevOnCopy(m_abbreviate->isChecked());
    p.setAuthorNonAbbrevNum(m_nonAbbrevNum->value());
    p.setAuthorAbbrevNum(m_abbrevNum->value());
    p.setListPrefixOnCopy(m_prefix->value());
    // Key rule
    QString error;
    const QString rule = FormatElement::normalizedStringOf(m_keyRule->text(), error);
    if (error.isEmpty())
        p.setBibkeyGenRule(rule);
    // Words
    p.setSmartAuthorPaste(m_smartAuthor->isChecked());
    p.setSmartTitlePaste(m_smartTitle->isChecked());
    p.setProperNouns(words(m_properNouns->toPlainText()));
    p.setLongLowercaseWords(words(m_longWords->toPlainText()));
    p.setShortCaptalWords(words(m_shortWords->toPlainText()));
    p.setSearchFieldsTitle(words(m_titleFields->text().toLower()));
    p.setSearchFieldsJournal(words(m_journalFields->text().toLower()));
    p.setSearchFieldsAnnote(words(m_annoteFields->text().toLower()));
    if (!m_annoteIdentifier->text().trimmed().isEmpty())
        p.setAnnoteIdentifier(m_annoteIdentifier->text().trimmed().toLower());
    // Input buttons
    QVariantList rows;
    for (int row = 0; row < m_buttonTable->rowCount(); ++row) {
        const auto *mode = static_cast<const QComboBox *>(m_buttonTable->cellWidget(row, 2));
        rows.append(QVariant(QVariantList{
            m_buttonTable->item(row, 0)->text(), m_buttonTable->item(row, 1)->text(),
            mode->currentData().toInt(), m_buttonTable->verticalHeaderItem(row)->text()}));
    }
    p.setInputButtonDefinitions(rows);
    // Predefined macros
    if (m_macrosChanged) {
        p.replaceMacroList(m_macros);
        changes.globalMacros = true;
    }
    return changes;
}
