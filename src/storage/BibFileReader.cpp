#include "storage/BibFileReader.h"

#include "storage/BibFileWriter.h"

#include "core/StringInputStream.h"
#include "core/TextEncodings.h"
#include "core/Texts.h"
#include "model/AuthorName.h"
#include "model/BibElement.h"
#include "model/BibItem.h"
#include "model/MacroList.h"
#include "storage/EncodingSniffer.h"
#include "storage/LocalDatabase.h"
#include "storage/LocalDatabaseProperties.h"

#include <QDebug>
#include <QFile>

#include <algorithm>
#include <thread>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace {

constexpr char16_t kSettingsStart[] = u"@COMMENT { Quirefold_Settings,";

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == QChar(0x00A0) ||
           c == QChar(0x3000);
}

// Whether the braces of `text` balance (a backslash hides the next character).
bool bracesBalance(const QString &text)
{
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\') {
            ++i;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth < 0)
                return false;
        }
    }
    return depth == 0;
}

// A text for a message: one line of at most 60 characters, then "...".
QString shortened(const QString &text)
{
    const QString line = text.simplified();
    return line.size() > 60 ? line.left(60) + u"..."_s : line;
}

QString firstToken(const QList<BibElement> &elements)
{
    return elements.isEmpty() ? QString() : elements.front().stringValue();
}

// A settings value's integer: decimal with an optional sign, 0 when none.
long long settingsInteger(const QString &value)
{
    const QString trimmed = value.trimmed();
    qsizetype end = 0;
    if (end < trimmed.size() && (trimmed.at(end) == u'-' || trimmed.at(end) == u'+'))
        ++end;
    while (end < trimmed.size() && trimmed.at(end).isDigit())
        ++end;
    bool ok = false;
    const long long number = trimmed.left(end).toLongLong(&ok);
    return ok ? number : 0;
}

} // namespace

bool BibFileReader::endsBlockName(QChar c)
{
    switch (c.unicode()) {
    case u' ':
    case u'\t':
    case u'\n':
    case u'\r':
    case u'{':
    case u'}':
    case u'\\':
    case u'#':
    case u'$':
    case u'%':
    case u'&':
    case u'@':
    case u'(':
        return true;
    default:
        return false;
    }
}

BibFileReader::BibFileReader(LocalDatabase &database, LocalDatabaseProperties &properties,
                             const std::atomic<bool> &stopLoading, std::atomic<int> &numLoading)
    : m_database(database), m_properties(properties), m_stopLoading(stopLoading),
      m_numLoading(numLoading)
{
    m_contents.macros = std::make_unique<MacroList>();
}

BibFileReader::~BibFileReader() = default;

// ---- the whole file

BibFileContents BibFileReader::readFile()
{
    QFile file(m_properties.fullPath());
    if (!file.open(QIODevice::ReadOnly)) {
        // Nothing is read: the database must not be saved over the file.
        appendError(QF_KEY("ReadError_CannotRead"), file.errorString(), QString());
        m_contents.complete = false;
        m_contents.encoding = m_properties.encoding();
        return std::move(m_contents);
    }
    // Read in one exactly sized block (readAll() grows its buffer as it goes).
    QByteArray bytes(file.size(), Qt::Uninitialized);
    const qint64 got = file.size() > 0 ? file.read(bytes.data(), bytes.size()) : 0;
    if (got < 0) {
        appendError(QF_KEY("ReadError_CannotRead"), file.errorString(), QString());
        m_contents.complete = false;
        m_contents.encoding = m_properties.encoding();
        return std::move(m_contents);
    }
    bytes.truncate(got);
    // A file that is not what its size says (a pipe, a file still growing).
    if (!file.atEnd())
        bytes += file.readAll();
    file.close();
    return readBytes(std::move(bytes));
}

BibFileContents BibFileReader::readBytes(QByteArray bytes)
{
    m_contents.encoding = m_properties.encoding();
    if (bytes.size() <= 9)
        return std::move(m_contents);

    QString text;
    decode(bytes, text);
    bytes = QByteArray(); // the text is all that is read from here on
    prepareText(text);
    // The yen sign stands for a backslash only in the Japanese encodings in
    // which a save writes backslashes as yen signs; elsewhere it is a yen
    // sign ("¥1000" in a UTF-8 file stays as it is).
    m_yenIsBackslash = BibFileWriter::isYenEncoding(m_contents.encoding);
    m_stream = std::make_unique<StringInputStream>(m_text);
    m_stream->setSpacesToASpace(true);
    m_stream->setYenToBackslash(m_yenIsBackslash);
    m_stream->setUnicodeSpacesAreText(true);

    if (m_text.startsWith(QStringView(kSettingsStart))) {
        if (readBlockHeaderFromStream()) {
            readPropertiesFromStream(true);
            m_textBegin = std::min(m_stream->position(), m_length);
        }
    }
    if (!m_lineModeRead) {
        // A file without a line mode of its own keeps the line break it has.
        const QString lf = KeptText::firstLineBreak(QStringView(m_text).left(m_length));
        if (QStringView(m_text).left(m_length).contains(lf))
            m_properties.setLineEnding(lf == u"\r" ? 0 : lf == u"\r\n" ? 1 : 2);
    }
    if (!m_entrySink && readInPieces()) {
        if (!m_editFormsOnly)
            expandItems();
    } else {
        readFromStream();
    }
    buildKeptText();
    return std::move(m_contents);
}

std::optional<unsigned> BibFileReader::announcedEncoding(const QByteArray &bytes)
{
    if (bytes.size() >= 2) {
        const auto b0 = static_cast<unsigned char>(bytes[0]);
        const auto b1 = static_cast<unsigned char>(bytes[1]);
        if ((b0 == 0xFF && b1 == 0xFE) || (b0 == 0xFE && b1 == 0xFF))
            return TextEncodings::UTF16;
    }
    if (bytes.size() < 165)
        return std::nullopt;
    const QByteArray head = bytes.left(80);
    if (std::any_of(head.begin(), head.end(),
                    [](char c) { return static_cast<unsigned char>(c) > 0x7F; }))
        return std::nullopt;
    const qsizetype at = head.indexOf("textencoding = {");
    if (at < 0)
        return std::nullopt;
    qsizetype i = at + 16;
    while (i < head.size() && !QByteArrayView("+-0123456789").contains(head[i]))
        ++i;
    qsizetype end = i;
    if (end < head.size() && (head[end] == '-' || head[end] == '+'))
        ++end;
    const qsizetype digits = end;
    while (end < head.size() && head[end] >= '0' && head[end] <= '9')
        ++end;
    if (end == digits)
        return std::nullopt;
    bool ok = false;
    long long value = head.mid(i, end - i).toLongLong(&ok);
    if (!ok)
        return std::nullopt;
    if (value < 0)
        value += 4294967296LL;
    return static_cast<unsigned>(value);
}

std::optional<unsigned> BibFileReader::unmarkedUtf16(const QByteArray &bytes)
{
    const qsizetype n = std::min<qsizetype>(bytes.size(), 400) & ~qsizetype(1);
    if (n < 8)
        return std::nullopt;
    qsizetype evenZeros = 0;
    qsizetype oddZeros = 0;
    for (qsizetype i = 0; i < n; i += 2) {
        evenZeros += bytes[i] == 0;
        oddZeros += bytes[i + 1] == 0;
    }
    const qsizetype pairs = n / 2;
    if (evenZeros * 10 >= pairs * 7 && oddZeros == 0)
        return TextEncodings::UTF16BigEndian;
    if (oddZeros * 10 >= pairs * 7 && evenZeros == 0)
        return TextEncodings::UTF16LittleEndian;
    return std::nullopt;
}

bool BibFileReader::decode(const QByteArray &bytes, QString &text)
{
    unsigned code = m_properties.encoding();
    if (m_forcedEncoding)
        code = *m_forcedEncoding; // the user's choice wins over every sign in the bytes
    else if (bytes.startsWith("\xEF\xBB\xBF"))
        code = TextEncodings::UTF8; // a UTF-8 byte-order mark, like the UTF-16 ones, decides
    else if (const auto announced = announcedEncoding(bytes))
        code = *announced;
    else if (const auto utf16 = unmarkedUtf16(bytes))
        code = *utf16;
    else if (const auto jis = EncodingSniffer::sevenBitJapanese(bytes); jis && code != *jis)
        code = *jis;
    else if (const unsigned windows = EncodingSniffer::windowsLatin1Instead(bytes, code);
             windows != code) {
        code = windows;
        m_contents.encodingChanged = true; // the bytes survive a save in it
    }
    m_contents.encoding = code;

    if (std::optional<QString> decoded = TextEncodings::decode(bytes, code)) {
        text = std::move(*decoded);
        return true;
    }

    QString chosen = TextEncodings::nameOfEncoding(code);
    if (chosen.isEmpty())
        chosen = QString::number(code);
    appendError(QF_KEY("EncodingMismatchError"), chosen, QString());
    if (m_forcedEncoding) {
        // Read in the encoding asked for or not at all: nothing is guessed,
        // and the file must not be saved over.
        m_contents.complete = false;
        text.clear();
        return false;
    }
    // The bytes are not valid in that encoding. Nothing may be lost: read them
    // in an encoding that holds them all, tell the user, and save in that one.
    EncodingSniffer::Reading reading = EncodingSniffer::readInAnotherEncoding(bytes, code);
    text = std::move(reading.text);
    m_contents.encoding = reading.encoding;
    m_contents.encodingChanged = true;
    if (!reading.repaired) {
        appendError(QF_KEY("ReadError_EncodingFallback"),
                    TextEncodings::nameOfEncoding(reading.encoding), QString());
        return false;
    }
    const qsizetype line =
        1 +
        std::count(bytes.begin(), bytes.begin() + std::max<qsizetype>(reading.firstStray, 0), '\n');
    appendError(QF_KEY("ReadError_EncodingRepaired"), QString::number(reading.strayBytes),
                QString::number(line));
    return false;
}

void BibFileReader::prepareText(QString &text)
{
    const qsizetype firstNul = text.indexOf(QChar(0));
    const qsizetype nulCount = firstNul < 0 ? 0 : QStringView(text).mid(firstNul).count(QChar(0));
    m_length = text.size();
    m_text = std::move(text);
    // A final line feed lets the cursor stand after the last character
    // (decoding leaves room for it; a full buffer grows by exactly one).
    if (m_text.capacity() <= m_text.size())
        m_text.reserve(m_text.size() + 1);
    m_text.append(u'\n');
    if (nulCount > 0) {
        // A NUL would end reading; the text after it must still be read.
        m_text.replace(QChar(0), QChar(0xFFFD));
        appendError(QF_KEY("ReadError_NulCharacter"), QString::number(nulCount),
                    QString::number(lineOf(firstNul)));
    }
}

qsizetype BibFileReader::lineOf(qsizetype position)
{
    if (m_lineStarts.empty()) {
        m_lineStarts.push_back(0);
        for (qsizetype i = 0; i < m_length; ++i) {
            const QChar c = m_text.at(i);
            if (c == u'\n' || (c == u'\r' && (i + 1 >= m_length || m_text.at(i + 1) != u'\n')))
                m_lineStarts.push_back(i + 1);
        }
    }
    const auto it = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), position);
    return static_cast<qsizetype>(it - m_lineStarts.begin());
}

// ---- locating blocks in the raw text

bool BibFileReader::blockStartsAt(qsizetype at) const
{
    if (at >= m_length || m_text.at(at) != u'@')
        return false;
    // White space, line breaks included, may stand between '@' and the name
    // and between the name and the body, as BibTeX reads it.
    qsizetype i = at + 1;
    while (i < m_length && isBlank(m_text.at(i)))
        ++i;
    if (i >= m_length || !m_text.at(i).isLetter())
        return false;
    while (i < m_length && !endsBlockName(m_text.at(i)) && m_text.at(i) != u',' &&
           m_text.at(i) != u'=')
        ++i;
    while (i < m_length && isBlank(m_text.at(i)))
        ++i;
    return i < m_length && (m_text.at(i) == u'{' || m_text.at(i) == u'(');
}

qsizetype BibFileReader::endOfUnreadText(qsizetype start) const
{
    for (qsizetype i = start; i < m_length; ++i) {
        i = m_text.indexOf(u'@', i);
        if (i < 0 || i >= m_length)
            break;
        if (blockStartsAt(i))
            return i;
    }
    return m_length;
}

qsizetype BibFileReader::nextBlockLine(qsizetype from, qsizetype to) const
{
    to = std::min(to, m_length);
    for (qsizetype i = from; i < to; ++i) {
        i = m_text.indexOf(u'\n', i);
        if (i < 0 || i >= to)
            break;
        qsizetype j = i + 1;
        while (j < to && (m_text.at(j) == u' ' || m_text.at(j) == u'\t'))
            ++j;
        if (j < to && m_text.at(j) == u'@' && blockStartsAt(j))
            return j;
    }
    return -1;
}

qsizetype BibFileReader::endOfBody(qsizetype open) const
{
    const bool parenthesised = m_text.at(open) == u'(';
    int depth = parenthesised ? 0 : 1;
    bool quoted = false; // a quoted value of a parenthesised block may hold ')'
    for (qsizetype i = open + 1; i < m_length; ++i) {
        const QChar c = m_text.at(i);
        if (c == u'\\') {
            ++i;
        } else if (parenthesised && c == u'"' && depth == 0) {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            --depth;
            if (!parenthesised && depth == 0)
                return i + 1;
        } else if (c == u')' && parenthesised && depth <= 0) {
            return i + 1;
        }
    }
    return m_length;
}

void BibFileReader::keepUnreadText(qsizetype start, qsizetype end)
{
    end = std::max(end, start);
    // Unread text that follows other unread text with nothing but white
    // space between joins it: the whole run is kept as one piece, so that it
    // reads the same wherever a save puts it (how a broken block ends can
    // depend on the text after it).
    bool joins = m_unreadEnd >= 0 && start >= m_unreadEnd;
    for (qsizetype i = m_unreadEnd; joins && i < start; ++i)
        joins = isBlank(m_text.at(i));
    if (joins) {
        m_unreadEnd = std::max(m_unreadEnd, end);
    } else {
        flushUnreadText();
        m_unreadStart = start;
        m_unreadEnd = end;
    }
    m_stream->setPosition(end);
}

void BibFileReader::flushUnreadText()
{
    if (m_unreadEnd < 0)
        return;
    const qsizetype start = m_unreadStart;
    const qsizetype end = m_unreadEnd;
    QString text = m_text.mid(start, end - start).trimmed();
    m_unreadStart = m_unreadEnd = -1;
    if (m_yenIsBackslash)
        text.replace(QChar(0x00A5), u'\\'); // as the blocks around it are read
    if (text.isEmpty())
        return;
    // Text that a comment block can carry goes back as a comment; other
    // text (unbalanced braces) is kept to be written as it stands.
    if (bracesBalance(text) && !text.startsWith(u"Quirefold_Settings")) {
        m_contents.comments.append(text);
        noteBlock(KeptText::Kind::Comment, start, end, m_contents.comments.size() - 1);
    } else {
        m_contents.unreadTexts.append(text);
        noteBlock(KeptText::Kind::Unread, start, end, m_contents.unreadTexts.size() - 1);
    }
}

void BibFileReader::flushPendingComment()
{
    if (m_pendingComment.isEmpty())
        return;
    flushUnreadText(); // the unread text stood before these lines
    m_contents.comments.append(m_pendingComment.join(u'\n').trimmed());
    noteBlock(KeptText::Kind::Comment, m_pendingBegin, m_pendingEnd,
              m_contents.comments.size() - 1);
    m_pendingComment.clear();
    m_pendingBegin = -1;
}

void BibFileReader::noteBlock(KeptText::Kind kind, qsizetype begin, qsizetype end,
                              qsizetype index, const BibItemPtr &item, bool hasText)
{
    if (!m_keepText)
        return;
    KeptText::Block block;
    block.begin = static_cast<quint32>(begin); // a longer text keeps none (KeptText::build)
    block.end = static_cast<quint32>(std::max(begin, std::min(end, m_length)));
    block.kind = kind;
    block.hasText = hasText;
    block.index = static_cast<qint32>(index);
    block.item = item;
    m_marks.push_back(std::move(block));
}

void BibFileReader::buildKeptText()
{
    if (!m_keepText)
        return;
    std::shared_ptr<KeptText> kept =
        KeptText::build(m_text, m_textBegin, m_length, std::move(m_marks));
    m_marks.clear();
    if (!kept)
        return; // too long to keep: a save writes the writer's layout
    kept->setHadSettingsBlock(m_textBegin > 0);
    kept->setEncoding(m_contents.encoding);
    kept->setListsRead(m_contents.comments, m_contents.preambles, m_contents.unreadTexts,
                       *m_contents.macros);
    m_contents.keptText = std::move(kept);
}

// ---- the block loop

bool BibFileReader::readFromStream()
{
    readBlocks();
    if (!m_editFormsOnly)
        expandItems();
    return m_contents.errors.isEmpty();
}

void BibFileReader::readBlocks()
{
    for (;;) {
        if (m_stopLoading.load(std::memory_order_relaxed)) {
            // Stopped: whatever text is left was not read.
            const qsizetype at = m_stream->position();
            for (qsizetype i = at; i < m_length; ++i) {
                if (!isBlank(m_text.at(i))) {
                    m_contents.complete = false;
                    break;
                }
            }
            break;
        }
        const std::optional<QString> name = readBlockHeaderFromStream();
        if (!name)
            break;
        if (*name == u"COMMENT")
            readCommentFromStream();
        else if (*name == u"PREAMBLE")
            readPreambleFromStream();
        else if (*name == u"STRING")
            readMacroFromStream();
        else
            readBibItem(*name);
    }
    flushPendingComment();
    flushUnreadText();
}

// ---- reading in pieces

void BibFileReader::setParallelReading(int parts, qsizetype minimumLength)
{
    m_pieces = std::max(1, parts);
    m_minimumPiece = std::max<qsizetype>(1, minimumLength);
}

// A large file is cut at lines where a block starts, and every piece but the
// first is read by a reader of its own on a thread of its own, while this one
// reads the first. The pieces are only kept when they are exactly what one
// reader going on would have read: each piece before ended at the block that
// starts the next, and the later pieces read cleanly (no problem reported, no
// macro defined, no key taken earlier), since those are the places where
// reading depends on what came before. Anything else, and the whole text is
// read again in one piece: rare files pay twice, common ones read faster.
bool BibFileReader::readInPieces()
{
    const qsizetype begin = m_stream->position();
    const int cores = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 4u));
    const int wanted = m_pieces > 0 ? m_pieces : cores;
    const auto parts = static_cast<int>(
        std::min<qsizetype>(wanted, (m_length - begin) / std::max<qsizetype>(1, m_minimumPiece)));
    if (parts < 2)
        return false;
    std::vector<qsizetype> bounds{begin};
    for (int k = 1; k < parts; ++k) {
        const qsizetype at = nextBlockLine(begin + (m_length - begin) * k / parts, m_length);
        if (at > bounds.back())
            bounds.push_back(at);
    }
    if (bounds.size() < 2)
        return false;
    bounds.push_back(m_length);

    const QStringList errorsBefore = m_contents.errors;
    const int countBefore = m_numLoading.load();
    std::vector<std::unique_ptr<BibFileReader>> pieces;
    std::vector<std::thread> threads;
    for (size_t k = 1; k + 1 < bounds.size(); ++k) {
        pieces.push_back(
            std::make_unique<BibFileReader>(m_database, m_properties, m_stopLoading, m_numLoading));
        pieces.back()->startPiece(*this, bounds[k], bounds[k + 1]);
    }
    for (const auto &piece : pieces)
        threads.emplace_back([reader = piece.get()] { reader->readBlocks(); });
    m_pieceEnd = bounds[1];
    readBlocks();
    m_pieceEnd = -1;
    for (std::thread &thread : threads)
        thread.join();
    if (joinPieces(pieces, bounds))
        return true;

    // Read again in one piece, from the state after the settings block.
    m_contents.items.clear();
    m_contents.keyIndex.clear();
    m_contents.comments.clear();
    m_contents.unreadTexts.clear();
    m_contents.preambles.clear();
    m_contents.macros = std::make_unique<MacroList>();
    m_contents.errors = errorsBefore;
    m_contents.complete = true;
    m_pendingComment.clear();
    m_pendingBegin = -1;
    m_marks.clear();
    m_unreadStart = m_unreadEnd = -1;
    m_stoppedAt = -1;
    m_numLoading.store(countBefore);
    m_stream->setPosition(begin);
    readBlocks();
    return true;
}

void BibFileReader::startPiece(const BibFileReader &whole, qsizetype begin, qsizetype end)
{
    m_contents.encoding = whole.m_contents.encoding;
    m_text = whole.m_text;
    m_length = whole.m_length;
    m_yenIsBackslash = whole.m_yenIsBackslash;
    m_stream = std::make_unique<StringInputStream>(m_text);
    m_stream->setSpacesToASpace(true);
    m_stream->setYenToBackslash(m_yenIsBackslash);
    m_stream->setUnicodeSpacesAreText(true);
    m_stream->setPosition(begin);
    m_pieceEnd = end < m_length ? end : -1;
    m_keepText = whole.m_keepText;
}

bool BibFileReader::joinPieces(std::vector<std::unique_ptr<BibFileReader>> &pieces,
                               const std::vector<qsizetype> &bounds)
{
    if (m_stopLoading.load())
        return false; // a stopped reading is read again, and stops at once
    if (m_stoppedAt != bounds[1])
        return false;
    // Piece by piece: a failed check anywhere discards everything joined.
    for (size_t k = 0; k < pieces.size(); ++k) {
        BibFileContents &more = pieces[k]->m_contents;
        const bool last = k + 1 == pieces.size();
        if (!more.errors.isEmpty() || !more.complete || more.macros->count() > 0 ||
            (!last && pieces[k]->m_stoppedAt != bounds[k + 2]))
            return false;
        for (BibItemPtr &item : more.items) {
            if (m_contents.keyIndex.contains(item->bibKey()))
                return false;
            m_contents.keyIndex.insert(item->bibKey(), item);
            m_contents.items.push_back(std::move(item));
        }
        // The piece's blocks, their list places counted on from what is joined.
        for (KeptText::Block &mark : pieces[k]->m_marks) {
            if (mark.kind == KeptText::Kind::Comment)
                mark.index += static_cast<qint32>(m_contents.comments.size());
            else if (mark.kind == KeptText::Kind::Unread)
                mark.index += static_cast<qint32>(m_contents.unreadTexts.size());
            else if (mark.kind == KeptText::Kind::Preamble)
                mark.index += static_cast<qint32>(m_contents.preambles.size());
            m_marks.push_back(std::move(mark));
        }
        m_contents.comments += more.comments;
        m_contents.unreadTexts += more.unreadTexts;
        m_contents.preambles += more.preambles;
    }
    return true;
}

namespace {

struct NameHash
{
    size_t operator()(const AuthorName &name) const
    {
        return qHashMulti(0, name.familyName(), name.givenName());
    }
};

} // namespace

void BibFileReader::expandItems()
{
    const MacroList *macros = m_contents.macros.get();
    const BibItemList &items = m_contents.items;
    // Items expand independently of each other (they only read the macros and
    // the shared converters): a large file shares the work among the cores.
    constexpr size_t kItemsPerThread = 2000;
    const size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const size_t parts =
        std::clamp<size_t>(items.size() / kItemsPerThread, 1, std::min<size_t>(cores, 4));
    const auto expandPart = [&items, macros, parts](size_t part) {
        const size_t begin = items.size() * part / parts;
        const size_t end = items.size() * (part + 1) / parts;
        // An author of many entries is held once (per thread; the author
        // index joins the threads' copies). Equal names are found by their
        // parts, without making a text for each.
        std::unordered_set<AuthorName, NameHash> names;
        const auto holder = [&names](const AuthorName &name) -> const AuthorName * {
            return &*names.insert(name).first;
        };
        for (size_t i = begin; i < end; ++i) {
            items[i]->expandWithMacro(macros);
            items[i]->shareNames(holder);
        }
    };
    std::vector<std::thread> helpers;
    helpers.reserve(parts - 1);
    for (size_t part = 1; part < parts; ++part)
        helpers.emplace_back(expandPart, part);
    expandPart(0);
    for (std::thread &helper : helpers)
        helper.join();
}

void BibFileReader::skipCommentsAndSpaces()
{
    for (;;) {
        const QChar c = m_stream->getNonSpaceChar();
        if (c == u'%' || c == u'#') {
            // A comment line between blocks: kept, so that a save writes it back.
            const qsizetype start = m_stream->position() - 1;
            m_stream->skipToEndOfLine();
            const qsizetype end = std::min(m_stream->position(), m_length);
            QString line = m_text.mid(start, end - start);
            while (!line.isEmpty() && (line.back() == u'\n' || line.back() == u'\r'))
                line.chop(1);
            if (m_pendingComment.isEmpty())
                m_pendingBegin = start;
            m_pendingEnd = start + line.size();
            if (m_yenIsBackslash)
                line.replace(QChar(0x00A5), u'\\');
            m_pendingComment.append(line);
            continue;
        }
        if (!c.isNull() || !m_stream->atEnd())
            m_stream->ungetChar();
        return;
    }
}

std::optional<QString> BibFileReader::readBlockHeaderFromStream()
{
    for (;;) {
        skipCommentsAndSpaces();
        const QChar c = m_stream->getNonSpaceChar();
        if (c.isNull() && m_stream->atEnd())
            return std::nullopt;
        const qsizetype start = m_stream->position() - 1;
        if (start >= m_length)
            return std::nullopt;
        if (m_pieceEnd >= 0 && start >= m_pieceEnd) {
            // The end of a piece: the next piece's reader starts there.
            m_stoppedAt = start;
            return std::nullopt;
        }
        flushPendingComment();
        m_blockStart = start;
        // The text as the stream reads it (white-space runs as one space).
        const auto snippet = [this, start] {
            return m_text.mid(start, std::min<qsizetype>(200, m_length - start))
                       .simplified()
                       .left(31) +
                   u"..."_s;
        };
        if (c == u'@') {
            QChar n = m_stream->getChar();
            while (n == u' ') // blanks between '@' and the name are allowed
                n = m_stream->getChar();
            QString name;
            while (!n.isNull() && !endsBlockName(n)) {
                name.append(n);
                n = m_stream->getChar();
            }
            if (!n.isNull())
                m_stream->ungetChar();
            if (!name.isEmpty())
                return name.toUpper();
            appendError(QF_KEY("ReadError_NoBlockName"), QString::number(lineOf(start)), snippet());
            keepUnreadText(start, endOfUnreadText(start + 1));
            continue;
        }
        // Text outside any block: reported and kept, and reading goes on.
        appendError(QF_KEY("ReadError_BadBlock"), snippet(), QString());
        keepUnreadText(start, endOfUnreadText(start));
    }
}

std::optional<QString> BibFileReader::getBlock(QString &text)
{
    if (m_stream->getNonSpaceChar() != u'{')
        return Texts::text(u"ReadError_MissingOpenBra");
    QString collected;
    int depth = 1;
    bool closed = false;
    for (;;) {
        const QChar c = m_stream->getChar();
        if (c.isNull() && m_stream->atEnd())
            break;
        if (c == u'\\') {
            collected.append(c);
            const QChar next = m_stream->getChar();
            if (!next.isNull() || !m_stream->atEnd())
                collected.append(next);
            continue;
        }
        if (c == u'{') {
            ++depth;
        } else if (c == u'}') {
            if (--depth == 0) {
                closed = true;
                break;
            }
        }
        collected.append(c);
    }
    if (!collected.isEmpty())
        text = collected.trimmed();
    return closed ? std::nullopt
                  : std::optional<QString>(Texts::text(u"ReadError_MissingCloseBra"));
}

// Where an unreadable block ends: its closing brace, but never past a line on
// which another block starts after a body that does not close.
qsizetype BibFileReader::extentOfFailedBlock(qsizetype bodyStart)
{
    qsizetype at = bodyStart;
    while (at < m_length && isBlank(m_text.at(at)))
        ++at;
    if (at >= m_length || (m_text.at(at) != u'{' && m_text.at(at) != u'('))
        return endOfUnreadText(bodyStart);
    const qsizetype end = endOfBody(at);
    const qsizetype cap = nextBlockLine(at, end);
    return cap >= 0 ? cap : end;
}

void BibFileReader::readCommentFromStream()
{
    const qsizetype bodyStart = m_stream->position();
    m_stream->setSpacesToASpace(false);
    QString text;
    const std::optional<QString> error = getBlock(text);
    m_stream->setSpacesToASpace(true);
    if (error) {
        appendError(QF_KEY("ReadError_BadComment"), *error, shortened(text));
        keepUnreadText(m_blockStart, extentOfFailedBlock(bodyStart));
        return;
    }
    // An empty block holds nothing to keep (a save writes one to keep two
    // groups of comment lines apart).
    flushUnreadText();
    if (!text.isEmpty() && !text.startsWith(u"Quirefold_Settings")) {
        m_contents.comments.append(text);
        noteBlock(KeptText::Kind::Comment, m_blockStart, m_stream->position(),
                  m_contents.comments.size() - 1);
    }
}

void BibFileReader::readPreambleFromStream()
{
    const qsizetype bodyStart = m_stream->position();
    QString text;
    const std::optional<QString> error = getBlock(text);
    if (error) {
        appendError(QF_KEY("ReadError_BadPreamble"), *error, shortened(text));
        keepUnreadText(m_blockStart, extentOfFailedBlock(bodyStart));
        return;
    }
    flushUnreadText();
    m_contents.preambles.append(text);
    noteBlock(KeptText::Kind::Preamble, m_blockStart, m_stream->position(),
              m_contents.preambles.size() - 1);
}

QList<BibElement> BibFileReader::tokenizeBody(QString &error, qsizetype &extentEnd, bool &runaway)
{
    const qsizetype bodyStart = m_stream->position();
    const QChar open = m_stream->getNonSpaceChar();
    const qsizetype openAt = m_stream->position() - 1;
    m_bodyOpen = (open == u'{' || open == u'(') ? openAt : -1;
    QList<BibElement> elements;
    runaway = false;
    if (open == u'(') {
        // "@type( ... )": read as if braced.
        const qsizetype end = endOfBody(openAt);
        const bool closed = end <= m_length && end > openAt + 1 && m_text.at(end - 1) == u')';
        const QString inner = m_text.mid(openAt + 1, (closed ? end - 1 : end) - openAt - 1);
        StringInputStream body(u'{' + inner + (closed ? u"}"_s : QString()));
        body.setSpacesToASpace(true);
        body.setYenToBackslash(m_yenIsBackslash);
        body.setUnicodeSpacesAreText(true);
        elements = BibElement::getElementsFromStream(body, error, true);
        extentEnd = end;
        m_stream->setPosition(end);
    } else {
        m_stream->setPosition(bodyStart);
        elements = BibElement::getElementsFromStream(*m_stream, error, true);
        extentEnd = std::min(m_stream->position(), m_length);
    }
    if (open == u'{' || open == u'(') {
        // A line that starts a block before the body's end: the body ran away.
        const qsizetype cap = nextBlockLine(openAt, extentEnd);
        if (cap >= 0 && cap < extentEnd) {
            runaway = true;
            extentEnd = cap;
        } else if (!error.isNull()) {
            extentEnd = extentOfFailedBlock(bodyStart);
        }
    } else if (!error.isNull()) {
        extentEnd = endOfUnreadText(bodyStart);
    }
    return elements;
}

void BibFileReader::readMacroFromStream()
{
    QString error;
    qsizetype extentEnd = 0;
    bool runaway = false;
    const QList<BibElement> elements = tokenizeBody(error, extentEnd, runaway);
    if (error.isNull() && !elements.isEmpty() && !runaway) {
        QString groupError;
        const std::optional<BibFieldDictionary> fields =
            BibElement::analyzeElements(elements, groupError, false);
        if (!fields) {
            appendError(QF_KEY("ReadError_BadMacro"), groupError, firstToken(elements));
            keepUnreadText(m_blockStart, extentEnd);
            return;
        }
        flushUnreadText();
        QString macroError;
        m_contents.macros->appendMacroWithDictionary(*fields, macroError);
        if (!macroError.isEmpty())
            appendError(QF_KEY("ReadError_DupMacro"), macroError, QString());
        noteBlock(KeptText::Kind::Macro, m_blockStart, extentEnd, -1);
        return;
    }
    if (runaway)
        appendError(QF_KEY("ReadError_RunawayBlock"), u"@STRING"_s,
                    QString::number(lineOf(extentEnd)));
    else if (!elements.isEmpty())
        appendError(QF_KEY("ReadError_BadMacro"), firstToken(elements), error);
    else
        appendError(QF_KEY("ReadError_EmptyMacro"), error, QString());
    keepUnreadText(m_blockStart, extentEnd);
}

std::optional<BibFieldDictionary> BibFileReader::fieldsWithoutCommentLines(qsizetype extentEnd)
{
    // '%' comments inside an entry (a habit from TeX files, which some
    // BibTeX tools accept): read the entry without them and keep them as a comment.
    if (m_bodyOpen < 0 || extentEnd <= m_bodyOpen + 1)
        return std::nullopt;
    const bool closed = m_text.at(extentEnd - 1) == u'}' || m_text.at(extentEnd - 1) == u')';
    const QString body =
        m_text.mid(m_bodyOpen + 1, (closed ? extentEnd - 1 : extentEnd) - m_bodyOpen - 1);
    // A '%' outside braces and quotes starts a comment that runs to the end of its line.
    QString kept;
    QStringList dropped;
    int depth = 0;
    bool quoted = false;
    for (qsizetype i = 0; i < body.size(); ++i) {
        const QChar c = body.at(i);
        if (c == u'\\' && i + 1 < body.size()) {
            kept += c;
            kept += body.at(++i);
            continue;
        }
        if (c == u'{')
            ++depth;
        else if (c == u'}')
            --depth;
        else if (c == u'"' && depth == 0)
            quoted = !quoted;
        else if (c == u'%' && depth == 0 && !quoted) {
            qsizetype end = body.indexOf(u'\n', i);
            if (end < 0)
                end = body.size();
            dropped << body.mid(i, end - i).trimmed();
            i = end - 1;
            continue;
        }
        kept += c;
    }
    if (dropped.isEmpty())
        return std::nullopt; // no comment to take out: the entry fails for another reason
    StringInputStream stream(u'{' + kept + u'}');
    stream.setSpacesToASpace(true);
    stream.setYenToBackslash(m_yenIsBackslash);
    stream.setUnicodeSpacesAreText(true);
    QString error;
    const QList<BibElement> elements = BibElement::getElementsFromStream(stream, error, true);
    if (!error.isNull() || elements.isEmpty())
        return std::nullopt;
    std::optional<BibFieldDictionary> fields = BibElement::analyzeElements(elements, error, true);
    if (!fields)
        return std::nullopt;
    flushUnreadText();
    m_contents.comments.append(dropped.join(u'\n'));
    // The lines have no text of their own: the entry's text holds them.
    noteBlock(KeptText::Kind::Comment, m_blockStart, m_blockStart, m_contents.comments.size() - 1,
              {}, false);
    appendError(QF_KEY("ReadError_CommentInEntry"), firstToken(elements),
                QString::number(dropped.size()));
    return fields;
}

const QString &BibFileReader::sharedText(const QString &text)
{
    auto it = m_sharedTexts.constFind(text);
    if (it == m_sharedTexts.constEnd())
        it = m_sharedTexts.insert(text, text);
    return *it;
}

void BibFileReader::shareValues(BibFieldDictionary &fields)
{
    // Fields whose values recur across a bibliography; others (titles, pages,
    // identifiers) are nearly always the entry's own.
    static const QString kRecurring[] = {
        u"year"_s,   u"month"_s,     u"journal"_s,   u"booktitle"_s,    u"publisher"_s,
        u"address"_s, u"series"_s,   u"volume"_s,    u"number"_s,       u"organization"_s,
        u"school"_s, u"institution"_s, u"edition"_s, u"keywords"_s,     u"language"_s,
        u"type"_s,   u"howpublished"_s};
    constexpr qsizetype kLongest = 128; // longer texts rarely recur
    for (const QString &name : kRecurring) {
        ElementList *value = fields.valueFor(name);
        if (!value || value->size() != 1)
            continue;
        const QString text = value->front().stringContents();
        if (!text.isEmpty() && text.size() <= kLongest)
            (*value)[0].shareText(sharedText(text));
    }
}

void BibFileReader::readBibItem(const QString &type)
{
    QString error;
    qsizetype extentEnd = 0;
    bool runaway = false;
    const QList<BibElement> elements = tokenizeBody(error, extentEnd, runaway);
    QString groupError;
    std::optional<BibFieldDictionary> fields;
    bool keyAdded = false;         // read under a key of its own making
    bool commentsTakenOut = false; // '%' lines taken out of the text
    if (!elements.isEmpty() && error.isNull() && !runaway) {
        fields = BibElement::analyzeElements(elements, groupError, true);
        if (!fields && elements.size() == 1 && elements.front().isValue()) {
            // "@misc{key}": an entry with a key and no field is valid BibTeX.
            fields = BibElement::analyzeElements({elements.front(), BibElement::bibElementComma()},
                                                 groupError, true);
        }
        if (!fields) {
            // Doubled commas between fields ("title = {x},  , year = 1999").
            QList<BibElement> single;
            for (const BibElement &element : elements) {
                if (element.elementType() != BibElement::Comma || single.isEmpty() ||
                    single.back().elementType() != BibElement::Comma)
                    single.append(element);
            }
            if (single.size() != elements.size()) {
                QString retryError;
                fields = BibElement::analyzeElements(single, retryError, true);
            }
        }
        if (!fields && elements.front().elementType() == BibElement::Comma) {
            // An entry without a key ("@article{, title = ...}", as several
            // programs export them): it is read under a new key, so that the
            // user sees it, and the user is told.
            const QString base =
                Texts::format(u"untitledBibKey",
                              {QString::number(m_contents.items.size() + m_entriesHanded + 1)});
            QString newKey = base;
            for (int suffix = 1; m_contents.keyIndex.contains(newKey); ++suffix)
                newKey = base + u'.' + QString::number(suffix);
            QList<BibElement> keyed = elements;
            keyed.prepend(BibElement(BibElement::Word, newKey));
            QString retryError;
            fields = BibElement::analyzeElements(keyed, retryError, true);
            if (fields) {
                appendError(QF_KEY("ReadError_NoBibKey"), QString::number(lineOf(m_blockStart)),
                            newKey);
                keyAdded = true;
            }
        }
    }
    if (!fields && !runaway && !elements.isEmpty()) {
        fields = fieldsWithoutCommentLines(extentEnd);
        commentsTakenOut = fields.has_value();
    }
    if (!fields) {
        if (elements.isEmpty())
            appendError(QF_KEY("ReadError_EmptyBibItem"), type, error);
        else if (runaway)
            appendError(QF_KEY("ReadError_RunawayBlock"), firstToken(elements),
                        QString::number(lineOf(extentEnd)));
        else if (!error.isNull())
            appendError(QF_KEY("ReadError_BadBibItem"), firstToken(elements), error);
        else
            appendError(QF_KEY("ReadError_BadBibItem"), firstToken(elements), groupError);
        keepUnreadText(m_blockStart, extentEnd);
        return;
    }
    const auto keyElements = fields->value(u"bibkey"_s);
    QString key = keyElements.isEmpty() ? QString() : keyElements.front().stringValue();
    if (m_contents.keyIndex.contains(key)) {
        const QString oldKey = key;
        QString candidate;
        for (int suffix = 1; suffix <= 9999; ++suffix) {
            candidate = oldKey + u'.' + QString::number(suffix);
            if (!m_contents.keyIndex.contains(candidate))
                break;
        }
        key = candidate;
        appendError(QF_KEY("ReadError_DupBibKey"), oldKey, key);
        fields->insert(u"bibkey"_s, {BibElement::bibElementWithSpecial(key)});
        keyAdded = true;
    }
    flushUnreadText();
    // The "file" field as written: the item may store it otherwise (a
    // relative path), and then its text no longer says what it holds.
    const auto fileElements = fields->value(u"file"_s);
    const QString fileAsRead = fileElements.isEmpty() ? QString() : BibItem::editFormOf(fileElements);
    // Entries handed to a sink are not kept: sharing their texts would not pay.
    if (!m_entrySink)
        shareValues(*fields);
    BibItemPtr item = BibItem::bibItemOfType(m_entrySink ? type : sharedText(type), key,
                                             std::move(*fields), &m_database);
    if (!item)
        return;
    // The entry can be written back with its text when that text reads as
    // the item holds it.
    const bool asRead = !keyAdded && !commentsTakenOut &&
                        item->fieldDataForEdit(u"file"_s) == fileAsRead;
    if (asRead)
        item->setUnchangedSinceRead();
    noteBlock(KeptText::Kind::Entry, m_blockStart, extentEnd, -1, item, asRead);
    m_numLoading.fetch_add(1, std::memory_order_relaxed);
    if (m_entrySink) {
        m_contents.keyIndex.insert(key, BibItemPtr());
        ++m_entriesHanded;
        m_entrySink(std::move(item));
        return;
    }
    m_contents.keyIndex.insert(key, item);
    m_contents.items.push_back(std::move(item));
}

void BibFileReader::readPropertiesFromStream(bool ignoreEncode)
{
    QString error;
    qsizetype extentEnd = 0;
    bool runaway = false;
    const QList<BibElement> elements = tokenizeBody(error, extentEnd, runaway);
    std::optional<BibFieldDictionary> fields;
    QString groupError;
    if (error.isNull() && !elements.isEmpty())
        fields = BibElement::analyzeElements(elements, groupError, true);
    if (elements.isEmpty()) {
        qWarning("ReadError_EmptyPrefs, %s, %d", qPrintable(error), 0);
        appendError(QF_KEY("ReadError_EmptyPrefs"), error, QString());
    } else if (!error.isNull()) {
        appendError(QF_KEY("ReadError_BadPrefs"), firstToken(elements), error);
    } else if (!fields) {
        appendError(QF_KEY("ReadError_BadPrefs"), groupError, firstToken(elements));
    }
    if (!fields) {
        m_stream->setPosition(extentEnd);
        return;
    }
    for (auto it = fields->cbegin(); it != fields->cend(); ++it) {
        if (it->isEmpty())
            continue;
        const QString name = it.key().toLower();
        const QString raw = it->front().stringValue();
        const QString value = raw.size() >= 2 ? raw.mid(1, raw.size() - 2) : QString();
        if (name == u"textencoding") {
            if (!ignoreEncode)
                m_properties.setEncoding(static_cast<unsigned>(settingsInteger(value)));
        } else if (name == u"linemode") {
            m_properties.setLineEnding(static_cast<int>(settingsInteger(value)));
            m_lineModeRead = true;
        } else if (name == u"description") {
            m_properties.setDescription(value);
        } else if (name == u"database_id") {
            m_contents.fileDatabaseID = value; // checked on the main thread, against the tree
        } else if (name == u"attachment_mode") {
            m_properties.setFileAttachmentMode(static_cast<int>(settingsInteger(value)));
        } else if (name == u"attachment_path") {
            m_properties.setAttachmentPath(value);
        } else if (name == u"rename_after_bibkey") {
            m_properties.setRenameAfterBibkey(value == u"YES");
        } else if (name == u"keep_full_path") {
            m_properties.setKeepFullPath(value == u"YES");
        } else if (name == u"privileged_host") {
            m_properties.setPrivilegedHost(value);
        } else if (name == u"privileged_user") {
            m_properties.setPrivilegedUser(value);
        } else if (name == u"privileged_since") {
            m_properties.setPrivilegedSince(value);
        }
    }
}

void BibFileReader::appendError(const QString &key, const QString &param1, const QString &param2)
{
    m_contents.errors.append(Texts::substitute(Texts::text(key), {param1, param2}));
}
