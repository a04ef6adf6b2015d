#include "app/RtfWriter.h"

#include <algorithm>

#include <QList>
#include <QTextDocumentFragment>

namespace {

// Decodes "&name;" and "&#N;" / "&#xN;" at `at` (pointing at '&'); answers
// the text and advances `at` past the entity, or "&" alone.
QString entityAt(const QString &html, qsizetype &at)
{
    const qsizetype end = html.indexOf(u';', at);
    if (end < 0 || end - at > 10) {
        ++at;
        return QStringLiteral("&");
    }
    const QString name = html.mid(at + 1, end - at - 1);
    QString text;
    if (name.startsWith(u'#')) {
        bool ok = false;
        const uint code = name.startsWith(u"#x") || name.startsWith(u"#X")
                              ? name.mid(2).toUInt(&ok, 16)
                              : name.mid(1).toUInt(&ok, 10);
        if (ok && code > 0 && code <= 0x10FFFF)
            text = QString::fromUcs4(reinterpret_cast<const char32_t *>(&code), 1);
    } else if (name == u"amp") {
        text = QStringLiteral("&");
    } else if (name == u"lt") {
        text = QStringLiteral("<");
    } else if (name == u"gt") {
        text = QStringLiteral(">");
    } else if (name == u"quot") {
        text = QStringLiteral("\"");
    } else if (name == u"apos") {
        text = QStringLiteral("'");
    } else if (name == u"nbsp") {
        text = QString(QChar(0x00A0));
    } else if (!name.isEmpty() && std::all_of(name.begin(), name.end(),
                                              [](QChar c) { return c.isLetterOrNumber(); })) {
        // Any other named entity, as the HTML reader knows it.
        const QString decoded = QTextDocumentFragment::fromHtml(u'&' + name + u';').toPlainText();
        if (decoded != u'&' + name + u';')
            text = decoded;
    }
    if (text.isEmpty()) {
        ++at;
        return QStringLiteral("&");
    }
    at = end + 1;
    return text;
}

void appendText(QByteArray &out, QStringView text)
{
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\\' || u == u'{' || u == u'}') {
            out += '\\';
            out += char(u);
        } else if (u == u'\t') {
            out += "\\tab ";
        } else if (u == u'\n' || u == u'\r') {
            out += ' ';
        } else if (u < 0x80) {
            out += char(u);
        } else {
            // RTF's \u takes a signed 16-bit number, followed by one fallback character.
            out += "\\u" + QByteArray::number(static_cast<qint16>(u)) + '?';
        }
    }
}

} // namespace

QByteArray RtfWriter::fromHtml(const QString &html)
{
    QByteArray out = "{\\rtf1\\ansi\\ansicpg1252\\deff0\\uc1"
                     "{\\fonttbl{\\f0\\fswiss Helvetica;}{\\f1\\fmodern Courier;}}\\f0\\fs24\n";
    struct List
    {
        bool ordered;
        int number;
    };
    QList<List> lists;
    bool inParagraph = false;
    // How deep each style is nested: a style goes off only when its outermost
    // span ends, whatever order the spans close in.
    int bold = 0;
    int italic = 0;
    int underline = 0;
    int teletype = 0;
    const auto toggle = [&out](int &depth, bool closing, const char *on, const char *off) {
        if (!closing) {
            if (depth++ == 0)
                out += on;
        } else if (depth > 0 && --depth == 0) {
            out += off;
        }
    };
    // Subscript and superscript exclude each other: the innermost open one
    // holds; when it closes, the one around it (or the baseline) comes back.
    enum class Shift
    {
        None,
        Sub,
        Super
    };
    QList<Shift> shifts;
    const auto shift = [&](Shift kind, bool closing) {
        const Shift before = shifts.isEmpty() ? Shift::None : shifts.last();
        if (!closing) {
            shifts.append(kind);
        } else {
            const qsizetype open = shifts.lastIndexOf(kind);
            if (open < 0)
                return;
            shifts.remove(open);
        }
        const Shift now = shifts.isEmpty() ? Shift::None : shifts.last();
        if (now == before)
            return;
        out += now == Shift::Sub ? "\\sub " : now == Shift::Super ? "\\super " : "\\nosupersub ";
    };
    qsizetype at = 0;
    QString pending; // text between tags
    const auto flush = [&] {
        // White space runs read as one blank, as in HTML; white space alone
        // between two tags too.
        QString text = pending.simplified();
        const bool words = !text.isEmpty();
        if (!pending.isEmpty() && pending.front().isSpace() && inParagraph)
            text.prepend(u' ');
        if (!pending.isEmpty() && pending.back().isSpace() && words)
            text.append(u' ');
        if (inParagraph || !pending.trimmed().isEmpty())
            appendText(out, text);
        pending.clear();
    };
    while (at < html.size()) {
        const QChar c = html[at];
        if (c == u'&') {
            pending += entityAt(html, at);
            continue;
        }
        if (c != u'<') {
            pending += c;
            ++at;
            continue;
        }
        const qsizetype end = html.indexOf(u'>', at);
        if (end < 0) {
            pending += html.mid(at);
            break;
        }
        flush();
        QString tag = html.mid(at + 1, end - at - 1).trimmed().toLower();
        at = end + 1;
        const bool closing = tag.startsWith(u'/');
        if (closing)
            tag.remove(0, 1);
        tag = tag.section(u' ', 0, 0).remove(u'/');
        if (tag == u"p") {
            if (closing) {
                out += "\\par\n";
                inParagraph = false;
            } else {
                out += "\\pard\\sa120 ";
                inParagraph = true;
            }
        } else if (tag == u"ul" || tag == u"ol") {
            if (closing) {
                if (!lists.isEmpty())
                    lists.removeLast();
            } else {
                lists.append({tag == u"ol", 0});
            }
        } else if (tag == u"li") {
            if (closing) {
                out += "\\par\n";
                inParagraph = false;
            } else {
                out += "\\pard\\sa120\\fi-360\\li360 ";
                if (!lists.isEmpty() && lists.last().ordered)
                    out += QByteArray::number(++lists.last().number) + ".\\tab ";
                else
                    out += "\\bullet\\tab ";
                inParagraph = true;
            }
        } else if (tag == u"b" || tag == u"strong") {
            toggle(bold, closing, "\\b ", "\\b0 ");
        } else if (tag == u"i" || tag == u"em" || tag == u"var") {
            toggle(italic, closing, "\\i ", "\\i0 ");
        } else if (tag == u"u") {
            toggle(underline, closing, "\\ul ", "\\ul0 ");
        } else if (tag == u"tt" || tag == u"code") {
            toggle(teletype, closing, "\\f1 ", "\\f0 ");
        } else if (tag == u"sub" || tag == u"sup") {
            shift(tag == u"sup" ? Shift::Super : Shift::Sub, closing);
        } else if (tag == u"br") {
            out += "\\line ";
        }
    }
    flush();
    out += "}\n";
    return out;
}
