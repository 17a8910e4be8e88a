// Writes the installed shared-mime-info package and desktop entry from the
// same file-type table and generator that the options' "Associate" uses, so
// an installed program and an associated one register the same types.
//   make_desktop_files MIME_XML DESKTOP_TEMPLATE DESKTOP_OUT
// The template's @VV_MIME_TYPES@ becomes the list of the types.

#include "platform/XdgClassesRoot.h"
#include "settings/FileTypeRegistration.h"

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QByteArray ReadFile(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + fileName.toStdString());
    return file.readAll();
}

void WriteFile(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        throw std::runtime_error("cannot write " + fileName.toStdString());
}

QByteArray MimeTypesLine(const QByteArray &desktopEntry)
{
    for (const QByteArray &line : desktopEntry.split('\n'))
        if (line.startsWith("MimeType="))
            return line.mid(9);
    throw std::runtime_error("the generated desktop entry lists no MIME types");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4) {
        std::fputs("usage: make_desktop_files MIME_XML DESKTOP_TEMPLATE DESKTOP_OUT\n", stderr);
        return 2;
    }
    try {
        QTemporaryDir dataHome;
        TXdgClassesRoot root(dataHome.path(), [](const QString &, const QStringList &) {});
        RegisterVornFileTypes(root, QStringLiteral("vornviewer"));
        WriteFile(QString::fromLocal8Bit(argv[1]), ReadFile(root.MimePackageFileName()));
        QByteArray entry = ReadFile(QString::fromLocal8Bit(argv[2]));
        entry.replace("@VV_MIME_TYPES@", MimeTypesLine(ReadFile(root.DesktopFileName())));
        WriteFile(QString::fromLocal8Bit(argv[3]), entry);
    } catch (const std::exception &error) {
        std::fprintf(stderr, "make_desktop_files: %s\n", error.what());
        return 1;
    }
    return 0;
}
