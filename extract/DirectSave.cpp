#include "extract/DirectSave.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

#include <unistd.h>

namespace {

xcb_connection_t *Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t Atom(xcb_connection_t *connection, const char *name)
{
    const auto cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

constexpr const char *PropertyName = "XdndDirectSave0";

QString LocalHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return QString::fromLocal8Bit(name);
}

} // namespace

bool TDirectSave::Available()
{
    return Connection() != nullptr;
}

quint32 TDirectSave::DragWindow()
{
    xcb_connection_t *connection = Connection();
    if (!connection)
        return 0;
    const auto cookie = xcb_get_selection_owner(connection, Atom(connection, "XdndSelection"));
    std::unique_ptr<xcb_get_selection_owner_reply_t, decltype(&std::free)> reply(
        xcb_get_selection_owner_reply(connection, cookie, nullptr), &std::free);
    return reply ? reply->owner : 0;
}

void TDirectSave::Offer(quint32 window, const QString &fileName)
{
    xcb_connection_t *connection = Connection();
    if (!connection || !window)
        return;
    const QByteArray name = fileName.toUtf8();
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, Atom(connection, PropertyName),
                        Atom(connection, "text/plain"), 8, uint32_t(name.size()), name.constData());
    xcb_flush(connection);
}

QString TDirectSave::ChosenFolder(quint32 window)
{
    xcb_connection_t *connection = Connection();
    if (!connection || !window)
        return {};
    const auto cookie = xcb_get_property(connection, 0, window, Atom(connection, PropertyName),
                                         XCB_GET_PROPERTY_TYPE_ANY, 0, 4096);
    std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
        xcb_get_property_reply(connection, cookie, nullptr), &std::free);
    if (!reply || reply->format != 8)
        return {};
    const QByteArray uri(static_cast<const char *>(xcb_get_property_value(reply.get())),
                         xcb_get_property_value_length(reply.get()));
    return FolderOfUri(uri);
}

void TDirectSave::Withdraw(quint32 window)
{
    xcb_connection_t *connection = Connection();
    if (!connection || !window)
        return;
    xcb_delete_property(connection, window, Atom(connection, PropertyName));
    xcb_flush(connection);
}

QString TDirectSave::FolderOfUri(const QByteArray &uri)
{
    // Some targets (pcmanfm) store the URI with its terminating NUL.
    const qsizetype end = uri.indexOf('\0');
    const QUrl url = QUrl::fromEncoded((end < 0 ? uri : uri.first(end)).trimmed(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("file"))
        return {};
    const QString host = url.host();
    if (!host.isEmpty() && host != QLatin1String("localhost") &&
        host.compare(LocalHostName(), Qt::CaseInsensitive) != 0)
        return {};
    const QString path = url.path();
    if (!path.startsWith(u'/') || path.endsWith(u'/'))
        return {};
    return QFileInfo(path).path();
}
