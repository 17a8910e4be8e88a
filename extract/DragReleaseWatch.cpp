#include "extract/DragReleaseWatch.h"

#include <QDropEvent>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// XInput 2's event type of a button release.
constexpr uint16_t XIButtonRelease = 5;
} // namespace

quint8 TDragReleaseWatch::XInputOpcode()
{
    // Other platforms may offer the interface without a connection.
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection)
        return 0;
    const char name[] = "XInputExtension";
    const auto cookie = xcb_query_extension(connection, uint16_t(std::strlen(name)), name);
    std::unique_ptr<xcb_query_extension_reply_t, decltype(&std::free)> reply(
        xcb_query_extension_reply(connection, cookie, nullptr), &std::free);
    return reply && reply->present ? reply->major_opcode : 0;
}

bool TDragReleaseWatch::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t" || !message || !m_data)
        return false;
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    // The high bit marks events sent by another client.
    const uint8_t type = event->response_type & 0x7f;
    const auto *generic = static_cast<const xcb_ge_generic_event_t *>(message);
    const bool xinput = type == XCB_GE_GENERIC && m_xinputOpcode && generic->extension == m_xinputOpcode;
    if (type == XCB_BUTTON_RELEASE || (xinput && generic->event_type == XIButtonRelease))
        m_released();
    return false;
}

bool TDragReleaseWatch::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Drop && m_data &&
        static_cast<QDropEvent *>(event)->mimeData() == m_data.data())
        m_released();
    return false;
}
