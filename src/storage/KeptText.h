#pragma once

#include "model/MacroList.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <vector>

class BibItem;

// The text a .bib file was read from, block by block, so that a save can
// write every block the user did not change exactly as it was read. One
// buffer holds the decoded text after the settings block as UTF-8 (about the
// file's own size); each block records where its text and the text after it
// (up to the next block) lie in it. A value built by the file reader on its
// loading thread, then read-only and shared by the database; any thread may
// read it.
class KeptText
{
public:
    enum class Kind : quint8
    {
        Entry,
        Comment,  // a comment block, '%' lines, or stray text kept as a comment
        Preamble,
        Macro,    // one @STRING block (one or more macros)
        Unread,   // text no block could carry, kept to be written as it stands
    };

    // One block of the file, in file order. The text after a block runs up
    // to the next block's beginning (the last one's to the end of the text).
    struct Block
    {
        qsizetype begin = 0; // in the buffer (in the decoded text while the reader builds)
        qsizetype end = 0;   // end of the block's own text
        qint32 index = -1;   // comments, preambles, unread texts: place in the list read
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
    QString textAt(qsizetype begin, qsizetype end) const;

    const std::vector<Block> &blocks() const { return m_blocks; }
    // Whether the file began with a settings block (whose text is not kept).
    bool hadSettingsBlock() const { return m_hadSettingsBlock; }
    // The line break of the file's first line ("\n", "\r\n" or "\r"); LF
    // for a file without one.
    const QString &lineBreak() const { return m_lineBreak; }
    quint32 encoding() const { return m_encoding; }
    qsizetype bufferSize() const { return m_buffer.size(); }

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

    // Builds the kept text of `text` from `textBegin` (after the settings
    // block) to `textEnd`, with the blocks found there (positions in `text`).
    static std::shared_ptr<KeptText> build(QStringView text, qsizetype textBegin,
                                           qsizetype textEnd, std::vector<Block> blocks);
    void setHadSettingsBlock(bool had) { m_hadSettingsBlock = had; }
    void setEncoding(quint32 encoding) { m_encoding = encoding; }
    void setListsRead(const QStringList &comments, const QStringList &preambles,
                      const QStringList &unreadTexts, const MacroList &macros);

private:
    QByteArray m_buffer; // UTF-8
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
