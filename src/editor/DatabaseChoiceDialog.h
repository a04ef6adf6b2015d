#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;

// The sheet that asks which database a new entry goes into: a pop-up of the
// open databases' descriptions with OK and Cancel. A small dialog with a
// result (the chosen index).
class DatabaseChoiceDialog : public QDialog
{
    Q_OBJECT

public:
    DatabaseChoiceDialog(const QStringList &descriptions, QWidget *parent);
    int chosenIndex() const;

    // Runs the sheet; the chosen index, or -1 when cancelled.
    static int choose(const QStringList &descriptions, QWidget *parent);

private:
    QComboBox *m_popup;
};
