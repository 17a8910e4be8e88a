#include "extract/DragStartTracker.h"

#include <cstdlib>

bool TDragStartTracker::ShouldStartDrag(Qt::MouseButtons buttons, const QPoint &pos,
                                        bool hasSelection)
{
    if (!(buttons & (Qt::LeftButton | Qt::RightButton)) || !m_pressPos)
        return false;
    const QPoint moved = pos - *m_pressPos;
    if (std::abs(moved.x()) < DragDistance && std::abs(moved.y()) < DragDistance)
        return false;
    if (!hasSelection)
        return false;
    m_pressPos.reset();
    return true;
}
