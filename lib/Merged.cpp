// vorn::MergedView: the merge engine (engines/MergedView) behind the public
// API, with paths in UTF-8 and entries as the rest of the library gives them.

#include "vorn/Merged.h"

#include "lib/ArchiveImpl.h"
#include "lib/ErrorTranslation.h"
#include "lib/ExtractReport.h"

#include "archive/PieceReader.h"
#include "archive/vmFunctions.h"
#include "engines/AnsiFold.h"
#include "engines/MergeSources.h"
#include "engines/MergedExtract.h"
#include "engines/MergedView.h"

#include <utility>

namespace vorn {

const char *versionStateName(VersionState state)
{
    switch (state) {
    case VersionState::Winner: return "winner";
    case VersionState::Same: return "same";
    case VersionState::Different: return "different";
    case VersionState::OtherKind: return "other kind";
    case VersionState::Folder: return "folder";
    }
    return "?";
}

namespace {

VersionState PublicState(TVersionState state)
{
    switch (state) {
    case TVersionState::Winner: return VersionState::Winner;
    case TVersionState::Same: return VersionState::Same;
    case TVersionState::OtherKind: return VersionState::OtherKind;
    case TVersionState::Folder: return VersionState::Folder;
    case TVersionState::Different:
    case TVersionState::Unsettled: // settled before; one that could not be is different
        break;
    }
    return VersionState::Different;
}

// "parent/name" of 8-bit names; the root's children have no parent part.
std::string Joined(const std::string &parent, std::string_view name)
{
    return parent.empty() ? std::string(name) : parent + "/" + std::string(name);
}

} // namespace

struct __attribute__((visibility("hidden"))) MergedView::Impl {
    TMergeSources Sources;
    std::unique_ptr<TMergedView> View;
    std::vector<std::string> Problems;

    MergedEntry Describe(TMergeNodeId node, const std::string &path) const
    {
        const TMergeVersion winner = View->Winner(node);
        const TVornFile &vorn = View->Archive(winner.Archive);
        MergedEntry merged;
        merged.entry = MakeEntry(vorn, winner.Entry, path);
        merged.archive = vorn.FileName();
        merged.hidden = View->HiddenCount(node);
        merged.conflict = View->InConflict(node);
        return merged;
    }

    // The node of a UTF-8 path; throws NotFoundError.
    TMergeNodeId Find(const std::string &path) const
    {
        // A character the code page lacks can be in no stored name.
        std::string stored;
        bool storable = true;
        for (const int ch : Utf8ToAnsiChars(path)) {
            storable = storable && ch >= 0;
            stored += char(ch);
        }
        const TMergeNodeId node = storable ? View->Find(stored) : NoMergeNode;
        if (node == NoMergeNode)
            throw NotFoundError("No such entry in the merged view: " + path);
        return node;
    }

    // The files at and below a node (without recursion: a damaged index can
    // nest folders very deep).
    uint64_t CountFiles(TMergeNodeId node) const
    {
        uint64_t files = 0;
        std::vector<TMergeNodeId> open{node};
        while (!open.empty()) {
            const TMergeNodeId next = open.back();
            open.pop_back();
            if (!View->IsFolder(next))
                ++files;
            else
                for (const TMergeNodeId child : View->Children(next))
                    open.push_back(child);
        }
        return files;
    }

    // Depth first below `folder`, each folder before its contents; `keep`
    // chooses which nodes are listed.
    template <typename Keep>
    std::vector<MergedEntry> Walk(TMergeNodeId folder, Keep keep) const
    {
        std::vector<MergedEntry> entries;
        std::vector<std::pair<TMergeNodeId, std::string>> open; // node and its 8-bit path
        const auto openChildren = [&](TMergeNodeId node, const std::string &path) {
            const TMergeNodeRange children = View->Children(node);
            for (TMergeNodeId child = children.Last; child-- > children.First;)
                open.emplace_back(child, Joined(path, View->Name(child)));
        };
        openChildren(folder, View->Path(folder));
        while (!open.empty()) {
            auto [node, path] = std::move(open.back());
            open.pop_back();
            if (keep(node))
                entries.push_back(Describe(node, path));
            if (View->IsFolder(node))
                openChildren(node, path);
        }
        return entries;
    }
};

MergedView::MergedView(const std::vector<std::string> &paths) : d(std::make_unique<Impl>())
{
    Translated<OpenError>([&] {
        for (const std::string &path : paths)
            d->Sources.Add(path);
        d->Problems = d->Sources.Problems();
        d->View = std::make_unique<TMergedView>(d->Sources.ArchivePointers());
        for (const TMergedView::TFailure &failure : d->View->Failures())
            d->Problems.push_back(d->View->Archive(failure.Archive).FileName() + ": " + failure.Message);
    });
    if (d->View->Layers().empty())
        throw OpenError(d->Problems.empty() ? std::string("No archives to merge") : d->Problems.front());
}

MergedView::~MergedView() = default;
MergedView::MergedView(MergedView &&other) noexcept = default;
MergedView &MergedView::operator=(MergedView &&other) noexcept = default;

std::vector<std::string> MergedView::archives() const
{
    std::vector<std::string> names;
    for (const uint32_t archive : d->View->Layers())
        names.push_back(d->View->Archive(archive).FileName());
    return names;
}

std::vector<std::vector<std::string>> MergedView::ties() const
{
    std::vector<std::vector<std::string>> ties;
    for (const std::vector<uint32_t> &tie : d->View->Ties()) {
        ties.emplace_back();
        for (const uint32_t archive : tie)
            ties.back().push_back(d->View->Archive(archive).FileName());
    }
    return ties;
}

std::vector<std::string> MergedView::problems() const
{
    return d->Problems;
}

MergedEntry MergedView::stat(const std::string &path) const
{
    const TMergeNodeId node = d->Find(path);
    return Translated<OpenError>([&] { return d->Describe(node, d->View->Path(node)); });
}

std::vector<MergedEntry> MergedView::list(const std::string &folder) const
{
    const TMergeNodeId node = d->Find(folder);
    if (!d->View->IsFolder(node))
        throw NotFoundError("Not a folder: " + folder);
    return Translated<OpenError>([&] {
        std::vector<MergedEntry> entries;
        const std::string path = d->View->Path(node);
        for (const TMergeNodeId child : d->View->Children(node))
            entries.push_back(d->Describe(child, Joined(path, d->View->Name(child))));
        return entries;
    });
}

std::vector<MergedEntry> MergedView::walk(const std::string &folder) const
{
    const TMergeNodeId node = d->Find(folder);
    return Translated<OpenError>([&] { return d->Walk(node, [](TMergeNodeId) { return true; }); });
}

std::vector<MergedEntry> MergedView::conflicts() const
{
    return Translated<OpenError>(
        [&] { return d->Walk(MergeRoot, [this](TMergeNodeId node) { return d->View->InConflict(node); }); });
}

std::vector<MergedVersion> MergedView::versions(const std::string &path) const
{
    const TMergeNodeId node = d->Find(path);
    return Translated<OpenError>([&] {
        std::vector<TMergeVersion> stack = d->View->Versions(node);
        d->View->Settle(stack);
        const std::string parent = node == MergeRoot ? std::string() : d->View->Path(d->View->Parent(node));
        std::vector<MergedVersion> versions;
        for (const TMergeVersion &version : stack) {
            const TVornFile &vorn = d->View->Archive(version.Archive);
            MergedVersion merged;
            merged.archive = vorn.FileName();
            merged.priority = PriorityToStr(vorn.Header().m_Priority);
            const std::string own = node == MergeRoot ? std::string() : Joined(parent, vorn.GetNameView(version.Entry));
            merged.entry = MakeEntry(vorn, version.Entry, own);
            merged.state = PublicState(version.State);
            versions.push_back(std::move(merged));
        }
        return versions;
    });
}

std::vector<uint8_t> MergedView::read(const std::string &path) const
{
    const TMergeNodeId node = d->Find(path);
    if (d->View->IsFolder(node))
        throw NotFoundError("Not a file: " + path);
    const TMergeVersion winner = d->View->Winner(node);
    return Translated<DecodeError>([&] {
        TPieceReader reader(d->View->Archive(winner.Archive), winner.Entry);
        std::vector<uint8_t> bytes(reader.Size());
        reader.ReadAll(bytes.data());
        return bytes;
    });
}

ExtractResult MergedView::extract(const std::string &targetFolder, const ExtractOptions &options) const
{
    std::vector<TMergeNodeId> nodes;
    for (const std::string &path : options.paths)
        nodes.push_back(d->Find(path));
    if (nodes.empty())
        nodes.push_back(MergeRoot);
    TExtractOptions engineOptions;
    engineOptions.FolderMode = options.keepFolders ? fnFullPath : fnNone;
    engineOptions.OverwriteMode = OverwriteModeOf(options.overwrite);

    TLibraryExtractReport report;
    TMergedExtract extraction(*d->View, report, report);
    Progress progress;
    if (options.progress) {
        for (const TMergeNodeId node : nodes)
            progress.entriesTotal += d->CountFiles(node);
        extraction.SetBeforeFile([&](TMergeNodeId file) {
            progress.current = AnsiToUtf8(d->View->Path(file));
            const bool goOn = options.progress(progress);
            ++progress.entriesDone;
            return goOn;
        });
    }
    const TExtractResult done =
        Translated<Error>([&] { return extraction.Extract(targetFolder, nodes, engineOptions); });
    return report.Result(done);
}

} // namespace vorn
