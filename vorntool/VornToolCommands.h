#pragma once
// vorntool's subcommands. Each lives in its own file and is described by one
// TToolCommand; main() (VornTool.cpp) dispatches through the table that
// ToolCommands() returns. To add a command, define a function returning its
// TToolCommand and list it in ToolCommands().

#include "archive/vmVornFile.h"

#include <string>
#include <vector>

struct TToolCommand {
    const char *name;      // the word after "vorntool"
    const char *arguments; // shown in the usage text, e.g. "ARCHIVE PATH"
    const char *summary;   // one line for the usage text
    size_t argumentCount;  // exact number of arguments after the name; SIZE_MAX: any
    // Runs the command and returns the exit code. Failures raise Exception;
    // main() prints the message to stderr and exits with 1.
    int (*run)(const std::vector<std::string> &arguments);
};

TToolCommand InfoCommand();    // VornToolInfo.cpp
TToolCommand ListCommand();    // VornToolList.cpp
TToolCommand CatCommand();     // VornToolCat.cpp
TToolCommand TestCommand();    // VornToolTest.cpp
TToolCommand ExtractCommand(); // VornToolExtract.cpp ("x")
TToolCommand FindCommand();    // VornToolFind.cpp
TToolCommand DiffCommand();    // VornToolDiff.cpp
TToolCommand MergedCommand();  // VornToolMerged.cpp
TToolCommand MountCommand();   // VornToolMount.cpp

// Every command, in the order the usage text lists them.
const std::vector<TToolCommand> &ToolCommands();

// Helpers shared by the commands.
// The entry's path below the root as UTF-8, folders ending in "/"; `relative`
// is the 8-bit path that WalkTree reports.
std::string EntryDisplayPath(const TVornFile &vorn, TEntryOffset entry, const std::string &relative);
// Writes the bytes to stdout; raises Exception when that fails.
void WriteStdout(const void *data, size_t size);
void WriteStdout(const std::string &text);
