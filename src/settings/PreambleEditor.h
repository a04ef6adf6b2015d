#pragma once

#include "settings/RowTableDialog.h"

#include <QStringList>

// The editor of a database's @PREAMBLE texts: one row per preamble, checked
// as typed (braces must balance; a faulty row turns red and OK waits), rows
// added and removed; the texts are kept as typed. It edits a copy; the caller
// reads preambles() after OK.
// Main thread only.
class PreambleEditor : public RowTableDialog
{
    Q_OBJECT

public:
    PreambleEditor(const QString &title, const QStringList &preambles, QWidget *parent = nullptr);

    // The edited texts, trimmed, empty rows left out.
    QStringList preambles() const;

    void addPreamble();

protected:
    // Braces balance in every row.
    bool checkRows() override;
};
