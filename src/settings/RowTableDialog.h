#pragma once

#include <QDialog>

class QDialogButtonBox;
class QHBoxLayout;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;

// A dialog over a table of rows checked as typed: the table, a row of Add
// and Remove buttons under it, and OK and Cancel. A faulty cell turns red and
// explains itself in its tooltip, and OK waits until every row is sound. The
// editor built on it fills the rows, says what is sound (checkRows) and what
// Add does. Main thread only.
class RowTableDialog : public QDialog
{
    Q_OBJECT

public:
    // Whether every row was sound at the last check.
    bool isValid() const { return m_valid; }
    void removeSelectedRows();

    QTableWidget *table() const { return m_table; }
    QDialogButtonBox *buttons() const { return m_buttons; }

protected:
    RowTableDialog(const QString &title, const QStringList &columns, QWidget *parent);

    // Whether every row is sound, marking the faulty cells (markCell).
    virtual bool checkRows() = 0;
    // Checks every row and lets OK follow; nothing while rows are being
    // filled in (see fillingRows).
    void validateAll();
    static void markCell(QTableWidgetItem *item, bool bad, const QString &why);
    // Appends a row of the given cells without checking the half-made row.
    void appendRow(const QStringList &cells);
    // Makes the last row current and starts editing its first cell.
    void editLastRow();

    QPushButton *addButton() const { return m_add; }
    // The row of Add and Remove, for an editor's own buttons.
    QHBoxLayout *buttonRow() const { return m_buttonRow; }

private:
    bool m_valid = true;
    bool m_validating = false;
    QTableWidget *m_table;
    QDialogButtonBox *m_buttons;
    QPushButton *m_add;
    QHBoxLayout *m_buttonRow;
};
