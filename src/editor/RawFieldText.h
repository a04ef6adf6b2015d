#pragma once

#include "editor/EntryTextView.h"

// The "raw" tab: the entry's field lines as BibTeX text. A text that parses
// replaces all fields at once; one that does not is kept in red while the
// entry keeps its last readable fields, so nothing typed and no field is lost.
class RawFieldText : public EntryTextView
{
    Q_OBJECT

public:
    RawFieldText(DetailInfoController *controller, QWidget *parent);

protected:
    QString textOfItem(const BibItem &item) const override;
    bool storeText(BibItem &item, const QString &text) override;
    void notifyController() override;
};
