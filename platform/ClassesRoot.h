#pragma once
// The part of the system registry that maps file extensions to the program
// that opens them (the "classes root" on Windows).

#include <QString>

#include <memory>

class TClassesRoot {
public:
    virtual ~TClassesRoot() = default;

    // Opens the key at keyPath ("\"-separated, relative to the root), creating
    // it and any missing parents, sets its default value and closes it again.
    // Throws Exception when the key can't be written.
    virtual void WriteDefaultValue(const QString &keyPath, const QString &value) = 0;

    // Tells the desktop that file associations have changed.
    virtual void NotifyAssociationsChanged() = 0;
};

