#include "tex/SpellingWords.h"

#include "tex/TeXtoText.h"

#include <utility>

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isWordLetter(QChar c)
{
    return c.isLetter() || c.isMark();
}

// Accents written with a symbol: \"u, \'e, \^o ...
bool isSymbolAccent(QChar c)
{
    return QStringView(u"\"'`^~=.").contains(c);
}

// Accents written with a letter: \c{c}, \v s ...
bool isLetterAccent(QStringView name)
{
    static const QStringView names[] = {u"u", u"v", u"H", u"c", u"d", u"b", u"t", u"k", u"r"};
    for (QStringView n : names) {
        if (n == name)
            return true;
    }
    return false;
}

// Commands that stand for a letter: \ss, \o, \ae ...
bool isLetterCommand(QStringView name)
{
    static const QStringView names[] = {u"ss", u"o",  u"O", u"ae", u"AE", u"oe", u"OE",
                                        u"aa", u"AA", u"l", u"L",  u"i",  u"j"};
    for (QStringView n : names) {
        if (n == name)
            return true;
    }
    return false;
}

class Scanner
{
public:
    explicit Scanner(QStringView text) : m_text(text) {}

    std::vector<SpellingWords::Word> run()
    {
        while (m_pos < m_text.size()) {
            if (!takeWordPart())
                skipOther();
        }
        endWord();
        return std::move(m_words);
    }

private:
    QChar at(qsizetype i) const { return i >= 0 && i < m_text.size() ? m_text[i] : QChar(); }

    // A letter, an accent, a letter command, or a brace inside a word.
    bool takeWordPart()
    {
        const QChar c = at(m_pos);
        if (isWordLetter(c) ||
            ((c == u'\'' || c == u'\u2019') && m_start >= 0 && isWordLetter(at(m_pos + 1)))) {
            m_word += c;
            take(1);
            return true;
        }
        if (c == u'{' || c == u'}') {
            // Braces group letters ("{\"U}bung", "{Fourier}"); they end
            // nothing and start nothing.
            ++m_pos;
            return true;
        }
        if (c != u'\\')
            return false;
        const QChar next = at(m_pos + 1);
        if (isSymbolAccent(next)) {
            qsizetype end = m_pos + 2;
            if (at(end) == u'{' && isWordLetter(at(end + 1)) && at(end + 2) == u'}')
                end += 3;
            else if (isWordLetter(at(end)))
                end += 1;
            else
                return false;
            takeCommand(end - m_pos);
            return true;
        }
        if (!isAsciiLetter(next))
            return false;
        qsizetype end = m_pos + 1;
        while (isAsciiLetter(at(end)))
            ++end;
        const QStringView name = m_text.mid(m_pos + 1, end - m_pos - 1);
        if (isLetterAccent(name)) {
            qsizetype arg = end;
            while (at(arg) == u' ')
                ++arg;
            if (at(arg) == u'{' && isWordLetter(at(arg + 1)) && at(arg + 2) == u'}') {
                takeCommand(arg + 3 - m_pos);
                return true;
            }
            if (arg > end && isWordLetter(at(arg))) {
                takeCommand(arg + 1 - m_pos);
                return true;
            }
            return false;
        }
        if (isLetterCommand(name)) {
            // The space that ends the command name belongs to it.
            if (at(end) == u' ' && isWordLetter(at(end + 1)) && m_start >= 0)
                ++end;
            takeCommand(end - m_pos);
            return true;
        }
        return false;
    }

    // A TeX accent or letter command: its letters as TeX makes them.
    void takeCommand(qsizetype length)
    {
        const QString command = m_text.mid(m_pos, length).trimmed().toString();
        m_word += TeXtoText::convertString(u'{' + command + u'}');
        take(length);
    }

    void take(qsizetype length)
    {
        if (m_start < 0)
            m_start = m_pos;
        m_pos += length;
        m_end = m_pos;
    }

    void skipOther()
    {
        endWord();
        const QChar c = at(m_pos);
        if (c == u'$') {
            const bool display = at(m_pos + 1) == u'$';
            const QStringView close = display ? u"$$" : u"$";
            skipTo(m_pos + close.size(), close);
            return;
        }
        if (c == u'\\') {
            const QChar next = at(m_pos + 1);
            if (next == u'(' || next == u'[') {
                skipTo(m_pos + 2, next == u'(' ? u"\\)" : u"\\]");
                return;
            }
            qsizetype end = m_pos + 1;
            if (isAsciiLetter(next)) {
                while (isAsciiLetter(at(end)))
                    ++end;
            } else {
                ++end;
            }
            m_pos = end;
            return;
        }
        ++m_pos;
    }

    void skipTo(qsizetype from, QStringView close)
    {
        qsizetype found = m_text.indexOf(close, from);
        while (found > 0 && m_text[found - 1] == u'\\')
            found = m_text.indexOf(close, found + 1);
        m_pos = found < 0 ? m_text.size() : found + close.size();
    }

    bool joinedToOther(qsizetype start, qsizetype end) const
    {
        const QStringView joining = u"/@_:0123456789";
        const QChar before = at(start - 1);
        const QChar after = at(end);
        if (joining.contains(before) || joining.contains(after))
            return true;
        // Host names and file names: a dot between letters.
        return (before == u'.' && isWordLetter(at(start - 2))) ||
               (after == u'.' && isWordLetter(at(end + 1)));
    }

    void endWord()
    {
        if (m_start < 0)
            return;
        const qsizetype start = m_start;
        const qsizetype end = m_end;
        m_start = -1;
        const QString word = std::exchange(m_word, QString());
        qsizetype letters = 0;
        for (qsizetype i = 0; i < word.size(); ++i) {
            if (word[i].isLetter())
                ++letters;
            if (i > 0 && word[i].isUpper())
                return;
        }
        if (letters < 2 || joinedToOther(start, end))
            return;
        m_words.push_back({start, end - start, word});
    }

    QStringView m_text;
    qsizetype m_pos = 0;
    qsizetype m_start = -1;
    qsizetype m_end = 0;
    QString m_word;
    std::vector<SpellingWords::Word> m_words;
};

} // namespace

std::vector<SpellingWords::Word> SpellingWords::find(QStringView text)
{
    return Scanner(text).run();
}
