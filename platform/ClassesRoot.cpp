#include "platform/ClassesRoot.h"

#include "platform/XdgClassesRoot.h"

#include <QStandardPaths>

std::unique_ptr<TClassesRoot> CreateClassesRoot()
{
    return std::make_unique<TXdgClassesRoot>(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
}
