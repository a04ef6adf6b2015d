#pragma once

#include "model/MacroList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QtGlobal>

#include <atomic>
#include <memory>
#include <vector>

class BibItem;

// The text a .bib file was read from, block by block, so that a save can
// write every block the user did not change exactly as it was read. The
// decoded text after the settings block is held as UTF-8 cut into chunks of
// about 128 KB, each compressed with zstd (about a third of the file's size
// for BibTeX text); each block records where its text and the text after it
// (up to the next block) lie in the UTF-8 text. A value built by the file
// reader on its loading thread, then read-only and shared by the database;
// any thread may read it. Every thread keeps the chunk it decompressed last,
// so that a walk through the blocks in order decompresses each chunk once.
class KeptText
{
public:
    KeptText();
    enum class Kind : quint8
    {
        Entry,
        Comment, // a comment block, '%' lines, or stray text kept as a comment
        Preamble,
        Macro,  // one @STRING block (one or more macros)
        Unread, // text no block could carry, kept to be written as it stands
    };

    // One block of the file, in file order. The text after a block runs up
    // to the next block's beginning (the last one's to the end of the text).
    struct Block
    {
        quint32 begin = 0; // in the UTF-8 text (in the decoded text while the reader builds)
        quint32 end = 0;   // end of the block's own text
        qint32 index = -1; // comments, preambles, unread texts: place in the list read
        Kind kind = Kind::Entry;
        // The text can be written for the block (false: the block, such as
        // '%' lines taken out of an entry, has no text of its own).
        bool hasText = true;
        std::weak_ptr<BibItem> item; // entries
    };

    // The block's own text and the text after it, decoded.
    QString textOf(const Block &block) const { return textAt(block.begin, block.end); }
    QString gapOf(const Block &block) const { return textAt(block.end, gapEndOf(block)); }
    // Where the text after `block` ends.
    qsizetype gapEndOf(const Block &block) const;
    // The text between the settings block (or the file's start) and the first block.
    QString lead() const { return textAt(0, m_leadEnd); }
    // The text from `begin` to `end` (UTF-8 offsets, on character boundaries).
    // Whether a chunk failed to decompress: what was read of it came back
    // empty, so a text made from this one must not be written.
    bool damaged() const { return m_damaged.load(std::memory_order_relaxed); }
    QString textAt(qsizetype begin, qsizetype end) const;

    const std::vector<Block> &blocks() const { return m_blocks; }
    // Whether the file began with a settings block (whose text is not kept).
    bool hadSettingsBlock() const { return m_hadSettingsBlock; }
    // The line break of the file's first line ("\n", "\r\n" or "\r"); LF
    // for a file without one.
    const QString &lineBreak() const { return m_lineBreak; }
    quint32 encoding() const { return m_encoding; }
    // The length of the kept text as UTF-8.
    qsizetype textSize() const { return m_size; }
    // The sizes of the heap blocks the kept text holds (chunks and records),
    // for measuring its memory.
    std::vector<qsizetype> allocationSizes() const;

    // The lists as read: a save writes their blocks as read only while the
    // database's lists are still equal to these.
    const QStringList &comments() const { return m_comments; }
    const QStringList &preambles() const { return m_preambles; }
    const QStringList &unreadTexts() const { return m_unreadTexts; }
    const MacroList &macros() const { return m_macros; }

    // The line break that starts `text` ("\r\n", "\r" or "\n"), or LF when it has none.
    static QString firstLineBreak(QStringView text);
    // `text` with every line break (CR LF, CR or LF) replaced by `lf`.
    static QString withLineBreaks(QStringView text, QStringView lf);

    // ---- building (the file reader)

    // The UTF-16 length of the text a chunk holds (its UTF-8 is 1 to 3 times that).
    static constexpr qsizetype kChunkUnits = 128 * 1024;

    // Builds the kept text of `text` from `textBegin` (after the settings
    // block) to `textEnd`, with the blocks found there (positions in `text`).
    // Null for a text longer than 32-bit offsets reach (4 GB as UTF-8).
    static std::shared_ptr<KeptText> build(QStringView text, qsizetype textBegin, qsizetype textEnd,
                                           std::vector<Block> blocks,
                                           qsizetype chunkUnits = kChunkUnits);
    void setHadSettingsBlock(bool had) { m_hadSettingsBlock = had; }
    void setEncoding(quint32 encoding) { m_encoding = encoding; }
    void setListsRead(const QStringList &comments, const QStringList &preambles,
                      const QStringList &unreadTexts, const MacroList &macros);

private:
    // One compressed piece of the UTF-8 text: from `begin` to the next chunk's.
    struct Chunk
    {
        std::unique_ptr<char[]> data;
        quint32 size = 0; // compressed
        quint32 begin = 0;
    };

    // The chunk's text, decompressed into this thread's cache.
    const QByteArray &chunkText(size_t chunk) const;
    qsizetype chunkEnd(size_t chunk) const;
    struct Building;
    // Turns the chunks of the text into UTF-8 and compresses them, noting the
    // UTF-8 offsets of the blocks' positions on the way; several threads may
    // share the work, each taking the next chunk.
    void compressChunks(Building &building);

    const quint64 m_id; // tells this text apart in the threads' chunk caches
    mutable std::atomic<bool> m_damaged{false};
    std::vector<Chunk> m_chunks;
    qsizetype m_size = 0;
    qsizetype m_leadEnd = 0;
    std::vector<Block> m_blocks;
    bool m_hadSettingsBlock = false;
    QString m_lineBreak = QStringLiteral("\n");
    quint32 m_encoding = 0;
    QStringList m_comments;
    QStringList m_preambles;
    QStringList m_unreadTexts;
    MacroList m_macros;
};
