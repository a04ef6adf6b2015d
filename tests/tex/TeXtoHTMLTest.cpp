#include "tex/TeXtoHTML.h"

#include "TexTestSupport.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

TEST(TeXtoHTML, conversionRules)
{
    expectConversions(
        &TeXtoHTML::convertString,
        {
            // Accents.
            {"tilde", "\\~n", "&ntilde;"},
            {"dotless i", "\\'{\\i}", "&iacute;"},
            {"no entity check", "\\~x", "&xtilde;"},
            {"double acute is no accent here", "\\H{o}", "{&H;}o"},
            {"no argument gives the accent alone", "\\'", "&acute;"},
            {"empty argument gives the accent alone", "\\~{}", "~"},
            {"longer argument keeps the rest", "\\~{ab}", "&atilde;b"},
            {"argument without a letter takes a combining mark", "\\'{\\ae}", "&aelig;&#x301;"},
            // Letters and symbols.
            {"aa with empty group", "\\aa{}", "&aring;"},
            {"slashed L by number", "{\\L}\\'od\\'z", "&#x141;&oacute;d&zacute;"},
            {"escaped specials are not escaped again", "A \\& B \\%", "A & B %"},
            {"unknown command as a reference", "\\foo", "{&foo;}"},
            {"math command in text", "\\alpha", "{&alpha;}"},
            // Font commands.
            {"bold and emphasis", "\\textbf{Bold} \\emph{x}", "<b>Bold</b> <em>x</em>"},
            {"italic declaration", "{\\it Title}", "<i>Title</i>"},
            {"missing argument", "\\emph", "<em>?</em>"},
            // Quotes and dashes.
            {"quotes and en dash", "``Quote'' -- 1999", "&ldquo;Quote&rdquo; &ndash; 1999"},
            {"em dash", "a---b", "a&mdash;b"},
            {"inverted marks", "!`a ?`b", "&iexcl;a &iquest;b"},
            {"less and greater in text", "<>", "&lt;&gt;"},
            // Math.
            {"scripts", "$x^2_i$", "<var>x</var><sup>2</sup><sub><var>i</var></sub>"},
            {"degree", "$90^\\circ$", "90&deg;"},
            {"longer script", "$x_{10}$", "<var>x</var><sub>10</sub>"},
            {"minus and prime", "$-f'$", "&ndash;<var>f</var>&prime;"},
            {"spacing", "$a\\,b\\;c$", "<var>a</var> <var>b</var>&nbsp;<var>c</var>"},
            {"double bar", "$\\|v\\|$", "&#x2016;<var>v</var>&#x2016;"},
            {"backslash", "$A\\backslash B$", "<var>A</var>\\<var>B</var>"},
            {"negative thin space", "$a\\!b$", "<var>a</var><var>b</var>"},
            {"unknown math command", "$\\foo$", "{&foo;}"},
        });
}
