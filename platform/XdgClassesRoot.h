#pragma once
// File associations on freedesktop systems. The registry keys written through
// this layer are kept in a small INI file in the user's data folder; after
// every write the desktop's own files are generated from them:
//   mime/packages/vornviewer.xml   one MIME type per file type name, with the
//                                  globs of the extension keys that name it and
//                                  the type's description as comment;
//   applications/vornviewer.desktop  the program, with Exec taken from the
//                                  types' "Shell\Open\Command" and MimeType=
//                                  listing every type that has a command.
// The change notification rebuilds the desktop's caches with
// update-mime-database and update-desktop-database.

#include "platform/ClassesRoot.h"

#include <QStringList>

#include <functional>
#include <memory>

class TXdgClassesRoot : public TClassesRoot {
public:
    // Runs a program with arguments and waits for it; the result is ignored,
    // as the desktop never reports a failed notification.
    using TCommandRunner = std::function<void(const QString &program, const QStringList &arguments)>;

    // dataHome: the user's data folder ($XDG_DATA_HOME or ~/.local/share).
    explicit TXdgClassesRoot(QString dataHome, TCommandRunner runner = RunCommand);

    void WriteDefaultValue(const QString &keyPath, const QString &value) override;
    void NotifyAssociationsChanged() override;

    QString KeysFileName() const;
    QString MimePackageFileName() const;
    QString DesktopFileName() const;

    // The MIME type that stands for a file type name ("vorn_res" gives
    // "application/x-vorn-res").
    static QString MimeTypeOf(const QString &typeName);
    // The desktop Exec line for a Windows-style open command ("exe" "%1").
    static QString ExecLineOf(const QString &command);

    static void RunCommand(const QString &program, const QStringList &arguments);

private:
    void GenerateDesktopFiles() const;

    QString m_DataHome;
    TCommandRunner m_Runner;
};

// The current user's file associations.
std::unique_ptr<TClassesRoot> CreateClassesRoot();
