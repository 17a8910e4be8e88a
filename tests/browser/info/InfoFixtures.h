#pragma once
// Shared fixtures: archives made by the test writer in a temporary folder,
// and a stand-in for the main window's opening of paths.

#include "archive/vmVornFile.h"
#include "browser/Collection.h"
#include "browser/History.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>
#include <vector>

// Writes a small valid archive (one folder, one file) to path.
void WriteSmallArchive(const QString &path);
void WriteText(const QString &path, const QByteArray &bytes);
QByteArray ReadAll(const QString &path);

// What the main window does when it opens a path: collections through
// OpenCollection, archives reselected when open, else opened and added to
// the recent files.
class TOpenerStandIn {
public:
    TOpenerStandIn();

    void OpenFile(const QString &path);
    TCollectionHandlers Handlers();

    QStringList OpenPaths() const; // oldest first
    QString ActivePath() const;

    THistory FileHistory;
    int archiveOpens = 0; // readers created

private:
    bool SelectIfOpen(const QString &path);
    void OpenArchive(const QString &path);

    std::vector<std::unique_ptr<TVornFile>> m_OpenVorns;
    TVornFile *m_ActiveVorn = nullptr;
};
