#include "tex/TeXtoHTML.h"

#include "core/StringInputStream.h"
#include "core/StringOutputStream.h"

#include <atomic>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

std::mutex g_globalMutex;
std::atomic<TeXtoHTML *> g_globalConverter{nullptr};

struct Pair
{
    const char16_t *key;
    const char16_t *value;
};

void insertAll(QHash<QString, QString> &table, std::initializer_list<Pair> pairs)
{
    for (const Pair &pair : pairs)
        table.insert(QString::fromUtf16(pair.key), QString::fromUtf16(pair.value));
}

struct AccentRow
{
    const char16_t *command;
    const char16_t *entitySuffix;
    const char16_t *spacingForm;   // the accent over nothing
    const char16_t *combiningForm; // the accent over a character that is not an ASCII letter
};

constexpr AccentRow kAccentRows[] = {
    {u".", u"dot;", u"&#x2d9;", u"&#x307;"},   {u"`", u"grave;", u"`", u"&#x300;"},
    {u"=", u"macr;", u"&macr;", u"&#x304;"},   {u"~", u"tilde;", u"~", u"&#x303;"},
    {u"\"", u"uml;", u"&uml;", u"&#x308;"},    {u"'", u"acute;", u"&acute;", u"&#x301;"},
    {u"^", u"circ;", u"^", u"&#x302;"},        {u"c", u"cedil;", u"&cedil;", u"&#x327;"},
    {u"u", u"breve;", u"&#x2d8;", u"&#x306;"}, {u"v", u"caron;", u"&#x2c7;", u"&#x30c;"},
    {u"r", u"ring;", u"&#x2da;", u"&#x30a;"},
};

bool isAsciiLetter(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z');
}

} // namespace

TeXtoHTML::TeXtoHTML()
{
    insertAll(m_textStyleCommands, {{u"mc", u"%@"},
                                    {u"gt", u"<b>%@</b>"},
                                    {u"rm", u"%@"},
                                    {u"sf", u"<b>%@</b>"},
                                    {u"tt", u"<tt>%@</tt>"},
                                    {u"sc", u"<b>%@</b>"},
                                    {u"bf", u"<b>%@</b>"},
                                    {u"it", u"<i>%@</i>"},
                                    {u"sl", u"<i>%@</i>"}});
    insertAll(m_bothModeCommands1, {{u"underline", u"<u>%@</u>"},
                                    {u"textrm", u"%@"},
                                    {u"textsf", u"<b>%@</b>"},
                                    {u"texttt", u"<tt>%@</tt>"},
                                    {u"textbf", u"<b>%@</b>"},
                                    {u"textit", u"<i>%@</i>"},
                                    {u"textsl", u"<i>%@</i>"},
                                    {u"textsc", u"<b>%@</b>"},
                                    {u"textup", u"%@"},
                                    {u"textmc", u"%@"},
                                    {u"textgt", u"<b>%@</b>"},
                                    {u"emph", u"<em>%@</em>"}});
    // Ł and ł have no named reference in HTML; they are written by number.
    insertAll(m_bothModeCommands0, {{u"#", u"#"},
                                    {u"$", u"$"},
                                    {u"%", u"%"},
                                    {u"&", u"&"},
                                    {u"_", u"_"},
                                    {u"{", u"{"},
                                    {u"}", u"}"},
                                    {u"\\", u"\\"},
                                    {u" ", u" "},
                                    {u"AA", u"&Aring;"},
                                    {u"aa", u"&aring;"},
                                    {u"AE", u"&AElig;"},
                                    {u"ae", u"&aelig;"},
                                    {u"OE", u"&OElig;"},
                                    {u"oe", u"&oelig;"},
                                    {u"ss", u"&szlig;"},
                                    {u",", u" "},
                                    {u"L", u"&#x141;"},
                                    {u"l", u"&#x142;"},
                                    {u"O", u"&Oslash;"},
                                    {u"o", u"&oslash;"},
                                    {u"i", u"i"},
                                    {u"j", u"j"},
                                    {u"S", u"&sect;"},
                                    {u"P", u"&para;"},
                                    {u"dag", u"&dagger;"},
                                    {u"ddag", u"&Dagger;"},
                                    {u"copyright", u"&copy;"},
                                    {u"pounds", u"&pound;"},
                                    {u"euro", u"&euro;"},
                                    {u"yen", u"&yen;"},
                                    {u"quad", u" "},
                                    {u"qquad", u"  "},
                                    {u"TeX", u"TeX"},
                                    {u"LaTeX", u"LaTeX"}});
    insertAll(m_mathModeCommands0, {{u"prod", u"&prod;"},
                                    {u"coprod", u"&#x2210;"},
                                    {u"sum", u"&sum;"},
                                    {u"int", u"&int;"},
                                    {u"oint", u"&#x222e;"},
                                    {u"forall", u"&forall;"},
                                    {u"exists", u"&exist;"},
                                    {u"emptyset", u"&empty;"},
                                    {u"triangle", u"&#x25b3;"},
                                    {u"square", u"&#x25a1;"},
                                    {u"Box", u"&#x25a1;"},
                                    {u"lozenge", u"&loz;"},
                                    {u"Diamond", u"&loz;"},
                                    {u"pm", u"&plusmn;"},
                                    {u"mp", u"&mnplus;"},
                                    {u"times", u"&times;"},
                                    {u"div", u"&divide;"},
                                    {u"ast", u"&lowast;"},
                                    {u"circ", u"&#x25cb;"},
                                    {u"leq", u"&le;"},
                                    {u"geq", u"&ge;"},
                                    {u"ll", u"&lt;&lt;"},
                                    {u"gg", u"&gt;&gt;"},
                                    {u"neq", u"&ne;"},
                                    {u"equiv", u"&equiv;"},
                                    {u"sim", u"&sim;"},
                                    {u"approx", u"&asymp;"},
                                    {u"propto", u"&prop;"},
                                    {u"infty", u"&infin;"},
                                    {u"partial", u"&part;"},
                                    {u"nabla", u"&nabla;"},
                                    {u"sqrt", u"&radic;"},
                                    {u"surd", u"&radic;"},
                                    {u"prime", u"&#x2032;"},
                                    {u"hbar", u"&#x210f;"},
                                    {u"Im", u"&image;"},
                                    {u"Re", u"&real;"},
                                    {u"wp", u"&weierp;"},
                                    {u"ell", u"&#x2113;"},
                                    {u"cdot", u"&sdot;"},
                                    {u"ldots", u"&hellip;"},
                                    {u"cdots", u"&#x22ef;"},
                                    {u"leftarrow", u"&larr;"},
                                    {u"gets", u"&larr;"},
                                    {u"longleftarrow", u"&larr;"},
                                    {u"rightarrow", u"&rarr;"},
                                    {u"to", u"&rarr;"},
                                    {u"longrightarrow", u"&rarr;"},
                                    {u"Leftarrow", u"&lArr;"},
                                    {u"Longleftarrow", u"&lArr;"},
                                    {u"Rightarrow", u"&rArr;"},
                                    {u"Longrightarrow", u"&rArr;"},
                                    {u"leftrightarrow", u"&harr;"},
                                    {u"longleftrightarrow", u"&harr;"},
                                    {u"Leftrightarrow", u"&hArr;"},
                                    {u"Longleftrightarrow", u"&hArr;"},
                                    {u"varepsilon", u"&epsilon;"},
                                    {u"vartheta", u"&thetasym;"},
                                    {u"varpi", u"&piv;"},
                                    {u"varrho", u"&rho;"},
                                    {u"varsigma", u"&sigma;"},
                                    {u"varphi", u"&phi;"},
                                    {u",", u"&nbsp;"},
                                    {u">", u"&nbsp;"},
                                    {u";", u"&nbsp;"},
                                    // The double bar, the backslash symbol and the negative thin
                                    // space, which HTML cannot express: it is dropped.
                                    {u"|", u"&#x2016;"},
                                    {u"backslash", u"\\"},
                                    {u"!", u""}});
    for (const char16_t *name :
         {u"alpha", u"beta",  u"gamma",   u"delta",  u"epsilon", u"zeta",   u"eta",
          u"theta", u"iota",  u"kappa",   u"lambda", u"mu",      u"nu",     u"xi",
          u"pi",    u"rho",   u"sigma",   u"tau",    u"upsilon", u"phi",    u"chi",
          u"psi",   u"omega", u"Gamma",   u"Delta",  u"Theta",   u"Lambda", u"Xi",
          u"Pi",    u"Sigma", u"Upsilon", u"Phi",    u"Psi",     u"Omega"}) {
        const QString key = QString::fromUtf16(name);
        m_mathModeCommands0.insert(key, u'&' + key + u';');
    }
    for (const AccentRow &row : kAccentRows) {
        AccentData data;
        data.entitySuffix = QString::fromUtf16(row.entitySuffix);
        data.spacingForm = QString::fromUtf16(row.spacingForm);
        data.combiningForm = QString::fromUtf16(row.combiningForm);
        m_accentDic.insert(QString::fromUtf16(row.command), data);
    }
    addCommonCommands(true);
}

TeXtoHTML::~TeXtoHTML() = default;

void TeXtoHTML::createGlobalObject()
{
    const std::lock_guard lock(g_globalMutex);
    if (!g_globalConverter.load(std::memory_order_acquire))
        g_globalConverter.store(new TeXtoHTML, std::memory_order_release);
}

TeXtoHTML *TeXtoHTML::globalConverter()
{
    if (TeXtoHTML *converter = g_globalConverter.load(std::memory_order_acquire))
        return converter;
    createGlobalObject();
    return g_globalConverter.load(std::memory_order_acquire);
}

void TeXtoHTML::releaseGlobal()
{
    const std::lock_guard lock(g_globalMutex);
    delete g_globalConverter.exchange(nullptr, std::memory_order_acq_rel);
}

QString TeXtoHTML::convertString(const QString &string)
{
    return globalConverter()->convert(string);
}

QString TeXtoHTML::unknownCommand(const QString &command) const
{
    return u"{&"_s + command + u";}"_s;
}

QString TeXtoHTML::convertAccent(const QString &command, StringInputStream &stream) const
{
    const auto accent = m_accentDic.constFind(command);
    if (accent == m_accentDic.cend())
        return command;
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter || parameter->isEmpty())
        return accent->spacingForm;
    const QChar first = parameter->at(0);
    if (isAsciiLetter(first)) {
        QString result = u'&' + first + accent->entitySuffix;
        if (parameter->size() > 1)
            result += convertInMode(parameter->mid(1), false);
        return result;
    }
    // No named reference exists: the converted argument carries the
    // combining mark.
    return convertInMode(*parameter, false) + accent->combiningForm;
}

QString TeXtoHTML::convertSubScript(StringInputStream &stream) const
{
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return {};
    return u"<sub>"_s + convertInMode(*parameter, true) + u"</sub>"_s;
}

QString TeXtoHTML::convertSuperScript(StringInputStream &stream) const
{
    const std::optional<QString> parameter = readParameterFromStream(stream);
    if (!parameter)
        return {};
    if (*parameter == u"\\circ")
        return u"&deg;"_s;
    return u"<sup>"_s + convertInMode(*parameter, true) + u"</sup>"_s;
}

QString TeXtoHTML::openDoubleQuotes() const
{
    return u"&ldquo;"_s;
}

QString TeXtoHTML::openSingleQuote() const
{
    return u"&lsquo;"_s;
}

QString TeXtoHTML::closeDoubleQuotes() const
{
    return u"&rdquo;"_s;
}

QString TeXtoHTML::closeSingleQuote() const
{
    return u"&rsquo;"_s;
}

QString TeXtoHTML::primeLetter() const
{
    return u"&prime;"_s;
}

QString TeXtoHTML::minusLetter() const
{
    return u"&ndash;"_s;
}

QString TeXtoHTML::enDash() const
{
    return u"&ndash;"_s;
}

QString TeXtoHTML::emDash() const
{
    return u"&mdash;"_s;
}

QString TeXtoHTML::inverseQuestion() const
{
    return u"&iquest;"_s;
}

QString TeXtoHTML::inverseExclamation() const
{
    return u"&iexcl;"_s;
}

QString TeXtoHTML::lessThanLetter() const
{
    return u"&lt;"_s;
}

QString TeXtoHTML::greaterThanLetter() const
{
    return u"&gt;"_s;
}

void TeXtoHTML::putVariable(QChar letter, StringOutputStream &output) const
{
    output.putString(u"<var>");
    output.putChar(letter);
    output.putString(u"</var>");
}
