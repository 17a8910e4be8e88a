#pragma once
// Opens a web or mail address with the desktop's program for it. Tests
// replace the handler to see which address would be opened.

#include <QUrl>

#include <functional>

class TUrlOpener {
public:
    using THandler = std::function<void(const QUrl &url)>;

    // Opens the address; a failure is not reported.
    static void Open(const QString &address);

    // Replaces the handler; an empty handler restores the desktop's.
    static void SetHandler(THandler handler);

private:
    static THandler &Handler();
};
