#include "storage/KeptText.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// The UTF-8 length of one UTF-16 code unit at `i` (a surrogate pair counts
// 4 at its first unit and 0 at its second; a lone surrogate becomes U+FFFD).
int utf8Units(QStringView text, qsizetype i)
{
    const char16_t c = text[i].unicode();
    if (c < 0x80)
        return 1;
    if (c < 0x800)
        return 2;
    if (QChar::isHighSurrogate(c) && i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode()))
        return 4;
    if (QChar::isLowSurrogate(c) && i > 0 && QChar::isHighSurrogate(text[i - 1].unicode()))
        return 0;
    return 3;
}

// Writes `text` as UTF-8 at `out` (room made by the caller); answers the end.
char *writeUtf8(QStringView text, char *out)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
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

} // namespace

QString KeptText::textAt(qsizetype begin, qsizetype end) const
{
    if (end <= begin)
        return {};
    return QString::fromUtf8(m_buffer.constData() + begin, end - begin);
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
    return next < m_blocks.size() ? std::max(m_blocks[next].begin, block.end) : m_buffer.size();
}

std::shared_ptr<KeptText> KeptText::build(QStringView text, qsizetype textBegin, qsizetype textEnd,
                                          std::vector<Block> blocks)
{
    auto kept = std::make_shared<KeptText>();
    textEnd = std::clamp(textEnd, textBegin, text.size());
    const QStringView range = text.mid(textBegin, textEnd - textBegin);
    kept->m_lineBreak = firstLineBreak(text.left(textEnd));
    std::stable_sort(blocks.begin(), blocks.end(),
                     [](const Block &a, const Block &b) { return a.begin < b.begin; });

    // The positions become UTF-8 offsets with one cursor that walks the text
    // (block ends lie between their beginning and the next block's).
    qsizetype position = 0;
    qsizetype offset = 0;
    const auto offsetAt = [&](qsizetype target) {
        target = std::clamp(target - textBegin, qsizetype(0), range.size());
        for (; position < target; ++position)
            offset += utf8Units(range, position);
        for (; position > target; --position)
            offset -= utf8Units(range, position - 1);
        return offset;
    };
    for (Block &block : blocks) {
        const qsizetype end = std::max(block.begin, block.end);
        block.begin = offsetAt(block.begin);
        block.end = offsetAt(end);
    }
    qsizetype length = 0;
    for (qsizetype i = 0; i < range.size(); ++i)
        length += utf8Units(range, i);
    kept->m_leadEnd = blocks.empty() ? length : blocks.front().begin;
    kept->m_buffer.resize(length);
    writeUtf8(range, kept->m_buffer.data());
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
