#pragma once

#include <QSyntaxHighlighter>

#include <functional>

class QMenu;
class QPlainTextEdit;
class QPoint;

// Underlines the misspelt words of a text view while `active` says so (the
// view edits its text), and offers their suggestions in its context menu.
// Only changed paragraphs are checked again. Owned by the view's document;
// main thread only.
class SpellHighlighter : public QSyntaxHighlighter
{
    Q_OBJECT

public:
    SpellHighlighter(QPlainTextEdit *view, std::function<bool()> active);

    // Suggestions for the word at `pos` (viewport coordinates) at the top of
    // `menu`, when it is misspelt.
    void addSuggestions(QMenu *menu, const QPoint &pos);

protected:
    void highlightBlock(const QString &text) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *m_view;
    std::function<bool()> m_active;
};
