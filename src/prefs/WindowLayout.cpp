#include "prefs/WindowLayout.h"

#include <algorithm>

QRect WindowLayout::clampFrame(const QRect &frame, const QList<QRect> &screens)
{
    if (screens.isEmpty())
        return frame;
    QRect best = screens.first();
    qint64 bestArea = -1;
    for (const QRect &screen : screens) {
        const QRect overlap = screen.intersected(frame);
        const qint64 area = overlap.isValid() ? qint64(overlap.width()) * overlap.height() : 0;
        if (area > bestArea) {
            bestArea = area;
            best = screen;
        }
    }
    QRect result = frame;
    result.setWidth(
        std::clamp(frame.width(), std::min(minimumWidth(), best.width()), best.width()));
    result.setHeight(std::clamp(frame.height(), std::min(200, best.height()), best.height()));
    result.moveLeft(std::clamp(frame.left(), best.left(), best.right() - result.width() + 1));
    result.moveTop(std::clamp(frame.top(), best.top(), best.bottom() - result.height() + 1));
    return result;
}

QList<int> WindowLayout::paneWidths(int width, double dbWidth, double itemWidth)
{
    int db = std::clamp(static_cast<int>(dbWidth), kMinimumPane, kMaximumDatabasePane);
    int item = std::max(static_cast<int>(itemWidth), kMinimumItemPane);
    int author = width - db - item - kSplitterAllowance;
    if (author < kMinimumPane) {
        item = std::max(kMinimumItemPane, item - (kMinimumPane - author));
        author = width - db - item - kSplitterAllowance;
    }
    if (author < kMinimumPane) {
        db = std::max(kMinimumPane, db - (kMinimumPane - author));
        author = std::max(kMinimumPane, width - db - item - kSplitterAllowance);
    }
    return {db, author, item};
}

int WindowLayout::minimumWidth()
{
    return 2 * kMinimumPane + kMinimumItemPane + kSplitterAllowance;
}

int WindowLayout::constrainMinCoordinate(int proposedMinimum, int divider)
{
    (void)divider;
    return proposedMinimum + kMinimumPane;
}

int WindowLayout::constrainMaxCoordinate(int proposedMaximum, int divider)
{
    if (divider == 0)
        return std::min(proposedMaximum - kMinimumPane, kMaximumDatabasePane);
    return proposedMaximum - kMinimumItemPane;
}
