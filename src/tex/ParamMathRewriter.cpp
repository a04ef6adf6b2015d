#include "tex/ParamMathRewriter.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

} // namespace

ParamMathRewriter::ParamMathRewriter(const QString &text, QChar key, const QString &tex,
                                     const QHash<QChar, QString> &operators,
                                     QStringView numberChars)
    : m_text(text), m_key(key), m_tex(tex), m_operators(operators), m_numberChars(numberChars)
{}

template<typename Match> std::vector<qsizetype> ParamMathRewriter::nextIndexWhere(Match match) const
{
    const qsizetype n = m_text.size();
    std::vector<qsizetype> next(std::size_t(n) + 1, n);
    for (qsizetype i = n - 1; i >= 0; --i)
        next[std::size_t(i)] = match(m_text.at(i)) ? i : next[std::size_t(i) + 1];
    return next;
}

QString ParamMathRewriter::run()
{
    if (!m_text.contains(m_key))
        return m_text;
    m_nextKey = nextIndexWhere([this](QChar c) { return c == m_key; });
    m_nextNonOperator = nextIndexWhere([this](QChar c) { return !isOperator(c); });
    if (m_text.contains(u'$')) {
        const qsizetype n = m_text.size();
        m_nextDollar.assign(std::size_t(n) + 1, n);
        qsizetype backslashes = 0;
        std::vector<qsizetype> dollars;
        for (qsizetype i = 0; i < n; ++i) {
            if (m_text.at(i) == u'$' && backslashes % 2 == 0)
                dollars.push_back(i);
            backslashes = m_text.at(i) == u'\\' ? backslashes + 1 : 0;
        }
        // The dollars pair up from the start: with an odd count the last one
        // has no partner.
        if (dollars.size() % 2 == 1)
            m_loneDollar = dollars.back();
        for (qsizetype i = n - 1; i >= 0; --i) {
            const bool here = !dollars.empty() && dollars.back() == i;
            if (here)
                dollars.pop_back();
            m_nextDollar[std::size_t(i)] = here ? i : m_nextDollar[std::size_t(i) + 1];
        }
    }
    matchBrackets();
    m_pieces.push_back(Piece{0, m_text.size(), {}, false});
    m_out.reserve(m_text.size() + m_text.size() / 2);

    while (!m_pieces.empty()) {
        Piece &front = m_pieces.front();
        if (front.isLiteral) {
            output(front.literal);
            m_pieces.pop_front();
            continue;
        }
        const qsizetype key = m_nextKey[std::size_t(front.begin)];
        if (key >= front.end) {
            outputText(front.begin, front.end);
            m_pieces.pop_front();
            continue;
        }
        outputText(front.begin, key);
        front.begin = key;
        dropFront(1); // the key itself
        replaceAtFront();
    }
    return m_out;
}

void ParamMathRewriter::output(QChar c)
{
    if (c == u'$' && m_backslashes % 2 == 0)
        m_inMath = !m_inMath;
    m_backslashes = c == u'\\' ? m_backslashes + 1 : 0;
    m_out.append(c);
}

void ParamMathRewriter::output(QStringView s)
{
    for (QChar c : s)
        output(c);
}

void ParamMathRewriter::outputText(qsizetype begin, qsizetype end)
{
    if (m_dollarFate.empty()) {
        output(QStringView(m_text).sliced(begin, end - begin));
        return;
    }
    for (qsizetype i = begin; i < end; ++i) {
        const DollarFate fate = m_dollarFate[std::size_t(i)];
        if (fate == DollarEscaped)
            output(u'\\');
        if (fate != DollarDropped)
            output(m_text.at(i));
    }
}

void ParamMathRewriter::markDollars(qsizetype begin, qsizetype end)
{
    if (m_nextDollar.empty() || begin >= end)
        return;
    qsizetype dollar = m_nextDollar[std::size_t(begin)];
    if (dollar >= end)
        return;
    if (m_dollarFate.empty())
        m_dollarFate.assign(std::size_t(m_text.size()), DollarKept);
    else if (m_dollarFate[std::size_t(dollar)] != DollarKept)
        return; // marked with the argument around this one
    qsizetype open = -1;
    for (; dollar < end; dollar = m_nextDollar[std::size_t(dollar) + 1]) {
        m_dollarFate[std::size_t(dollar)] = DollarDropped;
        open = open < 0 ? dollar : -1;
    }
    if (open >= 0)
        m_dollarFate[std::size_t(open)] = DollarEscaped;
}

void ParamMathRewriter::escapeDollar(qsizetype index)
{
    if (m_dollarFate.empty())
        m_dollarFate.assign(std::size_t(m_text.size()), DollarKept);
    m_dollarFate[std::size_t(index)] = DollarEscaped;
}

QChar ParamMathRewriter::charAt(Loc loc) const
{
    const Piece &piece = m_pieces[loc.piece];
    return piece.isLiteral ? piece.literal.at(loc.offset) : m_text.at(piece.begin + loc.offset);
}

ParamMathRewriter::Loc ParamMathRewriter::advanced(Loc loc) const
{
    if (atEnd(loc))
        return loc;
    if (++loc.offset >= m_pieces[loc.piece].length())
        return {loc.piece + 1, 0};
    return loc;
}

ParamMathRewriter::Loc ParamMathRewriter::lastOfChain(Loc loc) const
{
    Loc last = loc;
    while (!atEnd(loc) && isOperator(charAt(loc))) {
        const Piece &piece = m_pieces[loc.piece];
        if (piece.isLiteral) {
            last = loc;
            loc = advanced(loc);
            continue;
        }
        // Jump over the whole run of operators inside this piece.
        const qsizetype stop =
            std::min(m_nextNonOperator[std::size_t(piece.begin + loc.offset)], piece.end);
        last = {loc.piece, stop - 1 - piece.begin};
        loc = stop == piece.end ? Loc{loc.piece + 1, 0} : Loc{loc.piece, stop - piece.begin};
    }
    return last;
}

qsizetype ParamMathRewriter::originalIndex(Loc loc) const
{
    if (atEnd(loc))
        return m_text.size();
    const Piece &piece = m_pieces[loc.piece];
    return piece.isLiteral ? piece.begin : piece.begin + loc.offset;
}

void ParamMathRewriter::matchBrackets()
{
    // The pairs nest: a closing bracket closes the innermost open one of its
    // kind, and the brackets opened after that one stay without a partner
    // and end there. A ")" or "]" inside a brace group opened after its "("
    // or "[" is text, so an argument never ends inside a group or takes half
    // of one.
    const qsizetype n = m_text.size();
    m_argumentEnd.assign(std::size_t(n), n);
    m_hasPartner.assign(std::size_t(n), false);
    std::vector<qsizetype> open;        // indices of the open brackets
    std::vector<std::size_t> ofKind[3]; // positions in `open` of "(", "[", "{"
    const auto kindOf = [this](qsizetype i) {
        const QChar c = m_text.at(i);
        return c == u'(' ? 0 : c == u'[' ? 1 : 2;
    };
    qsizetype backslashes = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = m_text.at(i);
        const bool escaped = backslashes % 2 == 1; // "\{" and "\}" are text
        backslashes = c == u'\\' ? backslashes + 1 : 0;
        const int opening = c == u'(' ? 0 : c == u'[' ? 1 : c == u'{' && !escaped ? 2 : -1;
        if (opening >= 0) {
            ofKind[opening].push_back(open.size());
            open.push_back(i);
            continue;
        }
        const int kind = c == u')' ? 0 : c == u']' ? 1 : c == u'}' && !escaped ? 2 : -1;
        if (kind < 0 || ofKind[kind].empty())
            continue;
        const std::size_t at = ofKind[kind].back();
        if (kind != 2 && !ofKind[2].empty() && ofKind[2].back() > at)
            continue;
        while (open.size() > at + 1) {
            m_argumentEnd[std::size_t(open.back())] = i;
            ofKind[kindOf(open.back())].pop_back();
            open.pop_back();
        }
        m_argumentEnd[std::size_t(open.back())] = i;
        m_hasPartner[std::size_t(open.back())] = true;
        ofKind[kind].pop_back();
        open.pop_back();
    }
}

ParamMathRewriter::Closing ParamMathRewriter::closingOf(Loc open) const
{
    // Everything before the front is written out, so each inserted piece
    // still ahead closes an argument around this one: the first is the
    // nearest end. The runs of original text ahead of it are split only
    // where a closing was inserted or a bracket taken, so it lies at the
    // front.
    qsizetype limit = m_text.size();
    Loc limitLoc = endLoc();
    for (std::size_t p = 0; p < m_pieces.size(); ++p) {
        if (m_pieces[p].isLiteral) {
            limit = m_pieces[p].begin;
            limitLoc = {p, 0};
            break;
        }
    }
    const qsizetype index = originalIndex(open);
    const qsizetype at = m_argumentEnd[std::size_t(index)];
    if (at >= limit)
        return {limitLoc, false};
    const auto piece = std::partition_point(m_pieces.begin(), m_pieces.end(),
                                            [at](const Piece &p) { return p.end <= at; });
    if (piece == m_pieces.end() || piece->isLiteral || at < piece->begin) {
        // That closing brace was taken by an argument around this one, and
        // the closing inserted in its place is no nearer than the limit.
        return {limitLoc, false};
    }
    return {{std::size_t(piece - m_pieces.begin()), at - piece->begin},
            bool(m_hasPartner[std::size_t(index)])};
}

ParamMathRewriter::Argument ParamMathRewriter::readArgument(Loc next)
{
    Argument argument;
    const auto literal = [&argument](qsizetype consumed) {
        argument.isLiteral = true;
        argument.literal = u"{?}"_s;
        argument.consumed = consumed;
        return argument;
    };
    if (atEnd(next)) {
        argument.end = next;
        return literal(0);
    }
    const QChar open = charAt(next);
    if (open == u')' || open == u']' || open == u'}' || open == u'$') {
        // Nothing to take: a closing character belongs to the text around.
        // A dollar of the text without a partner would run into the span's
        // closing one ("$$", which joins spans) and leave the span open: it
        // is escaped.
        if (open == u'$' && !m_pieces[next.piece].isLiteral && originalIndex(next) == m_loneDollar)
            escapeDollar(m_loneDollar);
        argument.end = next;
        return literal(0);
    }
    if (isOperator(open)) {
        // An operator on an operator: the chain and the last one's argument.
        const Argument last = readArgument(advanced(lastOfChain(next)));
        argument.contentEnd = last.end;
        argument.end = last.end;
        return argument;
    }
    if (open == u'(' || open == u'{' || open == u'[') {
        const Loc inside = advanced(next);
        const Closing closing = closingOf(next);
        if (closing.loc == inside) {
            // Nothing inside: the brackets go (only the opening one when
            // the argument around ends right after it).
            argument.end = closing.isPartner ? advanced(inside) : inside;
            return literal(closing.isPartner ? 2 : 1);
        }
        argument.openConsumed = true;
        argument.contentEnd = closing.loc;
        argument.closeConsumed = closing.isPartner;
        argument.end = closing.isPartner ? advanced(closing.loc) : closing.loc;
        return argument;
    }
    Loc end = advanced(next);
    if (open == u'\\') {
        // A control word or symbol ("\alpha", "\$") is one argument; a
        // backslash before nothing it can escape is a backslash sign.
        const QChar after = atEnd(end) ? QChar() : charAt(end);
        if (isAsciiLetter(after)) {
            while (!atEnd(end) && isAsciiLetter(charAt(end)))
                end = advanced(end);
        } else if (after.unicode() > u' ' && after.unicode() < 0x7F && after != u')' &&
                   after != u']') {
            end = advanced(end);
        } else {
            argument.literal = u"{\\backslash}"_s;
            argument.isLiteral = true;
            argument.consumed = 1;
            argument.end = end;
            return argument;
        }
    } else if (m_numberChars.contains(open)) {
        while (!atEnd(end) && m_numberChars.contains(charAt(end)))
            end = advanced(end);
    } else if (open.isHighSurrogate() && !atEnd(end) && charAt(end).isLowSurrogate()) {
        // A surrogate pair stays whole.
        end = advanced(end);
    }
    argument.contentEnd = end;
    argument.end = end;
    return argument;
}

void ParamMathRewriter::insertAt(Loc loc, const QString &s)
{
    if (s.isEmpty())
        return;
    if (atEnd(loc)) {
        if (!m_pieces.empty() && m_pieces.back().isLiteral)
            m_pieces.back().literal += s;
        else
            m_pieces.push_back(Piece{m_text.size(), m_text.size(), s, true});
        return;
    }
    Piece &piece = m_pieces[loc.piece];
    if (piece.isLiteral && loc.offset > 0) {
        piece.literal.insert(loc.offset, s);
        return;
    }
    const auto at = m_pieces.begin() + std::ptrdiff_t(loc.piece);
    if (loc.offset == 0) {
        if (loc.piece > 0 && m_pieces[loc.piece - 1].isLiteral) {
            // Inserted characters stay in one piece, so a search crosses them at once.
            m_pieces[loc.piece - 1].literal += s;
        } else {
            m_pieces.insert(at, Piece{piece.begin, piece.begin, s, true});
        }
        return;
    }
    // Split the run of original text.
    const qsizetype split = piece.begin + loc.offset;
    const Piece tail{split, piece.end, {}, false};
    piece.end = split;
    m_pieces.insert(at + 1, {Piece{split, split, s, true}, tail});
}

void ParamMathRewriter::replaceCharAt(Loc loc, const QString &s)
{
    // Only a closing bracket of the original text is replaced. It goes; the
    // rest of its piece follows the inserted characters.
    Piece &piece = m_pieces[loc.piece];
    const qsizetype index = piece.begin + loc.offset;
    const std::size_t at = loc.piece;
    const Piece tail{index + 1, piece.end, {}, false};
    piece.end = index;
    if (piece.end == piece.begin)
        m_pieces.erase(m_pieces.begin() + std::ptrdiff_t(at));
    else
        loc = {at + 1, 0};
    if (tail.end > tail.begin)
        m_pieces.insert(m_pieces.begin() + std::ptrdiff_t(loc.piece), tail);
    insertAt(loc.piece >= m_pieces.size() ? endLoc() : loc, s);
}

void ParamMathRewriter::dropFront(qsizetype count)
{
    while (count > 0 && !m_pieces.empty()) {
        Piece &front = m_pieces.front();
        const qsizetype take = std::min(count, front.length());
        if (front.isLiteral)
            front.literal.remove(0, take);
        else
            front.begin += take;
        count -= take;
        if (front.length() == 0)
            m_pieces.pop_front();
    }
}

void ParamMathRewriter::replaceAtFront()
{
    // Inside an open span the replacement goes in without its dollars.
    const bool inMath = m_inMath && m_tex.startsWith(u'$');
    QStringView open = inMath ? QStringView(m_tex).sliced(1) : QStringView(m_tex);
    const QString close = inMath ? QString() : u"$"_s;
    if (m_backslashes % 2 == 1 && !m_out.isEmpty()) {
        // "\√": the backslash would escape the span's dollar or run into the
        // command; it goes into the span as a backslash sign.
        m_out.chop(1);
        --m_backslashes;
        if (open.startsWith(u'$')) {
            output(u'$');
            open = open.sliced(1);
        }
        output(u"\\backslash");
        if (!open.isEmpty() && isAsciiLetter(open.front()))
            output(u' ');
    }
    const Argument argument = readArgument(Loc{});
    if (argument.isLiteral) {
        dropFront(argument.consumed);
        output(open);
        output(argument.literal);
        output(close);
        return;
    }
    // The argument stays in place: a single digit bare, anything else braced.
    const Loc content = argument.openConsumed ? advanced(Loc{}) : Loc{};
    if (argument.openConsumed) // the argument is math already: its dollars go
        markDollars(originalIndex(content), originalIndex(argument.contentEnd));
    const bool singleDigit = !atEnd(content) && advanced(content) == argument.contentEnd &&
                             charAt(content) >= u'0' && charAt(content) <= u'9';
    const QString closing = singleDigit ? close : u'}' + close;
    // The end first: the front keeps its position while the end changes.
    if (argument.closeConsumed)
        replaceCharAt(argument.contentEnd, closing);
    else
        insertAt(argument.contentEnd, closing);
    if (argument.openConsumed)
        dropFront(1);
    output(open);
    if (!singleDigit)
        output(u'{');
}
