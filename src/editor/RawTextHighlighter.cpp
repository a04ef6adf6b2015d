#include "editor/RawTextHighlighter.h"

#include <QRegularExpression>

RawTextHighlighter::RawTextHighlighter(QTextDocument *document) : QSyntaxHighlighter(document) {}

void RawTextHighlighter::highlightBlock(const QString &text)
{
    QTextCharFormat name;
    name.setForeground(QColor(0x20, 0x40, 0xa0));
    name.setFontWeight(QFont::Bold);
    QTextCharFormat join;
    join.setForeground(QColor(0xa0, 0x40, 0x00));
    QTextCharFormat brace;
    brace.setForeground(QColor(0x80, 0x00, 0x80));
    QTextCharFormat quoted;
    quoted.setForeground(QColor(0x00, 0x70, 0x30));

    // A field name begins a line and is followed by "=".
    static const QRegularExpression fieldName(QStringLiteral("^\\s*([^\\s=,{}\"#]+)\\s*="));
    if (const QRegularExpressionMatch match = fieldName.match(text); match.hasMatch())
        setFormat(int(match.capturedStart(1)), int(match.capturedLength(1)), name);
    // A string runs across lines: the state carries an open quote.
    bool inQuote = previousBlockState() == 1;
    int quoteStart = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'\\') {
            ++i;
            continue;
        }
        if (c == u'"') {
            if (inQuote)
                setFormat(quoteStart, i - quoteStart + 1, quoted);
            else
                quoteStart = i;
            inQuote = !inQuote;
        } else if (!inQuote && (c == u'=' || c == u'#')) {
            setFormat(i, 1, join);
        } else if (c == u'{' || c == u'}') {
            setFormat(i, 1, brace);
        }
    }
    if (inQuote)
        setFormat(quoteStart, int(text.size()) - quoteStart, quoted);
    setCurrentBlockState(inQuote ? 1 : 0);
}
