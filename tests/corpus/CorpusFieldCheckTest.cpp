// Every file of the corpus is saved and each field of the saved file is
// compared with the original file's text, both read by a small reader that
// follows BibTeX's own rules rather than ours: anything outside an entry is
// ignored up to the next "@", "@comment" reads no body, a repeated entry or
// field is ignored (the first one counts), white space runs are one space.
// Only the differences our writer makes on purpose are allowed. A value is
// compared as its tokens, so these do not count: field order; braces, quotes
// or bare digits as delimiters; white space around "#" and "=", between tokens
// and at a value's ends (BibTeX strips it); letter case of types, field and
// macro names; no-break spaces written as spaces; a backslash written as the
// yen mark in the Japanese encodings that want it. Repeated keys are saved as
// k.1, k.2 and repeated fields as "title.1" (the first counts, as in BibTeX);
// a macro defined twice keeps its first definition; entries without a key or
// that BibTeX cannot read are not compared.
#include "CorpusSupport.h"
#include "core/AlertPresenter.h"
#include "storage/BibFileWriter.h"
#include "storage/DatabaseSaver.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

bool isWhite(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// Characters that end an identifier in BibTeX.
bool endsIdentifier(QChar c)
{
    return isWhite(c) || QStringView(u"\"#%'(),={}").contains(c);
}

struct BibtexEntry
{
    QString type;
    QString key;
    QHash<QString, QString> fields; // lower-case name -> tokens
};

// What BibTeX reads from a text: the entries (first of each key, without
// regard to case) and the macros.
class BibtexRulesReader
{
public:
    BibtexRulesReader(const QString &text, bool yenIsBackslash)
        : m_text(text), m_yen(yenIsBackslash)
    {
        read();
    }

    QList<BibtexEntry> entries;
    QHash<QString, QString> macros;
    QSet<QString> twice; // macros defined more than once

private:
    QChar at() const { return m_pos < m_text.size() ? m_text.at(m_pos) : QChar(); }
    bool atEnd() const { return m_pos >= m_text.size(); }
    void skipWhite()
    {
        while (!atEnd() && isWhite(at()))
            ++m_pos;
    }
    QString identifier()
    {
        const qsizetype start = m_pos;
        while (!atEnd() && !endsIdentifier(at()))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }
    QString collapsed(QStringView text) const
    {
        QString out;
        bool white = false;
        for (QChar c : text) {
            if (m_yen && c == QChar(0x00A5))
                c = u'\\';
            if (isWhite(c) || c == QChar(0x00A0)) {
                white = true;
                continue;
            }
            if (white && !out.isEmpty())
                out += u' ';
            white = false;
            out += c;
        }
        return white && !out.isEmpty() ? out + u' ' : out;
    }
    // One value: tokens joined by '#', each as "{text}" or a lower-case
    // macro name; absent on a syntax error.
    std::optional<QString> value()
    {
        QStringList tokens;
        for (;;) {
            skipWhite();
            if (atEnd())
                return std::nullopt;
            const QChar c = at();
            if (c == u'{' || c == u'"') {
                const bool braced = c == u'{';
                const qsizetype start = ++m_pos;
                for (int depth = 0;; ++m_pos) {
                    if (atEnd())
                        return std::nullopt;
                    const QChar d = at();
                    if (depth == 0 && (d == u'}' || (d == u'"' && !braced))) {
                        if (d == u'}' && !braced)
                            return std::nullopt;
                        break;
                    }
                    depth += d == u'{' ? 1 : d == u'}' ? -1 : 0;
                }
                tokens << u'{' + collapsed(QStringView(m_text).mid(start, m_pos - start)) + u'}';
                ++m_pos;
            } else if (c.isDigit()) {
                const qsizetype start = m_pos;
                while (!atEnd() && at().isDigit())
                    ++m_pos;
                tokens << u'{' + m_text.mid(start, m_pos - start) + u'}';
            } else {
                const QString name = identifier();
                if (name.isEmpty())
                    return std::nullopt;
                tokens << name.toLower();
            }
            skipWhite();
            if (at() != u'#')
                break;
            ++m_pos;
        }
        // BibTeX strips white space from the ends of the whole value.
        if (tokens.front().startsWith(u"{ "))
            tokens.front().remove(1, 1);
        if (tokens.back().endsWith(u" }"))
            tokens.back().remove(tokens.back().size() - 2, 1);
        return tokens.join(u" # "_s);
    }

    // The fields of an entry up to its closing `close`; false on a syntax error.
    bool readFields(BibtexEntry &entry, QChar close)
    {
        for (;;) {
            skipWhite();
            if (at() == close)
                return true;
            if (at() != u',')
                return false;
            ++m_pos;
            skipWhite();
            if (at() == close)
                return true;
            const QString name = identifier().toLower();
            skipWhite();
            if (name.isEmpty() || at() != u'=')
                return false;
            ++m_pos;
            const auto v = value();
            if (!v)
                return false;
            if (!entry.fields.contains(name)) // a repeated field is ignored
                entry.fields.insert(name, *v);
        }
    }

    void read()
    {
        QSet<QString> seen;
        for (;;) {
            m_pos = m_text.indexOf(u'@', m_pos);
            if (m_pos < 0)
                return;
            ++m_pos;
            skipWhite();
            const QString type = identifier().toLower();
            skipWhite();
            if (type.isEmpty() || (at() != u'{' && at() != u'('))
                continue;
            const QChar close = at() == u'{' ? u'}' : u')';
            if (type == u"comment")
                continue; // BibTeX reads no body: the text after it is outside any entry
            ++m_pos;
            skipWhite();
            if (type == u"preamble") {
                value(); // read past, so that no "@" in it starts a block
                continue;
            }
            if (type == u"string") {
                const QString name = identifier().toLower();
                skipWhite();
                if (name.isEmpty() || at() != u'=')
                    continue;
                ++m_pos;
                const auto v = value();
                skipWhite();
                if (v && at() == close) {
                    if (macros.contains(name))
                        twice.insert(name);
                    macros.insert(name, *v);
                }
                continue;
            }
            // The key runs to a comma, white space or (in braces) the closing brace.
            const qsizetype keyStart = m_pos;
            while (!atEnd() && at() != u',' && !isWhite(at()) && !(close == u'}' && at() == u'}'))
                ++m_pos;
            BibtexEntry entry{type, m_text.mid(keyStart, m_pos - keyStart), {}};
            if (!readFields(entry, close))
                continue; // reading goes on at the next "@"
            ++m_pos;
            if (seen.contains(entry.key.toLower()))
                continue; // a repeated entry is ignored
            seen.insert(entry.key.toLower());
            entries << entry;
        }
    }

    const QString &m_text;
    bool m_yen;
    qsizetype m_pos = 0;
};

// An entry as compared: its type and its fields sorted, one per line; fields
// named as a renamed repeat ("title.1") that `original` lacks left out.
QString entryText(const BibtexEntry &entry, const BibtexEntry &original)
{
    static const QRegularExpression renamed(u"\\.\\d+$"_s);
    QStringList lines;
    for (auto it = entry.fields.begin(); it != entry.fields.end(); ++it) {
        if (original.fields.contains(it.key()) || !it.key().contains(renamed))
            lines << it.key() + u" = "_s + it.value();
    }
    lines.sort();
    return entry.type + u'\n' + lines.join(u'\n');
}

// The first difference between the entries and macros BibTeX reads from the
// original and from the saved copy, or nothing.
QString differenceOf(const BibtexRulesReader &original, const BibtexRulesReader &saved)
{
    QHash<QString, const BibtexEntry *> byKey;
    for (const BibtexEntry &entry : saved.entries)
        byKey.insert(entry.key.toLower(), &entry);
    for (const BibtexEntry &entry : original.entries) {
        const BibtexEntry *copy = byKey.value(entry.key.toLower());
        const QString before = entryText(entry, entry);
        const QString after = copy ? entryText(*copy, entry) : u"(missing)"_s;
        if (!entry.key.isEmpty() && before != after)
            return u"entry "_s + entry.key + u' ' + QfTest::firstDifference(before, after);
    }
    for (auto it = original.macros.begin(); it != original.macros.end(); ++it) {
        if (!original.twice.contains(it.key()) && saved.macros.value(it.key()) != it.value())
            return u"macro "_s + it.key() + u' ' +
                   QfTest::firstDifference(it.value(), saved.macros.value(it.key()));
    }
    return {};
}

} // namespace

TEST(CorpusFieldCheck, readerWithBibtexRulesFindsEveryFieldInTheSavedFile)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    ScriptedAlertPresenter alerts({}, 0);
    QTemporaryDir out;
    QfTest::CorpusWalk walk;
    int files = 0, entries = 0, skipped = 0;
    for (const QString &path : walk.files()) {
        auto database = QfTest::openDatabase(path);
        if (!database)
            continue;
        // The original text as the file's encoding gives it; a file whose
        // bytes had to be repaired has no such text to compare with.
        const quint32 encoding = database->encoding();
        const std::optional<QString> text = QfTest::decodedFile(path, encoding);
        if (!text || database->encodingChangedOnRead()) {
            ++skipped;
            continue;
        }
        const QString copy = out.filePath(QString::number(++files) + u".bib"_s);
        if (!database->saveAsDatabase(copy, {})) {
            walk.fail(path, u"not saved: "_s + DatabaseSaver::lastFailureDetail());
            continue;
        }
        const std::optional<QString> savedText = QfTest::decodedFile(copy, encoding);
        const bool yen = BibFileWriter::isYenEncoding(encoding);
        const BibtexRulesReader original(*text, yen);
        entries += static_cast<int>(original.entries.size());
        const QString difference = savedText
                                       ? differenceOf(original, BibtexRulesReader(*savedText, yen))
                                       : u"the copy does not decode"_s;
        if (!difference.isEmpty())
            walk.fail(path, difference);
    }
    std::printf("field check: %d files, %d entries compared, %d skipped, %lld differ\n", files,
                entries, skipped, static_cast<long long>(walk.failures.size()));
    if (walk.whole()) {
        EXPECT_GT(files, 1000);
    }
}
