#pragma once

#include "editor/EntryTextView.h"

class SpellHighlighter;

// The "annote" tab: the edit form of the annotation field named by the
// preferences ("Annote Field Identifier"), several lines long, its spelling
// checked while it is edited.
class AnnotationText : public EntryTextView
{
    Q_OBJECT

public:
    AnnotationText(DetailInfoController *controller, QWidget *parent);
    void reloadPreferences();
    SpellHighlighter *spelling() const { return m_spelling; }

protected:
    QString textOfItem(const BibItem &item) const override;
    bool storeText(BibItem &item, const QString &text) override;
    void notifyController() override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QString m_fieldName;
    SpellHighlighter *m_spelling;
};
