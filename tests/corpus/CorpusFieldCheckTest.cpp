// Every file of the corpus is saved and each field of the saved file is
// compared with the original file's text, both read by a small reader that
// follows BibTeX's own rules rather than ours: anything outside an entry is
// ignored up to the next "@", "@comment" reads no body, a repeated entry or
// field is ignored (the first one counts), white space runs are one space.
// Only the differences our writer makes on purpose are allowed; they are
// listed in kAllowed below.
#include "CorpusSupport.h"
#include "core/AlertPresenter.h"
#include "core/TextEncodings.h"
#include "storage/BibFileWriter.h"
#include "storage/DatabaseSaver.h"
#include "storage/LocalDatabase.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// The differences between a file and its saved copy that are made on purpose.
// A field value is compared as its tokens, so that these do not count:
const char *const kAllowed[] = {
    "field order: fields are written sorted by name",
    "delimiters: braces, quotes and bare numbers all hold text ({2004}, \"2004\", 2004)",
    "white space around '#' and around '=' and between tokens",
    "letter case of entry types, field names and macro names (BibTeX ignores it)",
    "renamed duplicate keys: a repeated key k is saved as k.1, k.2, ... (BibTeX ignored the "
    "repeats; it now sees them as entries of their own)",
    "entries BibTeX cannot read in the original are not compared (our reader may recover them)",
    "an entry without a key is saved under a new key (\"untitled1\"), so it is not compared",
    "a field given twice: the later values are kept renamed (\"title.1\"), the first counts",
    "a macro defined twice: the first definition is kept and the reading reports the second",
    "no-break spaces are written as plain spaces",
    "in the Japanese encodings that want it, a backslash is written as the yen mark",
    "white space at the ends of a value (BibTeX strips it)",
};

bool isWhite(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v';
}

// A value's text as compared: the allowed differences taken out.
bool isWhiteInValue(QChar c)
{
    return isWhite(c) || c == QChar(0x00A0);
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
    QStringList preambles;
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
            if (isWhiteInValue(c)) {
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
                int depth = 0;
                for (;;) {
                    if (atEnd())
                        return std::nullopt;
                    const QChar d = at();
                    if (d == u'{') {
                        ++depth;
                    } else if (d == u'}') {
                        if (depth == 0) {
                            if (!braced)
                                return std::nullopt;
                            break;
                        }
                        --depth;
                    } else if (d == u'"' && !braced && depth == 0) {
                        break;
                    }
                    ++m_pos;
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
                if (const auto v = value(); v && (skipWhite(), at() == close))
                    preambles << *v;
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
            bool ok = true;
            for (;;) {
                skipWhite();
                if (at() == close)
                    break;
                if (at() != u',') {
                    ok = false;
                    break;
                }
                ++m_pos;
                skipWhite();
                if (at() == close)
                    break;
                const QString name = identifier().toLower();
                skipWhite();
                if (name.isEmpty() || at() != u'=') {
                    ok = false;
                    break;
                }
                ++m_pos;
                const auto v = value();
                if (!v) {
                    ok = false;
                    break;
                }
                if (!entry.fields.contains(name)) // a repeated field is ignored
                    entry.fields.insert(name, *v);
            }
            if (!ok)
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

using QfTest::openDatabase;

std::optional<QString> decoded(const QString &path, unsigned encoding)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    return TextEncodings::decode(bytes, encoding);
}

// The first difference between the entries BibTeX reads from the original
// and from the saved copy, or nothing.
QString differenceOf(const BibtexRulesReader &original, const BibtexRulesReader &saved)
{
    QHash<QString, const BibtexEntry *> byKey;
    for (const BibtexEntry &entry : saved.entries)
        byKey.insert(entry.key.toLower(), &entry);
    for (const BibtexEntry &entry : original.entries) {
        if (entry.key.isEmpty())
            continue;
        const BibtexEntry *copy = byKey.value(entry.key.toLower());
        if (!copy)
            return u"entry "_s + entry.key + u" is missing"_s;
        if (copy->type != entry.type)
            return u"entry "_s + entry.key + u": type "_s + copy->type;
        for (auto it = entry.fields.begin(); it != entry.fields.end(); ++it) {
            if (copy->fields.value(it.key()) != it.value())
                return u"entry "_s + entry.key + u", field "_s + it.key() + u": "_s +
                       it.value().left(200) + u" <> "_s + copy->fields.value(it.key()).left(200);
        }
        for (auto it = copy->fields.begin(); it != copy->fields.end(); ++it) {
            static const QRegularExpression renamed(u"\\.\\d+$"_s);
            if (!entry.fields.contains(it.key()) && !it.key().contains(renamed))
                return u"entry "_s + entry.key + u": new field "_s + it.key();
        }
    }
    for (auto it = original.macros.begin(); it != original.macros.end(); ++it) {
        if (original.twice.contains(it.key()))
            continue;
        if (saved.macros.value(it.key()) != it.value())
            return u"macro "_s + it.key() + u": "_s + it.value().left(200) + u" <> "_s +
                   saved.macros.value(it.key()).left(200);
    }
    return {};
}

} // namespace

TEST(CorpusFieldCheck, readerWithBibtexRulesFindsEveryFieldInTheSavedFile)
{
    if (!QfTest::hasCorpus())
        GTEST_SKIP() << "no corpus";
    for (const char *allowed : kAllowed)
        RecordProperty("allowed", allowed);
    ScriptedAlertPresenter alerts({}, 0);
    QTemporaryDir out;
    const QString only = qEnvironmentVariable("QF_ROUNDTRIP_ONLY");
    int files = 0, entries = 0, skipped = 0;
    QStringList failures;
    for (const QString &path : QfTest::corpusFiles(only)) {
        auto database = openDatabase(path);
        if (!database)
            continue;
        // The original text as the file's encoding gives it; a file whose
        // bytes had to be repaired has no such text to compare with.
        const std::optional<QString> text = decoded(path, database->encoding());
        if (!text || database->encodingChangedOnRead()) {
            ++skipped;
            continue;
        }
        const QString copy = out.filePath(QString::number(++files) + u".bib"_s);
        if (!database->saveAsDatabase(copy, {})) {
            failures << path + u": not saved: "_s + DatabaseSaver::lastFailureDetail();
            continue;
        }
        const std::optional<QString> savedText = decoded(copy, database->encoding());
        if (!savedText) {
            failures << path + u": the copy does not decode"_s;
            continue;
        }
        const bool yen = BibFileWriter::isYenEncoding(database->encoding());
        const BibtexRulesReader original(*text, yen);
        const BibtexRulesReader saved(*savedText, yen);
        entries += static_cast<int>(original.entries.size());
        const QString difference = differenceOf(original, saved);
        if (!difference.isEmpty())
            failures << path + u": "_s + difference;
    }
    std::printf("field check: %d files, %d entries compared, %d skipped, %lld differ\n", files,
                entries, skipped, static_cast<long long>(failures.size()));
    for (const QString &failure : failures)
        ADD_FAILURE() << qPrintable(failure);
    if (only.isEmpty()) {
        EXPECT_GT(files, 1000);
    }
}
