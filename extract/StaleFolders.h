#pragma once
// Folders that an earlier run left in the private temporary folder because
// it was ended without its cleanup (killed, crashed, the machine turned
// off): Copy's and Open with's numbered folders ("copy-<pid>-<n>",
// "open-<pid>-<n>", TProcessFolders) and the same-name subfolders
// ("same-name-<pid>:<n>", SameNameFolders). The process id in the name tells
// whose they are.

#include <QString>

// Removes, at start-up, the folders of that kind directly below `tempFolder`
// whose process no longer runs this program (it has ended, or its number now
// belongs to another program). Only real folders of this user go, never a
// link; those of a VornViewer that still runs stay. This process's own
// number counts as ended: nothing of this run exists yet.
void RemoveFoldersOfEndedProcesses(const QString &tempFolder);
