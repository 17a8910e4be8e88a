#pragma once
// Tells the dragged data when the drag has been dropped, so that it knows
// a request for it follows a drop and not a target looking at it while the
// pointer passes over. Qt's X11 drag loop keeps no button state of its own,
// so the release is watched in the raw X11 input; a drop on a window of this
// program is seen as the drop event for our data.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QPointer>

class TDropFileSource;

class TDragReleaseWatch : public QObject, public QAbstractNativeEventFilter {
public:
    explicit TDragReleaseWatch(TDropFileSource *data) : m_data(data) {}

    // Never consume the event: the drag loop and the target still need it.
    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPointer<TDropFileSource> m_data;
};
