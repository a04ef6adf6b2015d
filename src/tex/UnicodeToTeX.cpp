#include "tex/UnicodeToTeX.h"

#include "core/Texts.h"
#include "tex/ParamMathRewriter.h"

#include <QLoggingCategory>

#include <algorithm>
#include <memory>
#include <mutex>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

Q_LOGGING_CATEGORY(lcUnicodeToTeX, "quirefold.tex.unicode", QtWarningMsg)

std::mutex g_globalMutex;
std::unique_ptr<UnicodeToTeX> g_converter;

// The resource `key` when the table holds at least `count` characters; the
// empty string (and a warning) otherwise, so that a missing or short resource
// never maps characters to the wrong TeX.
QString tableResource(QStringView key, qsizetype count)
{
    if (!Texts::contains(key)) {
        qCDebug(lcUnicodeToTeX, "text table lacks %s", qPrintable(key.toString()));
        return {};
    }
    QString value = Texts::text(key);
    if (value.size() < count) {
        qCWarning(lcUnicodeToTeX, "text %s holds %lld characters, %lld needed",
                  qPrintable(key.toString()), static_cast<long long>(value.size()),
                  static_cast<long long>(count));
        return {};
    }
    return value;
}

// A character may be a key of a conversion table unless it is plain ASCII
// text that must pass through (letters, digits, spaces, the TeX markup itself).
bool usableKey(QChar c)
{
    if (c.isSurrogate() || c.isNull())
        return false;
    if (c.unicode() >= 0x80)
        return true;
    return !c.isLetterOrNumber() && !c.isSpace() && c != u'\\' && c != u'{' && c != u'}' &&
           c != u'$';
}

void addEntries(QHash<QChar, QString> &dic, QStringView key, const QString *texStrings,
                qsizetype count)
{
    const QString chars = tableResource(key, count);
    if (chars.isEmpty())
        return;
    for (qsizetype k = 0; k < count; ++k) {
        const QChar c = chars.at(k);
        if (usableKey(c))
            dic.insert(c, texStrings[k]);
        else
            qCWarning(lcUnicodeToTeX, "text %s: character %lld (U+%04X) cannot be converted",
                      qPrintable(key.toString()), static_cast<long long>(k), c.unicode());
    }
}

// A math span "$…$" without its dollars, for use inside an open span.
QString mathBody(const QString &span)
{
    if (span.size() >= 2 && span.startsWith(u'$') && span.endsWith(u'$'))
        return span.mid(1, span.size() - 2);
    return span;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// Deletes every "$$" so that adjacent math spans merge. Where a control word
// would run into a letter ("\alpha" and "x"), a space keeps them apart.
void mergeMathSpans(QString &text)
{
    if (!text.contains(u"$$"))
        return;
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    qsizetype backslashes = 0; // at the end of the output
    qsizetype wordStart = 0;   // where the ASCII letters at the end of the output begin
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        // A dollar after an odd number of backslashes is text, never half of a pair.
        if (c == u'$' && backslashes % 2 == 0 && i + 1 < n && text.at(i + 1) == u'$') {
            const bool letterAfter = i + 2 < n && isAsciiLetter(text.at(i + 2));
            const bool wordBefore =
                wordStart < out.size() && wordStart > 0 && out.at(wordStart - 1) == u'\\';
            if (wordBefore && letterAfter) {
                out.append(u' ');
                wordStart = out.size();
                backslashes = 0;
            }
            ++i;
            continue;
        }
        backslashes = c == u'\\' ? backslashes + 1 : 0;
        out.append(c);
        if (!isAsciiLetter(c))
            wordStart = out.size();
    }
    text = out;
}

} // namespace

const std::array<UnicodeToTeX::Accent, 14> &UnicodeToTeX::accents()
{
    static const std::array<Accent, 14> table = {{
        {u"AccentDot", u"BCDEFGHIMNPRSTWXYZbcdefghmnprstwxyz", u"AccentOnlyDot", u"{\\.%C}"},
        {u"AccentGrave", u"AEIOUaeiou", u"AccentOnlyGrave", u"{\\`%C}"},
        {u"AccentMacron", u"AEGIOUaegiou", u"AccentOnlyMacron", u"{\\=%C}"},
        {u"AccentTilde", u"AEINOUYaeinouy", u"AccentOnlyTilde", u"{\\~%C}"},
        {u"AccentUmlaut", u"AEIOUYaeiouy", u"AccentOnlyUmlaut", u"{\\\"%C}"},
        {u"AccentAcute", u"ACEILNORSUYZaceilnorsuyz", u"AccentOnlyAcute", u"{\\'%C}"},
        {u"AccentCirconflexe", u"ACEGHIJOSUWYaceghijosuwy", u"AccentOnlyCirconflexe", u"{\\^%C}"},
        {u"AccentDoubleAcute", u"OUou", u"AccentOnlyDoubleAcute", u"{\\H{%C}}"},
        {u"AccentCedilla", u"CHSTchst", u"AccentOnlyCedilla", u"{\\c{%C}}"},
        {u"AccentBreve", u"AEGIOUaegiou", u"AccentOnlyBreve", u"{\\u{%C}}"},
        {u"AccentCaron", u"CDENRSTZcenrsz", u"AccentOnlyCaron", u"{\\v{%C}}"},
        {u"AccentCircle", u"AUauwy", u"AccentOnlyCircle", u"{\\r{%C}}"},
        {u"AccentUBar", u"BDKLNRTZbdhklnrtz", u"AccentOnlyUBar", u"{\\b{%C}}"},
        {u"AccentUDot", u"ABDEHIKLMNORSTUVWYZabdehiklmnorstuvwyz", u"AccentOnlyUDot", u"{\\d{%C}}"},
    }};
    return table;
}

UnicodeToTeX::UnicodeToTeX() : m_numberCharSet(u"0123456789."_s)
{
    fillLetters();
    fillSymbols();
    fillMath();
    fillAccentMarks();
}

void UnicodeToTeX::fillLetters()
{
    for (const Accent &accent : accents()) {
        const QString base = QString::fromUtf16(accent.baseLetters);
        const QString format = QString::fromUtf16(accent.format);
        const QString chars = tableResource(QStringView(accent.lettersKey), base.size());
        if (chars.isEmpty())
            continue;
        for (qsizetype k = 0; k < base.size(); ++k) {
            const QChar c = chars.at(k);
            if (!usableKey(c)) {
                qCWarning(lcUnicodeToTeX, "accent letter %lld of %s cannot be converted",
                          static_cast<long long>(k),
                          qPrintable(QString::fromUtf16(accent.lettersKey)));
                continue;
            }
            QString tex = format;
            tex.replace(u"%C"_s, QString(base.at(k)));
            m_letterDic.insert(c, tex);
        }
    }
    static const QString letters[16] = {
        u"{\\AA}"_s, u"{\\aa}"_s, u"{\\AE}"_s, u"{\\ae}"_s, u"{\\OE}"_s, u"{\\oe}"_s,
        u"{\\ss}"_s, u"{\\L}"_s,  u"{\\l}"_s,  u"{\\O}"_s,  u"{\\o}"_s,  u"ff"_s,
        u"fi"_s,     u"fl"_s,     u"ffi"_s,    u"ffl"_s,
    };
    addEntries(m_letterDic, u"UnicodeLetters", letters, 16);
}

void UnicodeToTeX::fillSymbols()
{
    static const QString symbols[16] = {
        u"{\\#}"_s, u"{\\%}"_s, u"{\\&}"_s, u"``"_s,  u"''"_s,  u"`"_s,  u"'"_s,  u"-"_s,
        u"-"_s,     u"--"_s,    u"--"_s,    u"---"_s, u"---"_s, u"--"_s, u"?`"_s, u"!`"_s,
    };
    addEntries(m_symbolDic, u"UnicodeChars", symbols, 16);
}

void UnicodeToTeX::fillMath()
{
    static const char16_t *const names[85] = {
        u"\\prod",
        u"\\coprod",
        u"\\sum",
        u"\\int",
        u"\\oint",
        u"\\forall",
        u"\\exists",
        u"\\emptyset",
        u"\\triangle",
        u"\\square",
        u"\\lozenge",
        u"^\\circ",
        u"\\circ",
        u"\\cdot",
        u"\\ldots",
        u"\\cdots",
        u"\\pm",
        u"\\mp",
        u"\\times",
        u"\\div",
        u"<",
        u">",
        u"\\leq",
        u"\\geq",
        u"\\ll",
        u"\\gg",
        u"\\neq",
        u"\\equiv",
        u"\\sim",
        u"\\sim",
        u"\\approx",
        u"\\propto",
        u"\\infty",
        u"\\partial",
        u"\\nabla",
        u"\\hbar",
        u"\\Im",
        u"\\Re",
        u"\\wp",
        u"\\ell",
        u"\\alpha",
        u"\\beta",
        u"\\gamma",
        u"\\delta",
        u"\\epsilon",
        u"\\zeta",
        u"\\eta",
        u"\\theta",
        u"\\iota",
        u"\\kappa",
        u"\\lambda",
        u"\\mu",
        u"\\nu",
        u"\\xi",
        u"\\pi",
        u"\\rho",
        u"\\sigma",
        u"\\tau",
        u"\\upsilon",
        u"\\phi",
        u"\\chi",
        u"\\psi",
        u"\\omega",
        u"\\vartheta",
        u"\\varpi",
        u"\\varrho",
        u"\\varsigma",
        u"\\varphi",
        u"\\Gamma",
        u"\\Delta",
        u"\\Theta",
        u"\\Lambda",
        u"\\Xi",
        u"\\Pi",
        u"\\Sigma",
        u"\\Upsilon",
        u"\\Phi",
        u"\\Psi",
        u"\\Omega",
        u"\\leftarrow",
        u"\\rightarrow",
        u"\\leftrightarrow",
        u"\\Leftarrow",
        u"\\Rightarrow",
        u"\\Leftrightarrow",
    };
    QString spans[85];
    for (int k = 0; k < 85; ++k)
        spans[k] = u'$' + QString::fromUtf16(names[k]) + u'$';
    addEntries(m_mathDic, u"UnicodeMathChars", spans, 85);

    static const QString sqrtSpan[1] = {u"$\\sqrt"_s};
    addEntries(m_mathDic1, u"UnicodeMathCharsWithParam", sqrtSpan, 1);
}

void UnicodeToTeX::fillAccentMarks()
{
    for (std::size_t k = 0; k < accents().size(); ++k) {
        const QString mark = tableResource(QStringView(accents()[k].markKey), 1);
        if (!mark.isEmpty() && usableKey(mark.at(0)))
            m_accentOnly[k] = mark.at(0);
    }
    const QString dotless = tableResource(u"iForAccent", 1);
    if (!dotless.isEmpty() && usableKey(dotless.at(0)))
        m_iForAccent = dotless.at(0);
}

// ---------------------------------------------------------------------------
// The shared instance

void UnicodeToTeX::createGlobalObject()
{
    const std::lock_guard lock(g_globalMutex);
    if (!g_converter)
        g_converter = std::make_unique<UnicodeToTeX>();
}

const UnicodeToTeX *UnicodeToTeX::globalConverter()
{
    const std::lock_guard lock(g_globalMutex);
    if (!g_converter)
        g_converter = std::make_unique<UnicodeToTeX>();
    return g_converter.get();
}

void UnicodeToTeX::releaseGlobal()
{
    const std::lock_guard lock(g_globalMutex);
    g_converter.reset();
}

void UnicodeToTeX::convertStringLetter(QString &text)
{
    globalConverter()->convertLetter(text);
}

void UnicodeToTeX::convertStringSymbols(QString &text)
{
    globalConverter()->convertSymbols(text);
}

void UnicodeToTeX::convertStringMath(QString &text)
{
    globalConverter()->convertMath(text);
}

// ---------------------------------------------------------------------------
// Conversions

void UnicodeToTeX::convertLetter(QString &text) const
{
    convert(text, m_letterDic);
    convertCombinedAccent(text);
}

void UnicodeToTeX::convertSymbols(QString &text) const
{
    convert(text, m_symbolDic);
}

void UnicodeToTeX::convertMath(QString &text) const
{
    convertWithParam(text, m_mathDic1);
    convert(text, m_mathDic);
}

void UnicodeToTeX::convert(QString &text, const QHash<QChar, QString> &dictionary)
{
    QString out;
    out.reserve(text.size() + text.size() / 4);
    bool inMath = false;
    qsizetype backslashes = 0;
    for (const QChar c : std::as_const(text)) {
        const auto it = dictionary.constFind(c);
        const bool escaped = c.unicode() < 0x80 && backslashes % 2 == 1;
        if (it != dictionary.constEnd() && !escaped) {
            const QString &tex = it.value();
            if (backslashes % 2 == 1 && tex.startsWith(u'$')) {
                // "\α": the backslash would escape the span's dollar or run
                // into the command; it goes into the span as a backslash sign.
                out.chop(1);
                const QString body = mathBody(tex);
                out.append(inMath ? u"\\backslash"_s : u"$\\backslash"_s);
                if (!body.isEmpty() && isAsciiLetter(body.front()))
                    out.append(u' ');
                out.append(inMath ? body : body + u'$');
            } else {
                out.append(inMath ? mathBody(tex) : tex);
            }
            backslashes = 0;
            continue;
        }
        if (c == u'$' && backslashes % 2 == 0)
            inMath = !inMath;
        backslashes = c == u'\\' ? backslashes + 1 : 0;
        out.append(c);
    }
    mergeMathSpans(out);
    text = out;
}

void UnicodeToTeX::convertWithParam(QString &text, const QHash<QChar, QString> &dictionary) const
{
    for (auto it = dictionary.constBegin(); it != dictionary.constEnd(); ++it)
        text = ParamMathRewriter(text, it.key(), it.value(), dictionary, m_numberCharSet).run();
    mergeMathSpans(text);
}

bool UnicodeToTeX::convert(QString &text, QChar accent, const QString &format) const
{
    if (accent.isNull() || !text.contains(accent))
        return false;
    // One pass: what lies before a mark is already final, so the base letter
    // is read from the output.
    QString out;
    out.reserve(text.size() + text.size() / 2);
    bool changed = false;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const qsizetype at = out.size();
        if (c != accent || at == 0) { // a mark at the start has nothing to carry it
            out.append(c);
            continue;
        }
        qsizetype baseEnd = at;
        if (out.at(at - 1) == u' ' && at >= 2)
            baseEnd = at - 1; // a space between letter and mark goes too
        qsizetype start = -1;
        QString base;
        const QChar before = out.at(baseEnd - 1);
        if (before == u' ' && baseEnd == 1) {
            base = u" "_s;
            start = 0;
        } else if (before.isLetterOrNumber() && !before.isSurrogate()) {
            base = before == m_iForAccent ? u"i"_s : QString(before);
            start = baseEnd - 1;
        } else if (before == u'}') {
            // A short group, such as a letter that already carries an accent.
            const qsizetype limit = std::max<qsizetype>(0, baseEnd - 256);
            qsizetype depth = 0;
            for (qsizetype j = baseEnd - 1; j >= limit; --j) {
                if (out.at(j) == u'}') {
                    ++depth;
                } else if (out.at(j) == u'{' && --depth == 0) {
                    start = j;
                    break;
                }
            }
            if (start >= 0)
                base = out.mid(start, baseEnd - start);
        }
        if (start < 0) { // a mark on a mark, a brace or a TeX special stays
            out.append(c);
            continue;
        }
        if (i + 1 < n && text.at(i + 1) == u' ')
            ++i;
        QString replacement = format;
        replacement.replace(u"%C"_s, base);
        out.truncate(start);
        out.append(replacement);
        changed = true;
    }
    if (changed)
        text = out;
    return changed;
}

void UnicodeToTeX::convertCombinedAccent(QString &text) const
{
    // A letter with several marks takes them one per pass, innermost first.
    bool changed = true;
    while (changed) {
        changed = false;
        for (std::size_t k = 0; k < accents().size(); ++k)
            changed |= convert(text, m_accentOnly[k], QString::fromUtf16(accents()[k].format));
    }
}
