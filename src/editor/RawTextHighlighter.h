#pragma once

#include <QSyntaxHighlighter>

// Colours the field lines of the raw-text view: field names, the "=" and "#"
// joins, braces and quoted strings. Owned by the view's document.
class RawTextHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    explicit RawTextHighlighter(QTextDocument *document);

protected:
    void highlightBlock(const QString &text) override;
};
