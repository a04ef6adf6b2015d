#pragma once

// Commands that real bibliographies use often but the classic conversion
// tables lack (they come from later LaTeX packages: textcomp, url,
// amsmath). Both converters add them where their own tables have no entry,
// so a value like "{\textquoteright}" shows as a quote, not as TeX source.
namespace CommonTeXCommands {

struct Symbol
{
    const char16_t *command;
    const char16_t *text;
    const char16_t *html;
};

// Commands without an argument, valid in text and in math.
inline constexpr Symbol kSymbols[] = {
    {u"textquoteright", u"\u2019", u"&rsquo;"},
    {u"textquoteleft", u"\u2018", u"&lsquo;"},
    {u"textquotedblright", u"\u201D", u"&rdquo;"},
    {u"textquotedblleft", u"\u201C", u"&ldquo;"},
    {u"textendash", u"\u2013", u"&ndash;"},
    {u"textemdash", u"\u2014", u"&mdash;"},
    {u"textbullet", u"\u2022", u"&bull;"},
    {u"textregistered", u"\u00AE", u"&reg;"},
    {u"texttrademark", u"\u2122", u"&trade;"},
    {u"textdegree", u"\u00B0", u"&deg;"},
    {u"textellipsis", u"\u2026", u"&hellip;"},
    {u"dots", u"\u2026", u"&hellip;"},
    {u"textless", u"<", u"&lt;"},
    {u"textgreater", u">", u"&gt;"},
    {u"textbackslash", u"\\", u"\\"},
    {u"textasciitilde", u"~", u"~"},
    {u"textasciicircum", u"^", u"^"},
    {u"textunderscore", u"_", u"_"},
    {u"guillemotleft", u"\u00AB", u"&laquo;"},
    {u"guillemotright", u"\u00BB", u"&raquo;"},
    {u"textperiodcentered", u"\u00B7", u"&middot;"},
    {u"textmu", u"\u00B5", u"&micro;"},
    {u"textdagger", u"\u2020", u"&dagger;"},
    {u"textsection", u"\u00A7", u"&sect;"},
};

// Math symbols without an argument.
inline constexpr Symbol kMathSymbols[] = {
    {u"star", u"\u22C6", u"&#x22c6;"},   {u"langle", u"\u27E8", u"&#x27e8;"},
    {u"rangle", u"\u27E9", u"&#x27e9;"}, {u"le", u"\u2264", u"&le;"},
    {u"ge", u"\u2265", u"&ge;"},         {u"ne", u"\u2260", u"&ne;"},
    {u"in", u"\u2208", u"&isin;"},       {u"notin", u"\u2209", u"&notin;"},
    {u"subset", u"\u2282", u"&sub;"},    {u"subseteq", u"\u2286", u"&sube;"},
    {u"cup", u"\u222A", u"&cup;"},       {u"cap", u"\u2229", u"&cap;"},
    {u"mapsto", u"\u21A6", u"&#x21a6;"},
};

// Commands whose one argument is shown as it stands (text style and
// packaging commands); the HTML form wraps it where HTML can show the style.
inline constexpr Symbol kStyleCommands[] = {
    {u"mbox", u"%@", u"%@"},
    {u"hbox", u"%@", u"%@"},
    {u"text", u"%@", u"%@"},
    {u"textnormal", u"%@", u"%@"},
    {u"url", u"%@", u"%@"},
    {u"mathrm", u"%@", u"%@"},
    {u"mathbf", u"%@", u"<b>%@</b>"},
    {u"mathit", u"%@", u"<i>%@</i>"},
    {u"mathsf", u"%@", u"%@"},
    {u"mathtt", u"%@", u"<tt>%@</tt>"},
    {u"mathcal", u"%@", u"%@"},
    {u"mathbb", u"%@", u"%@"},
    {u"textsuperscript", u"%@", u"<sup>%@</sup>"},
    {u"textsubscript", u"%@", u"<sub>%@</sub>"},
    {u"textmd", u"%@", u"%@"},
    {u"uppercase", u"%@", u"%@"},
};

} // namespace CommonTeXCommands
