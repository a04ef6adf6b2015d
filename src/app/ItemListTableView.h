#pragma once

#include <QTableView>

#include <functional>

class ItemListModel;

// The entry table: columns sized from the preferences, middle truncation,
// rows dragged as whole entries; Space toggles the marks of the selected
// rows, Return opens the editor, double-click too. Main thread only.
class ItemListTableView : public QTableView
{
    Q_OBJECT

public:
    explicit ItemListTableView(QWidget *parent = nullptr);

    // Applies the model's column widths and limits.
    void setColumnHeaders();
    // Stores the column order and widths in the preferences.
    void saveCurrentSettings();

Q_SIGNALS:
    void toggleMarkRequested();
    void openRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void startDrag(Qt::DropActions supportedActions) override;
};
