#include "engines/ArchiveCompare.h"

#include "archive/Exceptions.h"

#include <algorithm>
#include <cstring>

TArchiveCompare::TArchiveCompare(const TVornFile &a, const TVornFile &b) : m_A{a, {}}, m_B{b, {}} {}

TCompareResult TArchiveCompare::Run()
{
    m_Result = {};
    m_A.Entered.clear();
    m_B.Entered.clear();
    std::vector<TFrame> stack;
    stack.push_back(OpenFolders(m_A.Vorn.GetRootOffset(), m_B.Vorn.GetRootOffset(), NoCompareParent));
    while (!stack.empty()) {
        TFrame &top = stack.back();
        if (top.Next == top.Pairs.size()) {
            stack.pop_back();
            continue;
        }
        TPair pair = std::move(top.Pairs[top.Next++]);
        AddItem(top, std::move(pair), stack); // may push, so `top` is not used after this
    }
    MarkFolders(m_Result.Items);
    for (const TCompareItem &item : m_Result.Items) {
        m_Result.Summary.Add(item);
        m_Result.Differ = m_Result.Differ || IsDifference(item.State);
    }
    return std::move(m_Result);
}

TArchiveCompare::TFrame TArchiveCompare::OpenFolders(TEntryOffset a, TEntryOffset b, uint32_t item)
{
    TFrame frame;
    frame.Pairs = PairByName(ReadFolder(m_A, a), ReadFolder(m_B, b));
    frame.Item = item;
    return frame;
}

std::vector<TArchiveCompare::TEntryFacts> TArchiveCompare::ReadFolder(TSide &side, TEntryOffset folder)
{
    std::vector<TEntryFacts> children;
    if (folder == 0)
        return children;
    try {
        // A sound index lists every folder once; meeting one again means the
        // tree loops or shares a folder, and walking it again could go on
        // without end.
        if (!side.Entered.insert(folder).second)
            throw Exception(FormatStr("Damaged index: folder %u is listed more than once", folder));
        const std::vector<TEntryOffset> offsets = side.Vorn.GetChildren(folder);
        children.reserve(offsets.size());
        for (const TEntryOffset child : offsets) {
            if (child == 0) // the parent of the root, never an entry
                throw Exception(FormatStr("Damaged index: folder %u lists entry 0", folder));
            children.push_back(ReadEntry(side.Vorn, child));
        }
    } catch (const Exception &e) {
        throw Exception(side.Vorn.FileName() + ": " + e.message());
    }
    return children;
}

TArchiveCompare::TEntryFacts TArchiveCompare::ReadEntry(const TVornFile &vorn, TEntryOffset entry)
{
    TEntryFacts facts;
    facts.Name = vorn.GetName(entry);
    facts.Entry = entry;
    facts.IsFolder = vorn.IsDirectory(entry);
    if (!facts.IsFolder) {
        facts.Size = vorn.GetSize(entry);
        facts.Crc32 = vorn.GetCrc32(entry);
        facts.Format = vorn.GetFormat(entry);
        facts.CompressedSize = vorn.GetCompressedSize(entry);
        facts.ChunkSize = vorn.GetChunkSize(entry);
    }
    return facts;
}

// Sorts both sides by name (byte order) and kind, folders first, keeping the
// stored order among equal names, then walks them side by side. A name
// stored twice in one folder pairs its first occurrences, then its second.
std::vector<TArchiveCompare::TPair> TArchiveCompare::PairByName(std::vector<TEntryFacts> a,
                                                                std::vector<TEntryFacts> b)
{
    const auto before = [](const TEntryFacts &x, const TEntryFacts &y) {
        if (const int order = x.Name.compare(y.Name); order != 0)
            return order < 0;
        return x.IsFolder && !y.IsFolder;
    };
    for (std::vector<TEntryFacts> *side : {&a, &b})
        if (!std::is_sorted(side->begin(), side->end(), before)) // archives often store names in order
            std::stable_sort(side->begin(), side->end(), before);
    std::vector<TPair> pairs;
    pairs.reserve(std::max(a.size(), b.size()));
    size_t i = 0, j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && before(a[i], b[j])))
            pairs.push_back({std::move(a[i++]), {}});
        else if (i == a.size() || before(b[j], a[i]))
            pairs.push_back({{}, std::move(b[j++])});
        else
            pairs.push_back({std::move(a[i++]), std::move(b[j++])});
    }
    return pairs;
}

void TArchiveCompare::AddItem(TFrame &frame, TPair pair, std::vector<TFrame> &stack)
{
    // An item keeps its own name only; paths are put together when shown.
    const bool inA = pair.A.Entry != 0;
    const bool inB = pair.B.Entry != 0;
    TEntryFacts &any = inA ? pair.A : pair.B;
    TCompareItem item;
    item.Parent = frame.Item;
    item.IsFolder = any.IsFolder;
    item.EntryA = pair.A.Entry;
    item.EntryB = pair.B.Entry;
    item.SizeA = pair.A.Size;
    item.SizeB = pair.B.Size;
    item.Crc32A = pair.A.Crc32;
    item.Crc32B = pair.B.Crc32;
    if (!inB)
        item.State = TCompareState::OnlyInA;
    else if (!inA)
        item.State = TCompareState::OnlyInB;
    else if (!any.IsFolder)
        item.State = CompareFiles(pair.A, pair.B);
    item.Name = std::move(any.Name);
    const uint32_t index = uint32_t(m_Result.Items.size());
    m_Result.Items.push_back(std::move(item));
    if (any.IsFolder)
        stack.push_back(OpenFolders(pair.A.Entry, pair.B.Entry, index));
}

TCompareState TArchiveCompare::CompareFiles(const TEntryFacts &a, const TEntryFacts &b) const
{
    if (a.Size != b.Size)
        return TCompareState::Changed;
    if (a.Size != 0) {
        // Without a stored CRC-32 on either side the index can't tell; the
        // bytes can.
        const bool contentsKnownEqual = a.Crc32 != 0 && b.Crc32 != 0 ? a.Crc32 == b.Crc32
                                                                     : SameContents(a.Entry, b.Entry);
        if (!contentsKnownEqual)
            return TCompareState::Changed;
    }
    if (a.Format != b.Format || a.ChunkSize != b.ChunkSize || a.CompressedSize != b.CompressedSize)
        return TCompareState::Repacked;
    return TCompareState::Same;
}

// A file that can't be read counts as changed: nothing shows it is the same.
bool TArchiveCompare::SameContents(TEntryOffset a, TEntryOffset b) const
{
    try {
        const TFileBuffer bytesA = m_A.Vorn.ReadFile(a);
        const TFileBuffer bytesB = m_B.Vorn.ReadFile(b);
        return bytesA.size() == bytesB.size() && std::memcmp(bytesA.data(), bytesB.data(), bytesA.size()) == 0;
    } catch (const Exception &) {
        return false;
    }
}

void TArchiveCompare::MarkFolders(std::vector<TCompareItem> &items)
{
    // Everything below a folder follows it, so going backwards settles each
    // folder before its own state is passed up.
    for (size_t i = items.size(); i-- > 0;) {
        const TCompareItem &item = items[i];
        if (item.Parent == NoCompareParent)
            continue;
        TCompareItem &folder = items[item.Parent];
        if (folder.State == TCompareState::OnlyInA || folder.State == TCompareState::OnlyInB)
            continue;
        if (IsDifference(item.State))
            folder.State = TCompareState::Changed;
        else if (item.State == TCompareState::Repacked && folder.State == TCompareState::Same)
            folder.State = TCompareState::Repacked;
    }
}
