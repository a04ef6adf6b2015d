#pragma once

#include "model/AuthorName.h"
#include "model/BibElement.h"
#include "model/FieldMap.h"
#include "model/ListCell.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class ItemDatabase;
class MacroSource;

// One bibliography entry: its type, citation key and fields. Every field has
// parallel forms: the parsed value elements (authoritative, always held), the
// edit text, the display text (macros expanded, TeX converted) and the cells of
// the item list, each made when first asked for and kept until the entry
// changes; the item also owns its parsed author and editor lists.
//
// An entity: it lives in a std::shared_ptr, shared by its database and the
// libraries that show it, and is compared by identity (there is no content
// operator==). The owning database is reached through the ItemDatabase
// interface (implemented by the storage layer's RealDatabase), never owned.
// Commits report to ItemChangeObserver::global(). An item is built and expanded
// by one thread (a loader fills its own database's items); afterwards it belongs
// to the main thread.
//
// The formatted forms (list cells, template slots, references) are computed by
// ItemFormatter and key candidates by KeyGenerator; the operations below with
// their names are the item's face to them.
class BibItem : public std::enable_shared_from_this<BibItem>
{
public:
    using ElementList = ::ElementList;
    // Field name -> value, in name order (see FieldMap; converts from the
    // grammar's BibFieldDictionary).
    using FieldElements = FieldMap<ElementList>;
    using FieldTexts = FieldMap<QString>;
    using ListCells = FieldMap<ListCell>;
    using NameList = QList<AuthorName>;

    // ---- Creation ---------------------------------------------------------

    // The designated initializer. An empty type means "ARTICLE"; an empty key
    // means the untitled key. `data` is taken as the element dictionary as it
    // is; without it the item holds only its pseudo-fields. The display form
    // and list cells wait for expandWithMacro().
    BibItem(const QString &type, const QString &key, std::optional<FieldElements> data,
            ItemDatabase *database, bool forceAbsolutePath);
    BibItem(const BibItem &) = delete;
    BibItem &operator=(const BibItem &) = delete;
    ~BibItem();

    static std::shared_ptr<BibItem> bibItemOfType(const QString &type, const QString &key,
                                                  std::optional<FieldElements> data,
                                                  ItemDatabase *database);
    static std::shared_ptr<BibItem> newBibItemOfType(const QString &type, const QString &key,
                                                     ItemDatabase *database);
    // An empty stray item ("init").
    static std::shared_ptr<BibItem> create();

    // ---- Dictionary form (manual libraries) --------------------------------

    // Every field but "database" and "bibkey" as TeX text with macros expanded
    // ("bibtype" included), plus "PromisedID".
    QMap<QString, QString> bibItemDictionaryForProperty() const;
    // The inverse: a stray item expanded with the common macros.
    static std::shared_ptr<BibItem> bibItemOfKey(const QString &key,
                                                 const QMap<QString, QString> &property);

    // ---- Archived form (pasteboard) ----------------------------------------

    // Type, key, owning database's identifier and the element dictionary, as a
    // JSON object; a "file" field with a resolved attachment that differs from
    // its stored text is archived with the resolved path.
    QJsonObject encodeWithCoder() const;
    // Restores an archived item, attached to the open database of the archived
    // identifier when there is one; null with `error` set (a text key) when the
    // object is not an archived item.
    static std::shared_ptr<BibItem> initWithCoder(const QJsonObject &archive, QString &error);

    // ---- Accessors ---------------------------------------------------------

    const QString &bibType() const { return m_bibType; }
    const QString &bibKey() const { return m_bibKey; }
    const FieldElements &bibFieldsElements() const { return m_bibFieldsElements; }
    // The edit form of every field, made when first asked for (by any thread)
    // and kept until the fields are replaced.
    const FieldTexts &bibFieldsForEdit() const;
    // The same by value: the kept forms when they are made, else forms made
    // for the caller alone (a save reads every entry's once; keeping them all
    // would cost more than the entries' text).
    FieldTexts editForms() const;
    // The display form of every field, made when first asked for (by any
    // thread) and kept until the entry changes or its macros do.
    const FieldTexts &bibFieldsForDisplay() const;
    // One field's display form (empty when absent), the text the kept forms
    // hold; when they are not kept, made for the caller alone.
    QString displayValueOf(const QString &field) const;
    // The cells of every list column (made on demand, see valueForColumn).
    ListCells bibFieldsForListView() const;
    const NameList &authorList() const { return m_authorList; }
    const NameList &editorList() const { return m_editorList; }
    bool noAuthor() const { return m_noAuthor; }
    ItemDatabase *database() const { return m_masterDatabase; }
    // Stores the database and remembers its identifier as the promised one.
    void setDatabase(ItemDatabase *database);
    const QString &promisedDbID() const { return m_promisedDbID; }
    int fileState() const { return m_fileState; }
    void setFileState(int state) { m_fileState = state; }
    const QString &fileIcon() const;
    void setFileIcon(const QString &iconName);

    // The display form of "key".
    QString sortKey() const;
    // The display or edit form of a field, or the empty string.
    QString fieldDataForView(const QString &field) const;
    QString fieldDataForEdit(const QString &field) const;
    // The list cell of a column, or nothing. Cells are made when first asked
    // for and kept until the item changes: the list shows a few dozen rows and
    // sorts by one column, so most cells of a large file are never needed.
    // Main thread only (the first call fills the cache).
    std::optional<ListCell> valueForColumn(const QString &identifier) const;
    // The TeX text of a field with macros expanded (the owning database's
    // macros, or the common ones for a stray item); empty when absent.
    QString fieldDataInTeX(const QString &field) const;

    bool mark() const;
    bool strayItem() const { return m_masterDatabase == nullptr; }
    bool isEditable() const { return !strayItem(); }
    bool isDirty() const { return m_dirty; }
    void touch() { noteChange(); }
    void clearDirty() { m_dirty = false; }

    // Whether the entry changed since it was read from its file. Every edit
    // sets it, and a commit does not clear it; entries not read from a file
    // (new ones, pasted ones) count as changed. A save writes an unchanged
    // entry with the text it was read from, a changed one in the writer's
    // layout.
    bool isChangedSinceRead() const { return m_changedSinceRead; }
    // Marks the entry changed (the next save writes it in the writer's layout).
    void markChangedSinceRead() { m_changedSinceRead = true; }
    // For the file reader: the entry is exactly what its text says.
    void setUnchangedSinceRead() { m_changedSinceRead = false; }

    // The backed-up values while a backup is held, else the current ones.
    QString originalBibKey() const;
    NameList originalAuthorList() const;
    NameList originalEditorList() const;
    // Does nothing (kept for callers that copy between items).
    void copyDataFromItem(const BibItem &other);

    // ---- Entry text --------------------------------------------------------

    // The field lines in alphabetical order. `attachments`: 0 leaves "file"
    // out, 1 writes its absolute path, any other value the stored text.
    QString rawFieldWithAttachments(int attachments, QStringView lineFeed, bool tab) const;
    // The field lines for the raw-text editor (stored path, LF, no tab).
    QString rawField() const;
    // The whole "@TYPE { key, ... }" entry followed by an empty line.
    QString bibItemStringWithAttachments(int attachments, QStringView lineFeed) const;
    // The same, appended to `text` (a whole file is built this way).
    void appendBibItemString(QString &text, int attachments, QStringView lineFeed) const;

    // ---- Editing -----------------------------------------------------------

    // The edit form of a text value: the text itself, or, when it begins
    // with "@" (which would mean an expression), the expression of one braced
    // string, "@{@home}".
    static QString editFormOfText(const QString &text);
    // The edit form of a field made of `elements`.
    static QString editFormOf(const ElementList &elements);

    // Sets one field from the editor (trimmed). False, with nothing changed,
    // for a duplicate key, an unparsable "@" expression or unbalanced braces.
    // A value beginning with "@" is a BibTeX expression ("@jan # {x}"); a
    // text that itself begins with "@" is typed as one braced string,
    // "@{@home}".
    bool setFieldData(const QString &value, const QString &field);
    // Replaces all fields from raw field-line text. False when the text does
    // not parse; the item then keeps its last valid fields.
    bool setRawFields(const QString &text);
    // Parses raw field-line text into a field dictionary; false on a syntax
    // error (with `error` the message, when asked for).
    static bool checkRawValidity(const QString &text, FieldElements &itemElements);
    static bool checkRawValidity(const QString &text, FieldElements &itemElements, QString &error);
    void changeBibKey(const QString &key);
    void setMark(bool marked);
    // "modified" = now, as a time stamp (see ModifiedStamp).
    void setModified();
    // Commits an edit: time stamp, display form, key index, author index,
    // notifications, new backup. Only when dirty.
    void fixChanged();
    // Commits a key change alone. Only when dirty.
    void fixBibKeyOnly();
    void backupOriginal();
    void backupOriginalBibKey();
    void releaseBackup();
    bool namesWereChanged() const;

    // Drops the edit forms; they are made again from the elements when next
    // asked for.
    void makeRawField();
    // Rebuilds the name lists and the file state with `macros` (null: the
    // common macros) and drops the display forms and list cells, which are
    // made again, with the owning database's macros, when next asked for.
    void expandWithMacro(const MacroSource *macros);
    // The name lists with the owning database's macros.
    void makeNameLists();
    // Offers every author, then every editor, to `holder`, which answers an
    // equal name it keeps (or null); the item's name then shares that one's
    // text, so that the many entries of one author hold its name once.
    void shareNames(const std::function<const AuthorName *(const AuthorName &)> &holder);

    // The owning database goes away: the item becomes a stray item.
    void databaseClosed(ItemDatabase *database);
    // For a stray item promised to `database`: the database's item with this
    // item's key, else null.
    std::shared_ptr<BibItem> identicalItemInDatabase(ItemDatabase *database) const;

    // ---- Sorting -----------------------------------------------------------

    void setSortIdentifier(const QString &identifier, bool ascending);
    const QString &sortIdentifier() const { return m_sortIdentifier; }
    bool sortAscending() const { return m_sortAscending; }
    // −1, 0 or 1: this item before, with or after `other` in the list.
    int sortByIdentifier(const BibItem &other) const;
    // The leading integer of a text, as C's atoi reads it: how the comparison
    // reads years, volumes and pages.
    static int leadingInteger(QStringView text);
    int sortByBibkey(const BibItem &other) const;

    // ---- Formatted entry text (ItemFormatter) ------------------------------

    // Drop the kept list cells (all, or one column's) so that they are made
    // again from the current fields when next asked for.
    void makeAttributedStringForList();
    void makeAttributedStringForIdentifier(const QString &identifier);
    std::optional<QString> makeAuthorsForList(int format) const;
    std::optional<QString> makeEditorsForList(int format) const;
    std::optional<QString> makePagesForList() const;
    std::optional<QString> makeModifiedForList() const;
    QString fieldDataForListFormat(const QString &field) const;
    std::optional<QString> nameListForListFormat(const QString &texNames) const;
    static QString abbrevString(QStringView text);
    // One formatted reference for the copy commands (output kind, running
    // number, list prefix kind).
    QString makeItemsTextWithFormat(int kind, int index, int prefix) const;

    // ---- Keys --------------------------------------------------------------

    // `rule` (a format template) rendered for this item in output kind `kind`.
    QString stringFromGenRule(const QString &rule, int kind) const;
    // A key candidate from `rule`: rendered as plain text, then reduced to the
    // key characters.
    QString bibKeyFromGenRule(const QString &rule) const;
    // The owning database's unique form of `key`; unchanged for a stray item.
    QString uniqueBibKey(const QString &key) const;
    // A unique key from the preferences' rule.
    QString generateBibKey() const;

    // ---- Searching ---------------------------------------------------------

    // Whether `text` occurs in the display value of one of `fields`.
    bool containsString(const QString &text, const QStringList &fields,
                        Qt::CaseSensitivity sensitivity) const;
    // A normalised text of the content, equal for duplicate entries; with
    // `stored`, the one saved at the last backup when there is one.
    QString matchKey(bool stored) const;

    // --- Attachments (the attachment side, BibItemAttachments.cpp) ---
    // The state of the attached file: 0 none, 1 missing, 2 a file, 3 a folder,
    // 4 an entry of a remote database (not tested); refreshes the file icon.
    int checkFileState();
    // The "file" field made absolute with the owning database; absent when empty.
    std::optional<QString> attachedFile() const;
    std::optional<QUrl> attachedURL() const;
    std::optional<QString> attachedEmail() const;
    // "file" becomes `path` (removed when empty); the item is marked changed.
    void setAttachment(const QString &path);
    // The "file" path between absolute and relative form.
    void remakeFilePath(bool keepFull);
    // The "database" pseudo-field becomes `description`.
    void remakeDescription(const QString &description);
    // Attaches files as a drop does (asking append or replace when
    // `interactive`); the text to store with setAttachment, or nothing.
    std::optional<QString> appendAttachments(const QStringList &paths, bool interactive);
    std::optional<QString> appendAttachment(const QString &path, bool interactive);
    // --- end of attachments ---

private:
    friend class ItemFootprint; // counts the forms' memory

    // Every edit: the item is dirty and no longer what its file says.
    void noteChange()
    {
        m_dirty = true;
        m_changedSinceRead = true;
    }
    void appendRawFields(QString &text, int attachments, QStringView lineFeed, bool tab) const;
    void setSpecialField(const QString &field, const QString &value);
    void setQuotedField(const QString &field, const QString &value);
    void removeField(const QString &field);
    QString displayFormOf(const ElementList &elements, const MacroSource *macros) const;
    // One field's display form without making the others (empty when absent).
    QString displayValue(const QString &field, const MacroSource *macros) const;
    void makeDisplayForms() const;
    void dropDisplayForms();
    void makeNameListsWith(const MacroSource *macros);
    // The display forms, made, for an edit that changes one of them in place.
    FieldTexts &displayFormsForChange();
    FieldTexts makeEditForms() const;
    // The edit forms, made and kept, for an edit that changes them in place.
    FieldTexts &editFormsForChange();
    const MacroSource *macrosForTeX() const;
    void refreshFileState();

    // What few entries hold: the backup of an entry being edited, the icon of
    // an attached file. Made when first needed, dropped when empty again.
    struct Extras
    {
        std::optional<QString> originalBibKey;
        std::optional<QString> originalMatchKey;
        std::optional<NameList> originalAuthorList;
        std::optional<NameList> originalEditorList;
        QString fileIcon;
        bool isEmpty() const
        {
            return !originalBibKey && !originalMatchKey && !originalAuthorList &&
                   !originalEditorList && fileIcon.isEmpty();
        }
    };
    Extras &extras();
    void dropExtrasWhenEmpty();

    QString m_bibType;
    QString m_bibKey;
    FieldElements m_bibFieldsElements;
    mutable FieldTexts m_bibFieldsForEdit;                            // made on demand
    mutable FieldTexts m_bibFieldsForDisplay;                         // made on demand
    mutable FieldMap<std::optional<ListCell>> m_bibFieldsForListView; // made on demand
    NameList m_authorList;
    NameList m_editorList;
    ItemDatabase *m_masterDatabase = nullptr; // not owned
    QString m_promisedDbID;
    QString m_sortIdentifier;
    std::unique_ptr<Extras> m_extras; // null while there are none
    int m_fileState = 0;
    mutable std::atomic<bool> m_editMade{false};
    // The display forms: as edited (before the first expandWithMacro, which
    // makes them), to be made, or made.
    enum DisplayState : quint8
    {
        DisplayAsEdited,
        DisplayToMake,
        DisplayMade
    };
    mutable std::atomic<quint8> m_displayState{DisplayAsEdited};
    bool m_noAuthor = false;
    bool m_sortAscending = true;
    bool m_dirty = false;
    bool m_changedSinceRead = true;
};
