#pragma once

#include <QList>
#include <QRect>

// The main window's geometry rules, without a widget: where a stored frame
// may lie and how wide the three panes (database tree, authors, entries) are.
// Values; any thread.
class WindowLayout
{
public:
    static constexpr int kMinimumPane = 90;      // database and author panes
    static constexpr int kMinimumItemPane = 430; // the entry pane
    static constexpr int kMaximumDatabasePane = 250;
    static constexpr int kSplitterAllowance = 25; // what the dividers take

    // The stored frame moved (and shrunk) onto the screen it overlaps most,
    // or onto the first screen when it lies off every screen.
    static QRect clampFrame(const QRect &frame, const QList<QRect> &screens);
    // The three pane widths for a window `width` wide from the stored database
    // pane width `dbWidth` and entry pane width `itemWidth`:
    // dbWidth, width - dbWidth - itemWidth - 25, itemWidth, each kept within
    // its limits (the entry pane gives way first, then the database pane).
    static QList<int> paneWidths(int width, double dbWidth, double itemWidth);
    // The smallest window width that holds all three panes at their minimums.
    static int minimumWidth();
    // The splitter limits for divider 0 (database|authors) and 1
    // (authors|entries), from the proposed minimum and maximum positions.
    static int constrainMinCoordinate(int proposedMinimum, int divider);
    static int constrainMaxCoordinate(int proposedMaximum, int divider);
};
