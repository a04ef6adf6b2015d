#pragma once

#include <QDialog>
#include <QStringList>

class QDialogButtonBox;
class QTableWidget;

// The editor of a database's @PREAMBLE texts: one row per preamble, checked
// as typed (braces must balance; a faulty row turns red and OK waits), rows
// added and removed; the texts are kept as typed. It edits a copy; the caller
// reads preambles() after OK.
// Main thread only.
class PreambleEditor : public QDialog
{
    Q_OBJECT

public:
    PreambleEditor(const QString &title, const QStringList &preambles, QWidget *parent = nullptr);

    // The edited texts, trimmed, empty rows left out.
    QStringList preambles() const;
    bool isValid() const { return m_valid; }

    void addPreamble();
    void removeSelectedPreambles();

    QTableWidget *table() const { return m_table; }
    QDialogButtonBox *buttons() const { return m_buttons; }

private:
    void validateAll();

    bool m_valid = true;
    bool m_validating = false;
    QTableWidget *m_table;
    QDialogButtonBox *m_buttons;
};
