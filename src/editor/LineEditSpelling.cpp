#include "editor/LineEditSpelling.h"

#include "editor/SpellChecker.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QTextCharFormat>

LineEditSpelling::LineEditSpelling(QLineEdit *edit, std::function<bool()> active)
    : QObject(edit), m_edit(edit), m_active(std::move(active))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, [this] { apply(); });
    connect(edit, &QLineEdit::textChanged, this, [this] { refresh(); });
    edit->installEventFilter(this);
}

void LineEditSpelling::refresh()
{
    m_timer.start();
}

bool LineEditSpelling::eventFilter(QObject *watched, QEvent *event)
{
    // The editing switch: underline now, or stop.
    if (event->type() == QEvent::ReadOnlyChange && !m_applying)
        refresh();
    return QObject::eventFilter(watched, event);
}

void LineEditSpelling::apply()
{
    std::vector<SpellingWords::Word> wrong;
    if (m_active()) {
        SpellChecker *checker = SpellChecker::globalChecker();
        if (!checker->isReady()) {
            // Checked again when the dictionary has loaded.
            connect(checker, &SpellChecker::ready, this, &LineEditSpelling::refresh,
                    Qt::UniqueConnection);
        }
        wrong = checker->misspelledWords(m_edit->text());
    }
    if (wrong == m_misspelled)
        return;
    m_misspelled = std::move(wrong);
    // A line edit takes text formats only from an input method event, relative
    // to the insertion point, and only while it is editable.
    QList<QInputMethodEvent::Attribute> formats;
    QTextCharFormat underline;
    underline.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    underline.setUnderlineColor(Qt::red);
    const int cursor = m_edit->cursorPosition();
    for (const SpellingWords::Word &word : m_misspelled)
        formats << QInputMethodEvent::Attribute(
            QInputMethodEvent::TextFormat, int(word.start) - cursor, int(word.length), underline);
    const bool readOnly = m_edit->isReadOnly();
    const bool blocked = m_edit->blockSignals(true);
    m_applying = true;
    if (readOnly)
        m_edit->setReadOnly(false);
    QInputMethodEvent event(QString(), formats);
    QCoreApplication::sendEvent(m_edit, &event);
    if (readOnly)
        m_edit->setReadOnly(true);
    m_applying = false;
    m_edit->blockSignals(blocked);
}

void LineEditSpelling::addSuggestions(QMenu *menu, const QPoint &pos)
{
    if (!m_active())
        return;
    SpellChecker *checker = SpellChecker::globalChecker();
    const std::optional<SpellingWords::Word> word =
        checker->misspelledWordAt(m_edit->text(), m_edit->cursorPositionAt(pos));
    if (!word)
        return;
    const qsizetype start = word->start;
    const qsizetype length = word->length;
    checker->addSuggestions(
        menu, *word,
        [this, start, length](const QString &suggestion) {
            m_edit->setSelection(int(start), int(length));
            m_edit->insert(suggestion);
        },
        [this] { refresh(); });
}
