#include "extract/DragReleaseWatch.h"

#include "extract/DropSource.h"

#include <QDropEvent>

#include <xcb/xcb.h>

bool TDragReleaseWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message || !m_data)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // The high bit marks events sent by another client.
    if ((event->response_type & 0x7f) == XCB_BUTTON_RELEASE)
        m_data->NoteButtonReleased();
    return false;
}

bool TDragReleaseWatch::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Drop && m_data &&
        static_cast<QDropEvent *>(event)->mimeData() == m_data.data())
        m_data->NoteButtonReleased();
    return false;
}
