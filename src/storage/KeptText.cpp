#include "storage/KeptText.h"

#include <QByteArrayView>
#include <QtEndian>

#include <zstd.h>

#include <algorithm>
#include <limits>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Writes `text` as UTF-8 at `out` (room made by the caller); answers the end.
char *writeUtf8(QStringView text, char *out)
{
    const char16_t *units = text.utf16();
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Four ASCII characters at once, the common case.
        for (; i + 4 <= text.size(); i += 4) {
            const auto four = qFromUnaligned<quint64>(units + i);
            if (four & 0xFF80FF80FF80FF80ull)
                break;
            for (int k = 0; k < 4; ++k)
                *out++ = static_cast<char>(units[i + k]);
        }
        if (i == text.size())
            break;
        char32_t c = units[i];
        if (c < 0x80) {
            *out++ = static_cast<char>(c);
            continue;
        }
        if (c < 0x800) {
            *out++ = static_cast<char>(0xC0 | (c >> 6));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
            continue;
        }
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(static_cast<char16_t>(c), text[++i].unicode());
            *out++ = static_cast<char>(0xF0 | (c >> 18));
            *out++ = static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out++ = static_cast<char>(0x80 | (c & 0x3F));
            continue;
        }
        if (QChar::isSurrogate(c))
            c = 0xFFFD;
        *out++ = static_cast<char>(0xE0 | (c >> 12));
        *out++ = static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        *out++ = static_cast<char>(0x80 | (c & 0x3F));
    }
    return out;
}

// Level 1: fast, and a third of the text's size (see docs/decisions/keeping-read-text.md).
constexpr int kLevel = 1;

std::atomic<quint64> g_nextId = 0;

// The chunk a thread decompressed last, and whose it is.
struct ChunkCache
{
    quint64 owner = 0;
    size_t chunk = 0;
    QByteArray bytes;
    std::unique_ptr<ZSTD_DCtx, decltype(&ZSTD_freeDCtx)> context{nullptr, &ZSTD_freeDCtx};
};
thread_local ChunkCache t_cache;

} // namespace

static_assert(sizeof(KeptText::Block) <= 32,
              "a record per block: offsets, list place, kind, entry");

KeptText::KeptText() : m_id(++g_nextId) {}

qsizetype KeptText::chunkEnd(size_t chunk) const
{
    return chunk + 1 < m_chunks.size() ? m_chunks[chunk + 1].begin : m_size;
}

const QByteArray &KeptText::chunkText(size_t chunk) const
{
    ChunkCache &cache = t_cache;
    if (cache.owner == m_id && cache.chunk == chunk)
        return cache.bytes;
    const Chunk &piece = m_chunks[chunk];
    const qsizetype size = chunkEnd(chunk) - piece.begin;
    cache.owner = 0;
    cache.bytes.resize(size);
    if (!cache.context)
        cache.context.reset(ZSTD_createDCtx());
    const size_t done =
        cache.context ? ZSTD_decompressDCtx(cache.context.get(), cache.bytes.data(),
                                            static_cast<size_t>(size), piece.data.get(), piece.size)
                      : ZSTD_decompress(cache.bytes.data(), static_cast<size_t>(size),
                                        piece.data.get(), piece.size);
    if (ZSTD_isError(done) || done != static_cast<size_t>(size)) {
        // Not possible for a frame made here, short of memory gone bad.
        qCritical("Kept text: chunk %zu does not decompress", chunk);
        m_damaged.store(true, std::memory_order_relaxed);
        cache.bytes.clear();
        return cache.bytes;
    }
    cache.owner = m_id;
    cache.chunk = chunk;
    return cache.bytes;
}

QString KeptText::textAt(qsizetype begin, qsizetype end) const
{
    begin = std::clamp(begin, qsizetype(0), m_size);
    end = std::clamp(end, begin, m_size);
    if (end == begin)
        return {};
    const auto chunkAt = [this](qsizetype offset) {
        const auto after = std::upper_bound(
            m_chunks.begin(), m_chunks.end(), offset,
            [](qsizetype value, const Chunk &chunk) { return value < chunk.begin; });
        return static_cast<size_t>(after - m_chunks.begin()) - 1;
    };
    size_t chunk = chunkAt(begin);
    const size_t last = chunkAt(end - 1);
    // The part of one chunk's text between `from` and `to`.
    const auto part = [this](size_t at, qsizetype from, qsizetype to) {
        const QByteArray &bytes = chunkText(at);
        const qsizetype first = std::min(from - m_chunks[at].begin, bytes.size());
        return QByteArrayView(bytes).sliced(first, std::min(to - m_chunks[at].begin, bytes.size()) -
                                                       first);
    };
    if (chunk == last)
        return QString::fromUtf8(part(chunk, begin, end));
    QByteArray joined;
    joined.reserve(end - begin);
    for (; chunk <= last; ++chunk)
        joined += part(chunk, std::max(begin, qsizetype(m_chunks[chunk].begin)),
                       std::min(end, chunkEnd(chunk)));
    return QString::fromUtf8(joined);
}

std::vector<qsizetype> KeptText::allocationSizes() const
{
    std::vector<qsizetype> sizes;
    sizes.reserve(m_chunks.size() + 2);
    for (const Chunk &chunk : m_chunks)
        sizes.push_back(chunk.size);
    sizes.push_back(static_cast<qsizetype>(m_chunks.capacity() * sizeof(Chunk)));
    sizes.push_back(static_cast<qsizetype>(m_blocks.capacity() * sizeof(Block)));
    return sizes;
}

QString KeptText::firstLineBreak(QStringView text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            return u"\n"_s;
        if (text[i] == u'\r')
            return i + 1 < text.size() && text[i + 1] == u'\n' ? u"\r\n"_s : u"\r"_s;
    }
    return u"\n"_s;
}

QString KeptText::withLineBreaks(QStringView text, QStringView lf)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += lf;
        } else if (c == u'\n') {
            out += lf;
        } else {
            out += c;
        }
    }
    return out;
}

qsizetype KeptText::gapEndOf(const Block &block) const
{
    const auto at = &block - m_blocks.data();
    if (at < 0 || static_cast<size_t>(at) >= m_blocks.size())
        return block.end; // not one of these blocks
    const auto next = static_cast<size_t>(at) + 1;
    return next < m_blocks.size() ? std::max(m_blocks[next].begin, block.end) : m_size;
}

// What the threads building the chunks share.
struct KeptText::Building
{
    QStringView range;
    std::vector<qsizetype> cuts; // chunk k holds the text from cuts[k] to cuts[k + 1]
    // The blocks' positions in `range`, in order, with the place of their offset.
    std::vector<std::pair<qsizetype, size_t>> marks;
    std::vector<qsizetype> offsets; // UTF-8, within the chunk the position lies in
    std::atomic<size_t> next = 0;
};

void KeptText::compressChunks(Building &building)
{
    std::unique_ptr<ZSTD_CCtx, decltype(&ZSTD_freeCCtx)> context(ZSTD_createCCtx(), &ZSTD_freeCCtx);
    std::vector<char> text;
    std::vector<char> packed;
    const auto &cuts = building.cuts;
    for (size_t chunk = building.next++; chunk + 1 < cuts.size(); chunk = building.next++) {
        const qsizetype from = cuts[chunk];
        const qsizetype to = cuts[chunk + 1];
        text.resize(static_cast<size_t>(to - from) * 3);
        char *out = text.data();
        // The last chunk also takes the positions at the text's end.
        const qsizetype limit = chunk + 2 == cuts.size() ? to + 1 : to;
        auto mark = std::lower_bound(building.marks.begin(), building.marks.end(),
                                     std::pair<qsizetype, size_t>(from, 0));
        qsizetype at = from;
        for (; mark != building.marks.end() && mark->first < limit; ++mark) {
            out = writeUtf8(building.range.sliced(at, mark->first - at), out);
            at = mark->first;
            building.offsets[mark->second] = out - text.data();
        }
        out = writeUtf8(building.range.sliced(at, to - at), out);
        const auto size = static_cast<size_t>(out - text.data());
        packed.resize(ZSTD_compressBound(size));
        size_t done = context
                          ? ZSTD_compressCCtx(context.get(), packed.data(), packed.size(),
                                              text.data(), size, kLevel)
                          : ZSTD_compress(packed.data(), packed.size(), text.data(), size, kLevel);
        if (ZSTD_isError(done))
            done = 0; // not for a buffer of the bound's size; the build then fails
        Chunk &result = m_chunks[chunk];
        result.data = std::make_unique<char[]>(done);
        std::copy_n(packed.data(), done, result.data.get());
        result.size = static_cast<quint32>(done);
        result.begin = static_cast<quint32>(size); // the UTF-8 length until the offsets are summed
    }
}

std::shared_ptr<KeptText> KeptText::build(QStringView text, qsizetype textBegin, qsizetype textEnd,
                                          std::vector<Block> blocks, qsizetype chunkUnits)
{
    constexpr qsizetype kMaxOffset = std::numeric_limits<quint32>::max();
    textEnd = std::clamp(textEnd, qsizetype(0), text.size());
    textBegin = std::clamp(textBegin, qsizetype(0), textEnd);
    if (text.size() > kMaxOffset)
        return nullptr; // the blocks' positions did not fit
    auto kept = std::make_shared<KeptText>();
    Building building;
    const QStringView range = building.range = text.sliced(textBegin, textEnd - textBegin);
    kept->m_lineBreak = firstLineBreak(text.left(textEnd));
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Block &a, const Block &b) { return a.begin < b.begin; });

    // The chunks' cuts, and the blocks' positions: never inside a surrogate pair.
    const auto apart = [range](qsizetype at) {
        return at > 0 && at < range.size() && range[at - 1].isHighSurrogate() &&
                       range[at].isLowSurrogate()
                   ? at + 1
                   : at;
    };
    chunkUnits = std::max<qsizetype>(chunkUnits, 2);
    building.cuts.push_back(0);
    while (building.cuts.back() < range.size())
        building.cuts.push_back(apart(std::min(building.cuts.back() + chunkUnits, range.size())));
    kept->m_chunks.resize(building.cuts.size() - 1);
    building.marks.reserve(blocks.size() * 2);
    for (const Block &block : blocks) {
        for (const qsizetype at :
             {qsizetype(block.begin), qsizetype(std::max(block.begin, block.end))})
            building.marks.emplace_back(
                apart(std::clamp(at - textBegin, qsizetype(0), range.size())),
                building.marks.size());
    }
    building.offsets.resize(building.marks.size());
    std::sort(building.marks.begin(), building.marks.end());

    // The chunks are made on several threads, this one among them.
    const size_t cores = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
    const size_t helpers = std::min(cores, std::max<size_t>(kept->m_chunks.size(), 1)) - 1;
    std::vector<std::thread> threads;
    for (size_t k = 0; k < helpers; ++k)
        threads.emplace_back([&] { kept->compressChunks(building); });
    kept->compressChunks(building);
    for (std::thread &thread : threads)
        thread.join();

    // The chunks' UTF-8 beginnings, and the blocks' offsets from them.
    qsizetype length = 0;
    for (Chunk &chunk : kept->m_chunks) {
        if (chunk.size == 0)
            return nullptr; // the compressor failed
        const qsizetype size = chunk.begin;
        chunk.begin = static_cast<quint32>(length);
        length += size;
        if (length > kMaxOffset)
            return nullptr;
    }
    size_t chunk = 0;
    for (const auto &[position, slot] : building.marks) {
        while (chunk + 1 < building.cuts.size() - 1 && position >= building.cuts[chunk + 1])
            ++chunk;
        if (chunk < kept->m_chunks.size())
            building.offsets[slot] += kept->m_chunks[chunk].begin;
    }
    for (size_t k = 0; k < blocks.size(); ++k) {
        blocks[k].begin = static_cast<quint32>(building.offsets[2 * k]);
        blocks[k].end = static_cast<quint32>(building.offsets[2 * k + 1]);
    }
    kept->m_size = length;
    kept->m_leadEnd = blocks.empty() ? length : blocks.front().begin;
    kept->m_blocks = std::move(blocks);
    return kept;
}

void KeptText::setListsRead(const QStringList &comments, const QStringList &preambles,
                            const QStringList &unreadTexts, const MacroList &macros)
{
    m_comments = comments;
    m_preambles = preambles;
    m_unreadTexts = unreadTexts;
    m_macros = macros;
}
