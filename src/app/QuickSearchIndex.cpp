#include "app/QuickSearchIndex.h"

#include "model/BibItem.h"

#include <QChar>

#include <cstring>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void appendUtf8(QByteArray &out, char32_t c)
{
    if (c < 0x80) {
        out.append(static_cast<char>(c));
    } else if (c < 0x800) {
        out.append(static_cast<char>(0xC0 | (c >> 6)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.append(static_cast<char>(0xE0 | (c >> 12)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.append(static_cast<char>(0xF0 | (c >> 18)));
        out.append(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.append(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.append(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Appends the folded text; answers false when it met an unpaired surrogate
// (written as the replacement character).
bool appendFolded(QByteArray &out, QStringView text)
{
    bool paired = true;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const char16_t unit = text[i].unicode();
        if (unit < 0x80) {
            out.append(static_cast<char>(unit >= u'A' && unit <= u'Z' ? unit + 32 : unit));
            continue;
        }
        char32_t c = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < size &&
            QChar::isLowSurrogate(text[i + 1].unicode())) {
            c = QChar::surrogateToUcs4(unit, text[i + 1].unicode());
            ++i;
        } else if (QChar::isSurrogate(unit)) {
            appendUtf8(out, kReplacement);
            paired = false;
            continue;
        }
        appendUtf8(out, QChar::toCaseFolded(c));
    }
    return paired;
}

} // namespace

void QuickSearchIndex::setFields(const QStringList &fields)
{
    if (fields == m_fields)
        return;
    m_fields = fields;
    reset(m_texts.size());
}

void QuickSearchIndex::reset(size_t count)
{
    m_texts = std::vector<Kept>(count);
}

void QuickSearchIndex::forget(size_t slot)
{
    if (slot < m_texts.size())
        m_texts[slot] = Kept();
}

void QuickSearchIndex::move(const std::vector<int> &from)
{
    std::vector<Kept> moved(from.size());
    for (size_t slot = 0; slot < from.size(); ++slot) {
        const int old = from[slot];
        if (old >= 0 && static_cast<size_t>(old) < m_texts.size())
            moved[slot] = std::move(m_texts[static_cast<size_t>(old)]);
    }
    m_texts = std::move(moved);
}

std::optional<QByteArray> QuickSearchIndex::fold(QStringView text)
{
    if (text.contains(QChar(u'\0')) || text.contains(QChar(kReplacement)))
        return std::nullopt;
    QByteArray folded;
    folded.reserve(text.size());
    if (!appendFolded(folded, text))
        return std::nullopt;
    return folded;
}

bool QuickSearchIndex::contains(size_t slot, const BibItem &item, const QByteArray &folded)
{
    if (folded.isEmpty())
        return false; // an empty text is never found
    if (slot >= m_texts.size())
        m_texts.resize(slot + 1);
    Kept &kept = m_texts[slot];
    if (!kept.made) {
        // The fields' folded texts, each followed by a NUL, which no folded
        // search text holds: a match never spans two fields. The display
        // values are made for this text alone: keeping every entry's display
        // forms as well would double what a search of all fields holds.
        for (const QString &field : std::as_const(m_fields)) {
            const QString value = item.displayValueOf(field);
            if (value.isEmpty())
                continue;
            appendFolded(kept.text, value);
            kept.text.append('\0');
        }
        kept.text.squeeze();
        kept.made = true;
    }
    const QByteArray &text = kept.text;
    return text.size() >= folded.size() &&
           memmem(text.constData(), static_cast<size_t>(text.size()), folded.constData(),
                  static_cast<size_t>(folded.size())) != nullptr;
}
