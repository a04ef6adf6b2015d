#pragma once

#include <QComboBox>

// The line-ending pop-up of the first-start and save-as sheets: three items
// whose index is the line-ending code (0 CR, 1 CR LF, 2 LF). Main thread.
class LineEndingPopup : public QComboBox
{
    Q_OBJECT

public:
    explicit LineEndingPopup(QWidget *parent = nullptr);

    // Codes outside 0-2 select LF.
    void setLineEnding(int code);
    int lineEnding() const { return currentIndex(); }
};
