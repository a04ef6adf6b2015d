#include "tex/TeXtoText.h"

#include "core/StringInputStream.h"
#include "core/Texts.h"

#include <atomic>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

std::mutex g_globalMutex;
std::atomic<TeXtoText *> g_globalConverter{nullptr};

// A character table of the keyed text table; empty when the table lacks it.
// A position the string does not reach leaves its construct in TeX form.
QString resource(QStringView key)
{
    return Texts::contains(key) ? Texts::text(key) : QString();
}

QString characterOf(const QString &table, qsizetype index, const QString &fallback)
{
    return index < table.size() ? QString(table.at(index)) : fallback;
}

struct AccentRow
{
    const char16_t *command;
    const char16_t *resourceKey;
    const char16_t *letters;
};

// The accent commands, their tables and the letters each table covers, in
// the order of the table's characters.
constexpr AccentRow kAccentRows[] = {
    {u".", u"AccentDot", u"BCDEFGHIMNPRSTWXYZbcdefghmnprstwxyz"},
    {u"`", u"AccentGrave", u"AEIOUaeiou"},
    {u"=", u"AccentMacron", u"AEGIOUaegiou"},
    {u"~", u"AccentTilde", u"AEINOUYaeinouy"},
    {u"\"", u"AccentUmlaut", u"AEIOUYaeiouy"},
    {u"'", u"AccentAcute", u"ACEILNORSUYZaceilnorsuyz"},
    {u"^", u"AccentCirconflexe", u"ACEGHIJOSUWYaceghijosuwy"},
    {u"H", u"AccentDoubleAcute", u"OUou"},
    {u"c", u"AccentCedilla", u"CHSTchst"},
    {u"u", u"AccentBreve", u"AEGIOUaegiou"},
    {u"v", u"AccentCaron", u"CDENRSTZcenrsz"},
    {u"r", u"AccentCircle", u"AUauwy"},
    {u"b", u"AccentUBar", u"BDKLNRTZbdhklnrtz"},
    {u"d", u"AccentUDot", u"ABDEHIKLMNORSTUVWYZabdehiklmnorstuvwyz"},
};

constexpr const char16_t *kBothModeCommands0[] = {
    u"#",         u"$",      u"%",    u"&",   u"_",    u"{",     u"}",   u"\\",    u" ",
    u"AA",        u"aa",     u"AE",   u"ae",  u"OE",   u"oe",    u"ss",  u",",     u"L",
    u"l",         u"O",      u"o",    u"i",   u"j",    u"S",     u"P",   u"dag",   u"ddag",
    u"copyright", u"pounds", u"euro", u"yen", u"quad", u"qquad", u"TeX", u"LaTeX",
};

constexpr const char16_t *kMathModeCommands0[] = {
    u"prod",
    u"coprod",
    u"sum",
    u"int",
    u"oint",
    u"forall",
    u"exists",
    u"emptyset",
    u"triangle",
    u"square",
    u"Box",
    u"lozenge",
    u"Diamond",
    u"pm",
    u"mp",
    u"times",
    u"div",
    u"ast",
    u"circ",
    u"leq",
    u"geq",
    u"ll",
    u"gg",
    u"neq",
    u"equiv",
    u"sim",
    u"approx",
    u"propto",
    u"infty",
    u"partial",
    u"nabla",
    u"sqrt",
    u"surd",
    u"prime",
    u"hbar",
    u"Im",
    u"Re",
    u"wp",
    u"ell",
    u"cdot",
    u"ldots",
    u"cdots",
    u"leftarrow",
    u"gets",
    u"longleftarrow",
    u"rightarrow",
    u"to",
    u"longrightarrow",
    u"Leftarrow",
    u"Longleftarrow",
    u"Rightarrow",
    u"Longrightarrow",
    u"leftrightarrow",
    u"longleftrightarrow",
    u"Leftrightarrow",
    u"Longleftrightarrow",
    u"alpha",
    u"beta",
    u"gamma",
    u"delta",
    u"epsilon",
    u"zeta",
    u"eta",
    u"theta",
    u"iota",
    u"kappa",
    u"lambda",
    u"mu",
    u"nu",
    u"xi",
    u"pi",
    u"rho",
    u"sigma",
    u"tau",
    u"upsilon",
    u"phi",
    u"chi",
    u"psi",
    u"omega",
    u"varepsilon",
    u"vartheta",
    u"varpi",
    u"varrho",
    u"varsigma",
    u"varphi",
    u"Gamma",
    u"Delta",
    u"Theta",
    u"Lambda",
    u"Xi",
    u"Pi",
    u"Sigma",
    u"Upsilon",
    u"Phi",
    u"Psi",
    u"Omega",
    u"|",
    u"backslash",
    u",",
    u">",
    u";",
    u"!",
};

static_assert(std::size(kBothModeCommands0) == 35);
static_assert(std::size(kMathModeCommands0) == 102);

void fillShiftTable(QHash<QChar, QChar> &table, const QString &from, const QString &to)
{
    const qsizetype count = std::min(from.size(), to.size());
    for (qsizetype k = 0; k < count; ++k)
        table.insert(from.at(k), to.at(k));
}

} // namespace

TeXtoText::TeXtoText()
    : m_superScriptSet(u"+-=()0123456789aion"), m_subScriptSet(u"+-=()0123456789")
{
    m_superExpNum = resource(u"superExpNum");
    m_subExpNum = resource(u"subExpNum");
    fillShiftTable(m_superDic, resource(u"superCmd"), resource(u"superExp"));
    fillShiftTable(m_subDic, resource(u"subCmd"), resource(u"subExp"));

    for (const AccentRow &row : kAccentRows) {
        const QString accented = resource(row.resourceKey);
        const QStringView letters(row.letters);
        AccentData data;
        for (qsizetype k = 0; k < letters.size() && k < accented.size(); ++k)
            data.letters.insert(letters.at(k), accented.at(k));
        m_accentDic.insert(QString::fromUtf16(row.command), data);
    }

    for (const char16_t *name :
         {u"underline", u"textrm", u"textsf", u"texttt", u"textbf", u"textit", u"textsl", u"textsc",
          u"textup", u"textmc", u"textgt", u"emph"})
        m_bothModeCommands1.insert(QString::fromUtf16(name), u"%@"_s);

    const QString bothModeExp0 = resource(u"bothModeExp0");
    for (qsizetype k = 0; k < 33 && k < bothModeExp0.size(); ++k)
        m_bothModeCommands0.insert(QString::fromUtf16(kBothModeCommands0[k]),
                                   QString(bothModeExp0.at(k)));
    m_bothModeCommands0.insert(u"TeX"_s, u"TeX"_s);
    m_bothModeCommands0.insert(u"LaTeX"_s, u"LaTeX"_s);

    const QString mathModeExp0 = resource(u"mathModeExp0");
    for (qsizetype k = 0; k < qsizetype(std::size(kMathModeCommands0)) && k < mathModeExp0.size();
         ++k)
        m_mathModeCommands0.insert(QString::fromUtf16(kMathModeCommands0[k]),
                                   QString(mathModeExp0.at(k)));

    for (const char16_t *name : {u"mc", u"gt", u"rm", u"sf", u"tt", u"sc", u"bf", u"it", u"sl"})
        m_textStyleCommands.insert(QString::fromUtf16(name), u"%@"_s);

    const QString quotes = resource(u"Quotes");
    m_openDoubleQuotes = characterOf(quotes, 0, ConvertFromTeX::openDoubleQuotes());
    m_closeDoubleQuotes = characterOf(quotes, 1, ConvertFromTeX::closeDoubleQuotes());
    m_openSingleQuote = characterOf(quotes, 2, ConvertFromTeX::openSingleQuote());
    m_closeSingleQuote = characterOf(quotes, 3, ConvertFromTeX::closeSingleQuote());
    m_primeLetter = characterOf(quotes, 4, ConvertFromTeX::primeLetter());

    const QString hyphens = resource(u"LongHyphen");
    m_minusLetter = characterOf(hyphens, 0, ConvertFromTeX::minusLetter());
    m_enDash = characterOf(hyphens, 0, ConvertFromTeX::enDash());
    m_emDash = characterOf(hyphens, 1, ConvertFromTeX::emDash());

    const QString inverse = resource(u"InverseMark");
    m_inverseExclamation = characterOf(inverse, 0, ConvertFromTeX::inverseExclamation());
    m_inverseQuestion = characterOf(inverse, 1, ConvertFromTeX::inverseQuestion());

    addCommonCommands(false);
}

TeXtoText::~TeXtoText() = default;

void TeXtoText::createGlobalObject()
{
    const std::lock_guard lock(g_globalMutex);
    if (!g_globalConverter.load(std::memory_order_acquire))
        g_globalConverter.store(new TeXtoText, std::memory_order_release);
}

TeXtoText *TeXtoText::globalConverter()
{
    if (TeXtoText *converter = g_globalConverter.load(std::memory_order_acquire))
        return converter;
    createGlobalObject();
    return g_globalConverter.load(std::memory_order_acquire);
}

void TeXtoText::releaseGlobal()
{
    const std::lock_guard lock(g_globalMutex);
    delete g_globalConverter.exchange(nullptr, std::memory_order_acq_rel);
}

QString TeXtoText::convertString(const QString &string)
{
    return globalConverter()->convert(string);
}

QString TeXtoText::unknownCommand(const QString &command) const
{
    return u"{\\"_s + command + u'}';
}

QString TeXtoText::convertAccent(const QString &command, StringInputStream &stream) const
{
    const auto accent = m_accentDic.constFind(command);
    if (accent == m_accentDic.cend())
        return command;
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return u"{\\"_s + command + u"{?}}"_s;
    if (parameter->size() == 1) {
        const auto letter = accent->letters.constFind(parameter->at(0));
        if (letter != accent->letters.cend())
            return QString(*letter);
    }
    return u"{\\"_s + command + u'{' + *parameter + u"}}"_s;
}

std::optional<QString> TeXtoText::shiftedForm(const QString &parameter, const AsciiSet &set,
                                              const QString &digits,
                                              const QHash<QChar, QChar> &others) const
{
    QString result;
    result.reserve(parameter.size());
    for (const QChar c : parameter) {
        if (!set.contains(c))
            return std::nullopt;
        if (c.isDigit()) {
            const int digit = c.digitValue();
            if (digit >= digits.size())
                return std::nullopt;
            result.append(digits.at(digit));
        } else {
            const auto other = others.constFind(c);
            if (other == others.cend())
                return std::nullopt;
            result.append(*other);
        }
    }
    return result;
}

QString TeXtoText::convertSubScript(StringInputStream &stream) const
{
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return {};
    if (const auto lowered = shiftedForm(*parameter, m_subScriptSet, m_subExpNum, m_subDic))
        return *lowered;
    if (parameter->size() == 1)
        return u'_' + *parameter;
    return u"_{"_s + convertInMode(*parameter, true) + u'}';
}

QString TeXtoText::convertSuperScript(StringInputStream &stream) const
{
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return {};
    if (*parameter == u"\\circ" && m_superExpNum.size() > 10)
        return QString(m_superExpNum.at(10));
    if (const auto raised = shiftedForm(*parameter, m_superScriptSet, m_superExpNum, m_superDic))
        return *raised;
    if (parameter->size() == 1)
        return u'^' + *parameter;
    return u"^{"_s + convertInMode(*parameter, true) + u'}';
}
