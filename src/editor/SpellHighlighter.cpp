#include "editor/SpellHighlighter.h"

#include "editor/SpellChecker.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

SpellHighlighter::SpellHighlighter(QPlainTextEdit *view, std::function<bool()> active)
    : QSyntaxHighlighter(view->document()), m_view(view), m_active(std::move(active))
{
    view->installEventFilter(this);
}

bool SpellHighlighter::eventFilter(QObject *watched, QEvent *event)
{
    // The editing switch: underline now, or stop.
    if (event->type() == QEvent::ReadOnlyChange)
        rehighlight();
    return QSyntaxHighlighter::eventFilter(watched, event);
}

void SpellHighlighter::highlightBlock(const QString &text)
{
    if (!m_active())
        return;
    SpellChecker *checker = SpellChecker::globalChecker();
    if (!checker->isReady()) {
        connect(checker, &SpellChecker::ready, this, &SpellHighlighter::rehighlight,
                Qt::UniqueConnection);
        return;
    }
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline.setUnderlineColor(Qt::red);
    for (const SpellingWords::Word &word : checker->misspelledWords(text))
        setFormat(int(word.start), int(word.length), underline);
}

void SpellHighlighter::addSuggestions(QMenu *menu, const QPoint &pos)
{
    if (!m_active())
        return;
    const QTextCursor at = m_view->cursorForPosition(pos);
    const QTextBlock block = at.block();
    SpellChecker *checker = SpellChecker::globalChecker();
    const std::optional<SpellingWords::Word> word =
        checker->misspelledWordAt(block.text(), at.positionInBlock());
    if (!word)
        return;
    const int start = block.position() + int(word->start);
    const int length = int(word->length);
    checker->addSuggestions(
        menu, *word,
        [this, start, length](const QString &suggestion) {
            QTextCursor cursor(m_view->document());
            cursor.setPosition(start);
            cursor.setPosition(start + length, QTextCursor::KeepAnchor);
            cursor.insertText(suggestion);
            m_view->setTextCursor(cursor);
        },
        [this] { rehighlight(); });
}
