#pragma once
// Decides when a press-and-move in the file list becomes a drag: the press
// position is remembered for any button, and a drag starts once the pointer
// has moved 10 pixels or more on either axis with the left or the right
// button held and something selected.

#include <QPoint>
#include <Qt>

#include <optional>

class TDragStartTracker {
public:
    static constexpr int DragDistance = 10;

    // lsvMainMouseDown: remember where the button went down, whichever it is.
    void MouseDown(const QPoint &pos) { m_pressPos = pos; }

    // lsvMainMouseMove: true when this move starts a drag. A started drag
    // uses up the press, so the next drag needs a new one.
    bool ShouldStartDrag(Qt::MouseButtons buttons, const QPoint &pos, bool hasSelection);

private:
    std::optional<QPoint> m_pressPos;
};
