#include "browser/OutgoingFiles.h"

#include "extract/SameNameFolders.h"

#include <algorithm>
#include <map>
#include <utility>

TOutgoingFiles GroupOutgoingRows(const std::vector<TOutgoingRow> &rows)
{
    TOutgoingFiles files;
    files.Names.reserve(qsizetype(rows.size()));
    for (const TOutgoingRow &row : rows)
        files.Names << row.Name;
    const std::vector<int> repeats = SameNameRepeats(files.Names);
    std::map<std::pair<const TVornFile *, int>, size_t> groupOf;
    for (size_t i = 0; i < rows.size(); ++i) {
        const auto [at, added] = groupOf.try_emplace({rows[i].Vorn, repeats[i]}, files.Groups.size());
        if (added)
            files.Groups.push_back({rows[i].Vorn, rows[i].Folder, {}, repeats[i]});
        files.Groups[at->second].Entries.push_back(rows[i].Entry);
    }
    return files;
}

std::vector<TEntryGroup> SplitMergedByRepeat(const TEntryGroup &group, const QStringList &names)
{
    const std::vector<int> repeats = SameNameRepeats(names);
    std::vector<TEntryGroup> groups;
    for (size_t i = 0; i < group.Nodes.size() && i < repeats.size(); ++i) {
        auto into = std::find_if(groups.begin(), groups.end(),
                                 [&](const TEntryGroup &g) { return g.Repeat == repeats[i]; });
        if (into == groups.end()) {
            into = groups.insert(groups.end(), group);
            into->Nodes.clear();
            into->Repeat = repeats[i];
        }
        into->Nodes.push_back(group.Nodes[i]);
    }
    return groups;
}
