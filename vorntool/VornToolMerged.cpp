// vorntool merged ARCHIVE|FOLDER... [--conflicts] [--json]: the tree the game
// sees when it loads the archives together (folders are searched for
// archives), one tab-separated line per path, depth first with the names of
// each folder in order:
//   path  winning-archive  versions-hidden
// --conflicts lists only files that hide another version and paths where a
// file and a folder meet, each followed by its whole stack, winner first:
//   <tab>state  archive  priority  size  crc
// --json writes a JSON array of one object per path (with its "versions"
// under --conflicts). Exit code 1 when an archive was left out.

#include "vorntool/VornToolCommands.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"
#include "engines/AnsiFold.h"
#include "vorntool/VornToolJson.h"
#include "vorntool/VornToolMergeSet.h"

#include <algorithm>
#include <cstdio>

namespace {

struct TMergedArguments {
    std::vector<std::string> sources;
    bool conflicts = false;
    bool json = false;
};

class TMergedListing {
public:
    TMergedListing(TToolMergeSet &set, const TMergedArguments &arguments) : m_Set(set), m_Arguments(arguments) {}

    void Run()
    {
        // Depth first without recursion (a damaged index can nest folders
        // very deep): the next path to list is the last one pending.
        std::vector<TPending> pending;
        Expand(MergeRoot, View().Versions(MergeRoot), pending);
        while (!pending.empty()) {
            TPending next = std::move(pending.back());
            pending.pop_back();
            if (!m_Arguments.conflicts) {
                List(next.Node, {});
            } else if (View().InConflict(next.Node)) {
                View().Settle(next.Stack);
                List(next.Node, next.Stack);
            }
            if (View().IsFolder(next.Node))
                Expand(next.Node, next.Stack, pending);
        }
        if (m_Arguments.json)
            m_Array.Finish();
    }

private:
    // A path still to list, with its stack when conflicts are listed.
    struct TPending {
        TMergeNodeId Node = 0;
        std::vector<TMergeVersion> Stack;
    };

    TMergedView &View() { return m_Set.View(); }

    // Puts a folder's children on `pending`, by folded name. Under
    // --conflicts a folder without any conflict below is passed over, and
    // the children's stacks are made at once from the folder's own stack.
    void Expand(TMergeNodeId folder, const std::vector<TMergeVersion> &stack, std::vector<TPending> &pending)
    {
        if (m_Arguments.conflicts && !View().HasConflictBelow(folder))
            return;
        std::vector<std::pair<std::string, TMergeNodeId>> children;
        for (const TMergeNodeId child : View().Children(folder)) {
            std::string key;
            FoldAnsiText(View().Name(child), key);
            children.emplace_back(std::move(key), child);
        }
        std::sort(children.begin(), children.end());
        const TChildStacks stacks = m_Arguments.conflicts ? View().ChildStacks(folder, stack) : TChildStacks{};
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            TPending child{it->second, {}};
            if (m_Arguments.conflicts && (View().InConflict(child.Node) || View().IsFolder(child.Node)))
                child.Stack.assign(stacks.Of(child.Node).begin(), stacks.Of(child.Node).end());
            pending.push_back(std::move(child));
        }
    }

    // `stack`: the node's versions, settled, when conflicts are listed.
    void List(TMergeNodeId node, const std::vector<TMergeVersion> &stack)
    {
        const std::string path = AnsiToUtf8(View().Path(node)) + (View().IsFolder(node) ? "/" : "");
        const std::string archive = m_Set.ArchiveName(View().Winner(node).Archive);
        if (m_Arguments.json) {
            std::string object = "{\"path\":" + JsonString(path) + ",\"kind\":\""
                                 + (View().IsFolder(node) ? "d" : "f") + "\",\"archive\":" + JsonString(archive)
                                 + FormatStr(",\"hidden\":%u", View().HiddenCount(node));
            if (m_Arguments.conflicts)
                object += ",\"versions\":" + VersionsJson(stack);
            m_Array.Add(object + "}");
            return;
        }
        std::string text = path + "\t" + archive + "\t" + std::to_string(View().HiddenCount(node)) + "\n";
        if (m_Arguments.conflicts)
            for (const TMergeVersion &version : stack)
                text += "\t" + VersionLine(version) + "\n";
        WriteStdout(text);
    }

    std::string VersionLine(const TMergeVersion &version)
    {
        const TVornFile &vorn = View().Archive(version.Archive);
        std::string line = std::string(VersionStateText(version.State)) + "\t" + m_Set.ArchiveName(version.Archive)
                           + "\t" + PriorityToStr(vorn.Header().m_Priority) + "\t";
        if (version.IsFolder)
            return line + "folder\t-";
        const uint32_t crc = vorn.GetCrc32(version.Entry);
        return line + SizeToStr(vorn.GetSize(version.Entry)) + "\t" + (crc ? FormatStr("%08X", crc) : std::string("-"));
    }

    std::string VersionsJson(const std::vector<TMergeVersion> &stack)
    {
        std::string array;
        for (const TMergeVersion &version : stack) {
            const TVornFile &vorn = View().Archive(version.Archive);
            std::string object = "{\"state\":" + JsonString(VersionStateText(version.State))
                                 + ",\"archive\":" + JsonString(m_Set.ArchiveName(version.Archive))
                                 + ",\"priority\":" + JsonString(PriorityToStr(vorn.Header().m_Priority));
            if (version.IsFolder) {
                object += ",\"kind\":\"d\",\"size\":null,\"crc\":null}";
            } else {
                const uint32_t crc = vorn.GetCrc32(version.Entry);
                object += FormatStr(",\"kind\":\"f\",\"size\":%u,\"crc\":", vorn.GetSize(version.Entry))
                          + (crc ? FormatStr("\"%08X\"", crc) : std::string("null")) + "}";
            }
            array += (array.empty() ? "[" : ",") + object;
        }
        return array + "]";
    }

    TToolMergeSet &m_Set;
    const TMergedArguments &m_Arguments;
    TJsonArrayWriter m_Array;
};

int Usage()
{
    std::fputs("usage: vorntool merged ARCHIVE|FOLDER... [--conflicts] [--json]\n", stderr);
    return 2;
}

int RunMerged(const std::vector<std::string> &arguments)
{
    TMergedArguments parsed;
    for (const std::string &word : arguments) {
        if (word == "--conflicts")
            parsed.conflicts = true;
        else if (word == "--json")
            parsed.json = true;
        else if (!word.empty() && word[0] != '-')
            parsed.sources.push_back(word);
        else
            return Usage();
    }
    if (parsed.sources.empty())
        return Usage();
    TToolMergeSet set(parsed.sources);
    TMergedListing(set, parsed).Run();
    return set.LeftOut() ? 1 : 0;
}

} // namespace

TToolCommand MergedCommand()
{
    return {"merged", "ARCHIVE|FOLDER... [--conflicts] [--json]",
            "the tree the game sees: archives merged by priority", SIZE_MAX, RunMerged};
}
