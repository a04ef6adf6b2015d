#pragma once

#include <QString>

#include <functional>

class QFMainController;
class QWidget;

// Sets the window up for one of the documentation pictures once the files
// have loaded (the hidden --screenshot-show option): "preferences" opens the
// preferences dialog, "smart-library" a new smart library's sheet, "viewer"
// the attachment viewer on the first entry of the first database,
// "entry:KEY" that entry in the editor, editing, with the palettes open,
// "lists:AUTHOR:SEARCH" the first author whose name begins with AUTHOR
// selected and SEARCH typed into the entry search. `ready`
// gets the widget to render when it is on screen; anything else renders the
// main window. Main thread only.
class ScreenshotStage
{
public:
    static void stage(QFMainController &controller, const QString &what,
                      const std::function<void(QWidget *)> &ready);
};
