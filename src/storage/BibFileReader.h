#pragma once

#include "model/BibElement.h"
#include "storage/BibDatabase.h"
#include "storage/KeptText.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class LocalDatabase;
class LocalDatabaseProperties;
class MacroList;
class StringInputStream;

// What one reading of a .bib file produced: plain data built on the loading
// thread and handed to the database in one piece at the end.
struct BibFileContents
{
    BibItemList items;                   // file order
    QHash<QString, BibItemPtr> keyIndex; // citation key -> item
    QStringList comments;                // ordinary comment blocks, and kept unreadable text
    QStringList unreadTexts;             // unreadable text that cannot travel inside a comment
    QStringList preambles;
    std::unique_ptr<MacroList> macros;
    QStringList errors;                    // one formatted message per problem
    std::optional<QString> fileDatabaseID; // "database_ID" of the settings block
    unsigned encoding = 0;                 // the encoding the text was read in
    bool encodingChanged = false; // not the one chosen for the file: saving uses `encoding`
    bool complete = true;         // false: the file or a part of it was not read
    // The text every block was read from (absent when not asked for).
    std::shared_ptr<const KeptText> keptText;
};

// Reads one .bib file into BibFileContents: chooses the text encoding, reads
// the settings block and then every block (comments, preambles, macros,
// entries), records every problem and keeps every piece of text it cannot
// read, so that a later save loses nothing. Made and used on one loading
// thread; it touches the database's properties (the settings block) and reads
// the stop flag between blocks.
class BibFileReader
{
public:
    BibFileReader(LocalDatabase &database, LocalDatabaseProperties &properties,
                  const std::atomic<bool> &stopLoading, std::atomic<int> &numLoading);
    ~BibFileReader();
    BibFileReader(const BibFileReader &) = delete;
    BibFileReader &operator=(const BibFileReader &) = delete;

    // Large files are read in up to `parts` pieces at once, each at least
    // `minimumLength` characters (see readInPieces); 1 reads in one piece.
    void setParallelReading(int parts, qsizetype minimumLength);

    // Items are built with their edit forms only (no display forms, names or
    // file states): enough to compare a written file with what was meant.
    void setEditFormsOnly(bool editFormsOnly) { m_editFormsOnly = editFormsOnly; }
    // Reads the file in `encoding` whatever its bytes announce ("Reopen with
    // encoding"); bytes that are not valid in it are reported and not read.
    void setForcedEncoding(std::optional<quint32> encoding) { m_forcedEncoding = encoding; }

    // Whether the text of every block is kept for a save (on by default; a
    // reading that only checks a written file needs none).
    void setKeepText(bool keepText) { m_keepText = keepText; }

    // Hands every entry to `sink` as soon as it is read, in file order and on
    // the reading thread, instead of keeping it in the contents (whose key
    // index then holds the keys alone, with null items). The text is read in
    // one piece. For a reading that only compares entries.
    using EntrySink = std::function<void(BibItemPtr item)>;
    void setEntrySink(EntrySink sink) { m_entrySink = std::move(sink); }

    // Reads the file at the properties' full path.
    BibFileContents readFile();
    // Reads bytes already in memory (the same steps after reading the file).
    BibFileContents readBytes(QByteArray bytes);

    // The encoding the bytes announce: a UTF-16 byte-order mark, else the
    // settings block's "textencoding" (files of 165 bytes or more whose first
    // 80 bytes are ASCII); absent when they announce none.
    static std::optional<unsigned> announcedEncoding(const QByteArray &bytes);
    // Whether `c` ends a block name after '@' (white space, a brace or '(',
    // and the TeX specials).
    static bool endsBlockName(QChar c);
    // UTF-16 without a byte-order mark (zero bytes at every other place).
    static std::optional<unsigned> unmarkedUtf16(const QByteArray &bytes);

    // ---- the block readers, over the reader's stream
    bool readFromStream();
    // The block loop alone, up to the text's end or the piece's end.
    void readBlocks();
    std::optional<QString> readBlockHeaderFromStream();
    void skipCommentsAndSpaces();
    // The raw block text between braces; answers the error text, or absent.
    std::optional<QString> getBlock(QString &text);
    void readCommentFromStream();
    void readPreambleFromStream();
    void readMacroFromStream();
    void readBibItem(const QString &type);
    // The first of the equal texts this reader met: entry types and the values
    // of the fields many entries share (years, months, journals) are held once.
    const QString &sharedText(const QString &text);
    void shareValues(BibFieldDictionary &fields);
    void readPropertiesFromStream(bool ignoreEncode);
    void appendError(const QString &key, const QString &param1, const QString &param2);

private:
    // Display forms, names and file states of every item, once all macros
    // are known.
    void expandItems();
    // Reads the blocks from the cursor on in pieces on several threads, when
    // the text is large enough; false when it read nothing that way.
    bool readInPieces();
    // A reader of the blocks from `begin` that stops at the first block
    // starting at or after `end`.
    void startPiece(const BibFileReader &whole, qsizetype begin, qsizetype end);
    // Whether the pieces read after this one hold exactly what reading on
    // would have given; if so they are appended to this reader's contents.
    bool joinPieces(std::vector<std::unique_ptr<BibFileReader>> &pieces,
                    const std::vector<qsizetype> &bounds);
    bool decode(const QByteArray &bytes, QString &text);
    void prepareText(QString &text);
    qsizetype lineOf(qsizetype position);
    // The end of unreadable text starting at `start`: the next "@name{" or "@name(".
    qsizetype endOfUnreadText(qsizetype start) const;
    // Whether a block starts at `at` ("@", optional blanks, a name, optional blanks, "{" or "(").
    bool blockStartsAt(qsizetype at) const;
    // The first line start after `from` (and before `to`) at which a block starts.
    qsizetype nextBlockLine(qsizetype from, qsizetype to) const;
    // The end of a braced or parenthesised body opening at `open`, or the text's end.
    qsizetype endOfBody(qsizetype open) const;
    // Where an unreadable block whose body starts at `bodyStart` ends.
    qsizetype extentOfFailedBlock(qsizetype bodyStart);
    // Tokenizes a braced or parenthesised body; `extentEnd` is where its text
    // ends, `runaway` tells that it ran past a line on which another block starts.
    QList<BibElement> tokenizeBody(QString &error, qsizetype &extentEnd, bool &runaway);
    // The fields of the failed entry whose body opened at m_bodyOpen, read
    // again without its '%' comments (which are kept as a comment block).
    std::optional<BibFieldDictionary> fieldsWithoutCommentLines(qsizetype extentEnd);
    // Keeps the text from `start` to `end` that could not be read; text
    // right after other unread text joins it into one piece.
    void keepUnreadText(qsizetype start, qsizetype end);
    // Stores the piece of unread text being gathered: as a comment when its
    // braces balance, else as unread text.
    void flushUnreadText();
    void flushPendingComment();
    // Records where a block's text lies, for the kept text.
    void noteBlock(KeptText::Kind kind, qsizetype begin, qsizetype end, qsizetype index,
                   const BibItemPtr &item = {}, bool hasText = true);
    void buildKeptText();

    LocalDatabase &m_database;
    LocalDatabaseProperties &m_properties;
    const std::atomic<bool> &m_stopLoading;
    std::atomic<int> &m_numLoading;
    BibFileContents m_contents;
    QString m_text;         // the decoded text, with a final line feed added
    qsizetype m_length = 0; // length of the text without that line feed
    std::unique_ptr<StringInputStream> m_stream;
    std::vector<qsizetype> m_lineStarts;
    qsizetype m_blockStart = 0;   // where the block being read begins (its '@')
    qsizetype m_bodyOpen = -1;    // where its body opens ('{' or '('), or -1
    QStringList m_pendingComment; // '%' and '#' lines between blocks, kept together
    qsizetype m_pendingBegin = -1; // where those lines begin and end in the text
    qsizetype m_pendingEnd = -1;
    bool m_keepText = true;
    qsizetype m_textBegin = 0;     // where the blocks begin (after the settings block)
    bool m_lineModeRead = false;   // the settings block named the line ending
    std::vector<KeptText::Block> m_marks; // the blocks read, in file order
    qsizetype m_unreadStart = -1;  // the piece of unread text being gathered,
    qsizetype m_unreadEnd = -1;    // or -1
    bool m_editFormsOnly = false;
    EntrySink m_entrySink;
    qsizetype m_entriesHanded = 0; // entries given to the sink
    std::optional<quint32> m_forcedEncoding;
    QHash<QString, QString> m_sharedTexts; // see sharedText
    bool m_yenIsBackslash = false; // the encoding writes backslashes as yen signs
    int m_pieces = 0;                  // 0: as many as the machine has cores (at most 4)
    qsizetype m_minimumPiece = 1 << 18;
    qsizetype m_pieceEnd = -1;  // reading stops at a block starting here or later
    qsizetype m_stoppedAt = -1; // where that block starts
};
