#pragma once

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringView>

#include <deque>
#include <vector>

// One pass of the math symbols that take an argument (the square root): every
// occurrence of the key, with the argument it reads, becomes the key's open
// math span, the argument and "$" (without the dollars inside an open span).
// The text is read once from the start; what lies before the occurrence in
// hand is final and goes to the output. The rest is kept as a list of pieces
// of the original text and of the closings inserted into it, so an argument
// stays where it is instead of being copied: a chain or nest of n roots costs
// O(n), not O(n²). Each argument is read on the text as it stands after the
// replacements before it. The output's math spans stay balanced: a "$" inside
// a bracketed argument (already math) goes when it has a partner there and
// is escaped when it has none; a backslash next to a root, which would escape
// the span's dollar or run into "\sqrt", is written "\backslash" inside the
// span. Used for one conversion and dropped; not shared.
class ParamMathRewriter
{
public:
    // `operators` are all the keys that take an argument (a chain of them is
    // one argument); `numberChars` the characters of a numeric argument.
    ParamMathRewriter(const QString &text, QChar key, const QString &tex,
                      const QHash<QChar, QString> &operators, QStringView numberChars);

    // The text with every occurrence of the key replaced.
    QString run();

private:
    // A run of the original text, or inserted characters. Inserted pieces
    // hold only the closings "}" and "$", never ")" or "]"; they sit at an
    // index of the original text (begin == end), so the pieces stay ordered
    // by begin.
    struct Piece
    {
        qsizetype begin = 0; // in the original text
        qsizetype end = 0;
        QString literal;
        bool isLiteral = false;

        qsizetype length() const { return isLiteral ? literal.size() : end - begin; }
    };
    // A position in the pieces; `piece` past the last one is the end.
    struct Loc
    {
        std::size_t piece = 0;
        qsizetype offset = 0;
        bool operator==(const Loc &) const = default;
    };
    // What the operator at the front takes.
    struct Argument
    {
        bool isLiteral = false; // the argument is `literal`; the text keeps nothing
        QString literal;
        qsizetype consumed = 0;     // characters taken from the front (literal arguments)
        bool openConsumed = false;  // an opening bracket at the front is taken
        Loc contentEnd;             // where the kept argument ends
        bool closeConsumed = false; // the character at contentEnd is its closing bracket
        Loc end;                    // one past everything the argument covers
    };

    bool atEnd(Loc loc) const { return loc.piece >= m_pieces.size(); }
    QChar charAt(Loc loc) const;
    Loc advanced(Loc loc) const;
    Loc endLoc() const { return {m_pieces.size(), 0}; }
    bool isOperator(QChar c) const { return m_operators.contains(c); }
    Loc lastOfChain(Loc loc) const;
    // The index of the original text at `loc` (where an inserted piece sits).
    qsizetype originalIndex(Loc loc) const;
    // Where the argument opened by the bracket at `open` ends.
    struct Closing
    {
        Loc loc;
        bool isPartner = false; // `loc` is the matching closing bracket, which goes
    };
    Closing closingOf(Loc open) const;
    void matchBrackets();
    Argument readArgument(Loc next);
    void insertAt(Loc loc, const QString &s);
    void replaceCharAt(Loc loc, const QString &s);
    void dropFront(qsizetype count);
    void output(QChar c);
    void output(QStringView s);
    // The original text from `begin` to `end`, with the dollars marked by
    // markDollars dropped or escaped.
    void outputText(qsizetype begin, qsizetype end);
    // Marks the dollars of the original text from `begin` to `end` (a
    // bracketed argument): paired ones go, a last one without a partner is
    // escaped. An argument inside one already marked has nothing left to mark.
    void markDollars(qsizetype begin, qsizetype end);
    void escapeDollar(qsizetype index);
    void replaceAtFront();
    // For each index of the original text, the first index at or after it
    // where `match` holds (the text's length when none does).
    template<typename Match> std::vector<qsizetype> nextIndexWhere(Match match) const;

    const QString &m_text;
    QChar m_key;
    QString m_tex;
    const QHash<QChar, QString> &m_operators;
    QStringView m_numberChars;
    std::deque<Piece> m_pieces;
    std::vector<qsizetype> m_nextKey;
    std::vector<qsizetype> m_nextNonOperator;
    // For each index, the next dollar that is not escaped (empty: the text
    // has none), and what becomes of each dollar (empty until one is marked).
    enum DollarFate : quint8
    {
        DollarKept,
        DollarDropped,
        DollarEscaped
    };
    std::vector<qsizetype> m_nextDollar;
    std::vector<DollarFate> m_dollarFate;
    qsizetype m_loneDollar = -1; // the text's last dollar when it has no partner
    // For each opening bracket of the original text where the argument it
    // opens ends: the index of its matching closing bracket, or of the
    // closing one that leaves it without a partner, or the text's length. A
    // bracket and its partner leave the text together, so the pairs still
    // there stay matched.
    std::vector<qsizetype> m_argumentEnd;
    std::vector<bool> m_hasPartner;
    QString m_out;
    bool m_inMath = false;
    qsizetype m_backslashes = 0;
};
