#pragma once

#include <QList>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVariant>
#include <QVariantMap>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

class MacroList;
class QSettings;

// The one store of the user's settings: a dictionary of property-list values
// (QString, bool, integer, double, QVariantList, QVariantMap) under the
// human-readable keys below, filled with built-in defaults and overlaid with
// what the per-user settings (QSettings, organisation and application
// "Quirefold") hold. Also owns the common list of predefined macros and knows
// the support folder with the database tree file.
//
// One global instance (createGlobalObject / globalPreferences) lives until the
// process ends. Getters and setters may be called from any thread (the
// dictionary is guarded by a mutex); loading, saving and the common macro list
// belong to the main thread.
class BibPreferences
{
public:
    // The keys, exactly as stored.
    static inline const QString kBibTypeDefinitions = QStringLiteral("BibType Definitions");
    static inline const QString kBibKeyGenerationRule = QStringLiteral("BibKey Geeration Rule");
    static inline const QString kLastCreatedBibType = QStringLiteral("Last Created BibType");
    static inline const QString kListViewDefinitions = QStringLiteral("List View Definitions");
    static inline const QString kListColumnOrder = QStringLiteral("List Column Order");
    static inline const QString kPredefinedMacros = QStringLiteral("Predefined Macros");
    static inline const QString kListFontExpansion = QStringLiteral("List Font Expansion");
    static inline const QString kAuthorFontExpansion = QStringLiteral("Author Font Expansion");
    static inline const QString kInputSupportButtons =
        QStringLiteral("Input Support Buttons (others)");
    static inline const QString kLastEditTab = QStringLiteral("Last Edit Tab");
    static inline const QString kLastInputTab = QStringLiteral("Last Input Tab");
    static inline const QString kAutomaticOpenInputPanel =
        QStringLiteral("Automatic Open Input Panel");
    static inline const QString kCopyBibItemFormat = QStringLiteral("Copy BibItem in Text Format");
    static inline const QString kDatabaseFileTextEncoding =
        QStringLiteral("Database File Text Encoding");
    static inline const QString kDatabaseFileLineEnding =
        QStringLiteral("Database File Line Ending");
    static inline const QString kOpenDetailInfoPanel = QStringLiteral("Open Detail Info Panel");
    static inline const QString kMainWindowFrame = QStringLiteral("Main Window Position and Size");
    static inline const QString kDBListSplitWidth = QStringLiteral("DB List Split Panel Width");
    static inline const QString kItemListSplitWidth = QStringLiteral("Item List Split Panel Width");
    static inline const QString kSortKeyColumn = QStringLiteral("Sort Key Column in Item List");
    static inline const QString kSortOrder = QStringLiteral("Sort Order in Item List");
    static inline const QString kAutoSaveChanges = QStringLiteral("Auto Save Changes");
    static inline const QString kAutoSaveInterval = QStringLiteral("Auto Save Interval (min)");
    static inline const QString kNumberOfBackupFiles = QStringLiteral("Number of Backup Files");
    static inline const QString kCaseSensitiveQuickSearch =
        QStringLiteral("Case Sensitive in Quick Search");
    static inline const QString kConvertBackslashToYen = QStringLiteral("Convert Backslash to Yen");
    static inline const QString kWriteUntouchedAsRead =
        QStringLiteral("Write untouched entries as they were read");
    static inline const QString kLastSelectedDatabaseID =
        QStringLiteral("Last Selected Database ID");
    static inline const QString kLastSelectedDatabaseKind =
        QStringLiteral("Last Selected Database Kind");
    static inline const QString kActiveTextEncodingList =
        QStringLiteral("Active Text Encoding List");
    static inline const QString kPreferencesInitialized =
        QStringLiteral("Preferences are Initialized");
    static inline const QString kSmartAuthorPaste = QStringLiteral("Smart Author Paste Switch");
    static inline const QString kSmartTitlePaste = QStringLiteral("Smart Title Paste Switch");
    static inline const QString kProperNouns = QStringLiteral("Proper Nouns for Smart Title Paste");
    static inline const QString kLongLowercaseWords = QStringLiteral("Long word but Conjunction");
    static inline const QString kShortCapitalWords =
        QStringLiteral("Short Word but not Conjunction");
    static inline const QString kSuppressWarningDatabases =
        QStringLiteral("Suppress Warning Databases");
    static inline const QString kLastSelectedAuthors = QStringLiteral("Last Selected Authors");
    static inline const QString kLastSelectedBibItems = QStringLiteral("Last Selected Bib Items");
    static inline const QString kAuthorListFormat = QStringLiteral("Author/Editor List Format");
    static inline const QString kAnnoteFieldIdentifier = QStringLiteral("Annote Field Identifier");
    static inline const QString kSearchFieldsTitle = QStringLiteral("Search Fields for Titles");
    static inline const QString kSearchFieldsJournal = QStringLiteral("Search Fields for Journals");
    static inline const QString kSearchFieldsAnnote = QStringLiteral("Search Fields for Annotes");
    static inline const QString kListCopyAuthorFormat =
        QStringLiteral("List Copy Author/Editor Format");
    static inline const QString kListCopyAuthorSeparator =
        QStringLiteral("List Copy Author/Editor Separator");
    static inline const QString kListCopyAuthorAbbreviation =
        QStringLiteral("List Copy Author/Editor Abbreviation");
    static inline const QString kListCopyAuthorNonAbbrevNumber =
        QStringLiteral("List Copy Author/Editor Non Abbrev Number");
    static inline const QString kListCopyAuthorAbbrevNumber =
        QStringLiteral("List Copy Author/Editor Abbrev Number");
    static inline const QString kListCopyPrefix = QStringLiteral("List Copy Prefix");
    static inline const QString kFieldFontSize = QStringLiteral("Field Font Size");
    static inline const QString kListFontSize = QStringLiteral("List Font Size");
    // The author search's recent searches, newest first.
    static inline const QString kRecentAuthorSearches = QStringLiteral("Recent Author Searches");

    // The pseudo-type whose definition serves entries of undefined types.
    static inline const QString kUndefinedBibType = QStringLiteral("~~ undefined ~~");

    // The value kinds of the stored settings.
    enum class Kind
    {
        Text,
        Boolean,
        Integer,
        Real,
        Array,
        Dictionary
    };

    // The 52 keys read at load, in order, with their kinds.
    static const QList<std::pair<QString, Kind>> &loadList();
    // The fourteen keys of earlier versions, deleted from the store at load.
    static const QStringList &retiredKeys();

    // Uses the user's own settings (QSettings with organisation and application
    // "Quirefold"), or the INI file at `settingsPath` when one is given.
    explicit BibPreferences(const QString &settingsPath = QString());
    ~BibPreferences();
    BibPreferences(const BibPreferences &) = delete;
    BibPreferences &operator=(const BibPreferences &) = delete;

    // Creates the global instance: defaults, then the stored settings, then dirty.
    static void createGlobalObject();
    // The global instance, created on first use.
    static BibPreferences *globalPreferences();

    void setDefaults();
    void loadPreferences();
    // Writes the dictionary into the per-user store when dirty; false (and
    // `dirty` kept) when the store cannot be written or could not be read.
    bool savePreferences();
    // Texts of the problems met by the last loadPreferences (a settings file
    // that cannot be read, values of the wrong kind); the defaults stand in
    // for what could not be read, and the damaged originals are kept aside.
    QStringList loadErrors() const;

    bool dirty() const;
    void setDirty(bool dirty);
    bool prefInitialized() const;

    // Generic access, for the settings dialog and for tests.
    QVariant value(const QString &key) const;
    void setValue(const QString &key, const QVariant &value); // sets dirty; invalid removes
    QVariantMap dictionary() const;

    // Entry types and list columns.
    QVariantMap bibTypeDefinitions() const;
    void setBibTypeDefinitions(const QVariantMap &definitions);
    QStringList bibTypesList() const;
    QString bibkeyGenRule() const;
    void setBibkeyGenRule(const QString &rule);
    QString lastCreatedBibType() const;
    void setLastCreatedBibType(const QString &type);
    QVariantMap listViewDefinitions() const;
    void setListViewDefinitions(const QVariantMap &definitions);
    void setListColumnWidth(const QVariantMap &widths); // column key -> width
    QStringList listColumnOrder() const;
    void setListColumnOrder(const QStringList &order);

    // The common list of predefined macros, owned here. Read it from any
    // thread; change it (then call macroListChanged) on the main thread only,
    // and while files load, through replaceMacroList instead. Never null once
    // the store exists.
    MacroList *macroList() const;
    // Makes `list` the common list and stores its definition (an editor's
    // confirmed copy). A list that stops being the common one lives on as
    // long as the preferences, so that a loading thread still reading it is
    // never left with freed memory.
    void replaceMacroList(MacroList list);
    // Stores the common list's definition under "Predefined Macros"; sets dirty.
    void macroListChanged();
    // The stored "Predefined Macros" value: [names (array), name -> edit form].
    QVariantList macroDefinition() const;
    // The built-in macros as value/name pairs (value first), names lower case.
    static QStringList predefinedMacroStringList();
    // The built-in macros as a macro definition (names upper case).
    static QVariantList predefinedMacroDefinition();

    double listViewFontExpansionObject() const;
    double authorFontExpansionObject() const;
    QVariantList inputButtonDefinitions() const;
    void setInputButtonDefinitions(const QVariantList &rows);
    QString lastEditTab() const;
    void setLastEditTab(const QString &tab);
    QString lastInputTab() const;
    void setLastInputTab(const QString &tab);
    bool autoOpenInputPanel() const;
    void setAutoOpenInputPanel(bool open);
    int copyItemFormat() const;
    void setCopyItemFormat(int format);

    quint32 databaseEncoding() const;
    void setDatabaseEncoding(quint32 encoding);
    int databaseLineMode() const;
    void setDatabaseLineMode(int mode);

    bool openDetailInfo() const;
    void setOpenDetailInfo(bool open);
    QRectF windowFrame() const;
    void setWindowFrame(const QRectF &frame);
    double dbSplitWidth() const;
    void setDBSplitWidth(double width);
    double itemSplitWidth() const;
    void setItemSplitWidth(double width);
    QString sortColumnIdentifier() const;
    void setSortColumnIdentifier(const QString &identifier);
    bool sortAscending() const;
    void setSortAscending(bool ascending);

    bool autoSave() const;
    void setAutoSave(bool autoSave);
    int autoSaveInterval() const;
    void setAutoSaveInterval(int minutes); // at least 1
    int numBackups() const;
    void setNumBackups(int count); // at least 0
    bool quickSearchCase() const;
    void setQuickSearchCase(bool caseSensitive);
    bool convertToYen() const;
    void setConvertToYen(bool convert);
    // A save writes the entries (and other blocks) that did not change since
    // they were read with the text they were read from; off, every block is
    // written in the writer's layout.
    bool writeUntouchedAsRead() const;
    void setWriteUntouchedAsRead(bool keep);

    QString lastSelectedDatabase() const; // empty when absent
    void setLastSelectedDatabase(const QString &uniqueID);
    std::optional<int> lastSelectedDbKind() const;
    void setLastSelectedDbKind(int kind);

    // Encoding codes of the encoding menu; empty when none is stored yet.
    QList<quint32> activeEncodings() const;
    void setActiveEncodings(const QList<quint32> &codes);

    bool smartAuthorPaste() const;
    void setSmartAuthorPaste(bool on);
    bool smartTitlePaste() const;
    void setSmartTitlePaste(bool on);
    QStringList properNouns() const;
    void setProperNouns(const QStringList &words);
    QStringList longLowercaseWords() const;
    void setLongLowercaseWords(const QStringList &words);
    QStringList shortCaptalWords() const;
    void setShortCaptalWords(const QStringList &words);

    // The databases whose loading warnings the user chose not to see again,
    // by unique ID.
    QStringList suppressWarnings() const;
    bool suppressWarning(const QString &uniqueID) const;
    void appendSuppressDatabase(const QString &uniqueID);
    void removeSuppressDatabase(const QString &uniqueID);

    QStringList lastSelectedAuthors() const;
    void setLastSelectedAuthors(const QStringList &names);
    QStringList lastSelectedItems() const;
    void setLastSelectedItems(const QStringList &keys);

    int authorListFormat() const;
    void setAuthorListFormat(int format);
    QString annoteIdentifier() const;
    void setAnnoteIdentifier(const QString &field);
    QStringList searchFieldsTitle() const;
    void setSearchFieldsTitle(const QStringList &fields);
    QStringList searchFieldsJournal() const;
    void setSearchFieldsJournal(const QStringList &fields);
    QStringList searchFieldsAnnote() const;
    void setSearchFieldsAnnote(const QStringList &fields);

    int authorListFormatOnCopy() const;
    void setAuthorListFormatOnCopy(int format);
    QString authorSeparatorOnCopy() const;
    void setAuthorSeparatorOnCopy(const QString &separator); // "," -> ", ", ";" -> "; "
    bool authorAbbrevOnCopy() const;
    void setAuthorAbbrevOnCopy(bool abbreviate);
    int authorNonAbbrevNum() const;
    void setAuthorNonAbbrevNum(int count);
    int authorAbbrevNum() const;
    void setAuthorAbbrevNum(int count);
    int listPrefixOnCopy() const;
    void setListPrefixOnCopy(int prefix);

    double fieldFontSize() const;
    void setFieldFontSize(double points); // at least 10
    double listFontSize() const;
    void setListFontSize(double points); // at least 10

    // Line-ending codes: 0 CR, 1 CR LF, 2 LF.
    static QString stringFromLineEnding(int code);
    static int lineEndingFromString(QStringView text);

    // The support folder (the application data folder), created when missing.
    // Absent, with `error` set to a text naming the path, when something else
    // is in the way or the folder cannot be made.
    static std::optional<QString> quirefoldFolder(QString &error);
    static std::optional<QString> quirefoldFolder();
    // The tree file "QuirefoldLibraries.biblib" in the support folder.
    static QString dbTreeFilePath();
    // The stored tree dictionary; absent when there is no tree file. A file
    // that cannot be read back is renamed aside (".damaged") and reported in
    // `error`, and the answer is absent.
    std::optional<QVariantMap> dbTreeDictionary(QString &error) const;
    std::optional<QVariantMap> dbTreeDictionary() const;
    // Writes the tree dictionary atomically; false with `error` set on failure.
    bool setDbTreeDictionary(const QVariantMap &tree, QString &error);
    bool setDbTreeDictionary(const QVariantMap &tree);

private:
    QVariant get(const QString &key) const;
    void put(const QString &key, const QVariant &value); // normalizes, sets dirty
    // The value with the setter clamps applied.
    static QVariant normalized(const QString &key, const QVariant &value);
    QStringList stringList(const QString &key) const;
    void rebuildCommonMacro();
    QVariant readStoredValue(QSettings &settings, const QString &key, Kind kind);

    QString m_settingsPath;
    mutable std::mutex m_mutex; // guards m_preferences, m_dirty and m_loadErrors
    QVariantMap m_preferences;
    void installCommonMacro(std::unique_ptr<MacroList> list);
    // Every list that was the common one; the last one is.
    std::vector<std::unique_ptr<MacroList>> m_commonMacros;
    std::atomic<MacroList *> m_commonMacro{nullptr};
    bool m_dirty = false;
    QStringList m_loadErrors;
    bool m_storeUnreadable = false; // the settings file existed but could not be read
};
