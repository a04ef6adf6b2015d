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

std::shared_ptr<KeptText> KeptText::build(QStringView text, qsizetype textBegin, qsizetype textEnd,
                                          std::vector<Mark> marks)
{
    auto kept = std::make_shared<KeptText>();
    textEnd = std::clamp(textEnd, textBegin, text.size());
    const QStringView range = text.mid(textBegin, textEnd - textBegin);
    kept->m_lineBreak = firstLineBreak(text.left(textEnd));

    std::stable_sort(marks.begin(), marks.end(),
                     [](const Mark &a, const Mark &b) { return a.begin < b.begin; });
    // Every position that the blocks name, in order, mapped to its UTF-8
    // offset in one pass; the buffer is then written at its exact size.
    std::vector<qsizetype> points;
    points.reserve(marks.size() * 2 + 2);
    for (Mark &mark : marks) {
        mark.begin = std::clamp(mark.begin - textBegin, qsizetype(0), range.size());
        mark.end = std::clamp(mark.end - textBegin, mark.begin, range.size());
        points.push_back(mark.begin);
        points.push_back(mark.end);
    }
    std::sort(points.begin(), points.end());
    points.erase(std::unique(points.begin(), points.end()), points.end());
    std::vector<qsizetype> offsets(points.size());
    qsizetype length = 0;
    size_t next = 0;
    for (qsizetype i = 0; i <= range.size(); ++i) {
        while (next < points.size() && points[next] == i)
            offsets[next++] = length;
        if (i < range.size())
            length += utf8Units(range, i);
    }
    kept->m_buffer.resize(length);
    writeUtf8(range, kept->m_buffer.data());
    const auto offsetOf = [&](qsizetype position) {
        const auto it = std::lower_bound(points.begin(), points.end(), position);
        return offsets[static_cast<size_t>(it - points.begin())];
    };

    kept->m_leadEnd = marks.empty() ? length : offsetOf(marks.front().begin);
    kept->m_blocks.reserve(marks.size());
    for (size_t k = 0; k < marks.size(); ++k) {
        Mark &mark = marks[k];
        Block block;
        block.begin = offsetOf(mark.begin);
        block.end = offsetOf(mark.end);
        block.gapEnd = k + 1 < marks.size() ? std::max(offsetOf(marks[k + 1].begin), block.end)
                                            : length;
        block.kind = mark.kind;
        block.hasText = mark.hasText;
        block.index = mark.index;
        block.item = std::move(mark.item);
        kept->m_blocks.push_back(std::move(block));
    }
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
