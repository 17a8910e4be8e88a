#pragma once
// Numbered folders of this process below the temporary folder, one for each
// use ("<kind>-<process id>-<n>"), so that what one use writes never meets
// what another wrote. All of them go, with their contents, when this object
// does (when the program ends).

#include <QString>

class TProcessFolders {
public:
    TProcessFolders(const QString &tempFolder, const QString &kind);
    ~TProcessFolders();
    TProcessFolders(const TProcessFolders &) = delete;
    TProcessFolders &operator=(const TProcessFolders &) = delete;

    // The folder the next use gets.
    QString Next() const;
    // The folder for this use; the one after it differs.
    QString Take();

private:
    QString m_tempFolder;
    QString m_prefix; // "<kind>-<process id>-"
    int m_count = 0;
};
