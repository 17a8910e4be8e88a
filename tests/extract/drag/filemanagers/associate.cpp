// Registers the vorn file types for a program path below a data folder, as
// the Options dialog's "Associate" button does:
//   associate DATA_HOME EXE_PATH
// The file-manager test uses it before running xdg-open on an archive.

#include "platform/XdgClassesRoot.h"
#include "settings/FileTypeRegistration.h"

#include <QCoreApplication>

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: associate DATA_HOME EXE_PATH\n");
        return 2;
    }
    try {
        TXdgClassesRoot root(QString::fromLocal8Bit(argv[1]));
        RegisterVornFileTypes(root, QString::fromLocal8Bit(argv[2]));
    } catch (const std::exception &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
