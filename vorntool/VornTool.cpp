// vorntool: the archive core on the command line.
//   vorntool info | ls | cat | test | x | find | diff | merged | mount (see the usage text)

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/OpenFileLimit.h"
#include "archive/vmFunctions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>

const std::vector<TToolCommand> &ToolCommands()
{
    static const std::vector<TToolCommand> commands = {
        InfoCommand(),
        ListCommand(),
        CatCommand(),
        TestCommand(),
        ExtractCommand(),
        FindCommand(),
        DiffCommand(),
        MergedCommand(),
        MountCommand(),
    };
    return commands;
}

std::string EntryDisplayPath(const TVornFile &vorn, TEntryOffset entry, const std::string &relative)
{
    std::string path = AnsiToUtf8(relative);
    if (vorn.IsDirectory(entry))
        path += '/';
    return path;
}

void WriteStdout(const void *data, size_t size)
{
    if (size > 0 && std::fwrite(data, 1, size, stdout) != size)
        throw Exception(FormatStr("Cannot write to standard output: %s", std::strerror(errno)));
}

void WriteStdout(const std::string &text)
{
    WriteStdout(text.data(), text.size());
}

namespace {

int Usage()
{
    std::fputs("usage: vorntool COMMAND ARGUMENTS\n\ncommands:\n", stderr);
    for (const TToolCommand &command : ToolCommands())
        std::fprintf(stderr, "  %-6s %-13s %s\n", command.name, command.arguments, command.summary);
    return 2;
}

const TToolCommand *FindCommand(const char *name)
{
    for (const TToolCommand &command : ToolCommands())
        if (std::strcmp(command.name, name) == 0)
            return &command;
    return nullptr;
}

} // namespace

int main(int argc, char **argv)
{
    RaiseOpenFileLimit(); // find and the extraction's workers may hold many files
    if (argc < 2)
        return Usage();
    const TToolCommand *command = FindCommand(argv[1]);
    const bool anyCount = command && command->argumentCount == SIZE_MAX;
    if (!command || (!anyCount && size_t(argc - 2) != command->argumentCount))
        return Usage();
    const std::vector<std::string> arguments(argv + 2, argv + argc);
    try {
        const int code = command->run(arguments);
        if (std::fflush(stdout) != 0)
            throw Exception(FormatStr("Cannot write to standard output: %s", std::strerror(errno)));
        return code;
    } catch (const std::exception &e) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
