#pragma once

#include "tex/SpellingWords.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <vector>

class QLineEdit;
class QMenu;
class QPoint;

// Underlines the misspelt words of a line edit while `active` says so, and
// offers their suggestions in its context menu. The words are checked after
// each change, once the event loop is free, so typing never waits for the
// dictionary. Owned by its line edit; main thread only.
class LineEditSpelling : public QObject
{
    Q_OBJECT

public:
    LineEditSpelling(QLineEdit *edit, std::function<bool()> active);

    // Checks the text again once the event loop is free.
    void refresh();
    // The words underlined now.
    const std::vector<SpellingWords::Word> &misspelled() const { return m_misspelled; }
    // Suggestions for the word at `pos` (widget coordinates) at the top of
    // `menu`, when it is misspelt.
    void addSuggestions(QMenu *menu, const QPoint &pos);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void apply();

    QLineEdit *m_edit;
    std::function<bool()> m_active;
    QTimer m_timer;
    std::vector<SpellingWords::Word> m_misspelled;
    bool m_applying = false;
};
