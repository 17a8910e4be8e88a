#include "browser/OutgoingFiles.h"

#include "extract/SameNameFolders.h"

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
