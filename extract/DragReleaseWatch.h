#pragma once
// Tells the dragged data when the drag has been dropped, so that it knows
// a request for it follows a drop and not a target looking at it while the
// pointer passes over. Qt's X11 drag loop keeps no button state of its own,
// so the release is watched in the raw X11 input; a drop on a window of this
// program is seen as the drop event for our data.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QMimeData>
#include <QPointer>

#include <functional>

class TDragReleaseWatch : public QObject, public QAbstractNativeEventFilter {
public:
    // xinputOpcode: the X server's number for the XInput extension, whose
    // events carry the pointer's buttons where Qt uses it (0: none).
    // released: called on each button release while data is alive.
    TDragReleaseWatch(QMimeData *data, std::function<void()> released, quint8 xinputOpcode = XInputOpcode())
        : m_data(data), m_released(std::move(released)), m_xinputOpcode(xinputOpcode)
    {
    }

    // The XInput extension's opcode on the running X11 connection, or 0.
    static quint8 XInputOpcode();

    // Never consume the event: the drag loop and the target still need it.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<QMimeData> m_data;
    std::function<void()> m_released;
    quint8 m_xinputOpcode = 0;
};
