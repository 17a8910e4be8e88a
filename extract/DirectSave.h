#pragma once
// The X11 direct-save protocol (XdndDirectSave0) from the source's side. At
// the start of a drag the source puts a proposed file name in a property of
// its drag window; at the drop a file manager that speaks the protocol
// replaces it with the URI of that name in the folder it shows and asks the
// source to save there. We write every dragged entry into that folder.

#include <QByteArray>
#include <QString>

class TDirectSave {
public:
    // The name of the property and of the data type the target asks for.
    static QString Format() { return QStringLiteral("XdndDirectSave0"); }

    // True when the program runs on X11, where the protocol exists.
    static bool Available();
    // The window that owns the running drag's selection (the one targets see
    // as the drag's source), or 0.
    static quint32 DragWindow();
    // Puts the proposed name into the property of window.
    static void Offer(quint32 window, const QString &fileName);
    // The folder the target wrote into the property, or empty.
    static QString ChosenFolder(quint32 window);
    // Removes the property again.
    static void Withdraw(quint32 window);

    // The local folder of a file URI naming a file in it ("file:///a/b/x",
    // "file://localhost/a/b/x" or with this machine's name as host: "/a/b").
    // Anything from a NUL on is ignored. Empty for other hosts, other
    // schemes and URIs without a file name.
    static QString FolderOfUri(const QByteArray &uri);
};
