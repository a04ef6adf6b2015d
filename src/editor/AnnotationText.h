#pragma once

#include "editor/EntryTextView.h"

// The "annote" tab: the edit form of the annotation field named by the
// preferences ("Annote Field Identifier"), several lines long.
class AnnotationText : public EntryTextView
{
    Q_OBJECT

public:
    AnnotationText(DetailInfoController *controller, QWidget *parent);
    void reloadPreferences();

protected:
    QString textOfItem(const BibItem &item) const override;
    bool storeText(BibItem &item, const QString &text) override;
    void notifyController() override;

private:
    QString m_fieldName;
};
