#include "platform/UrlOpener.h"

#include <QDesktopServices>

void TUrlOpener::Open(const QString &address)
{
    const QUrl url = QUrl::fromUserInput(address);
    if (Handler())
        Handler()(url);
    else
        QDesktopServices::openUrl(url);
}

void TUrlOpener::SetHandler(THandler handler)
{
    Handler() = std::move(handler);
}

TUrlOpener::THandler &TUrlOpener::Handler()
{
    static THandler handler;
    return handler;
}
