#include "archive/TreeWalk.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <unordered_set>
#include <vector>

namespace {

struct Frame {
    std::vector<TEntryOffset> children;
    size_t next = 0;
    size_t prefixLength = 0; // of the shared path: the folder's own path and "/"
};

char UpperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

} // namespace

void WalkTree(const TVornFile &vorn, TEntryOffset directory, const TEntryVisitor &visit,
              const TEntryErrorVisitor &failed)
{
    WalkTreeWithDepth(
        vorn, directory, [&](TEntryOffset entry, const std::string &path, size_t) { visit(entry, path); }, failed);
}

void WalkTreeWithDepth(const TVornFile &vorn, TEntryOffset directory, const TEntryDepthVisitor &visit,
                       const TEntryErrorVisitor &failed)
{
    // One path for the whole walk, cut back to the folder's prefix at each
    // step: memory grows with the depth, not with its square.
    std::string path;
    // Reads one part of the index; false when it failed and was reported.
    const auto read = [&](const auto &readPart) {
        try {
            readPart();
            return true;
        } catch (const Exception &error) {
            if (!failed)
                throw;
            failed(path, error.what());
            return false;
        }
    };
    std::vector<Frame> stack(1);
    if (!read([&] { stack[0].children = vorn.GetChildren(directory); }))
        return;
    std::unordered_set<TEntryOffset> entered{directory};
    std::string name;
    while (!stack.empty()) {
        Frame &top = stack.back();
        if (top.next == top.children.size()) {
            stack.pop_back();
            continue;
        }
        const TEntryOffset entry = top.children[top.next++];
        path.resize(top.prefixLength);
        if (!read([&] { name = vorn.GetName(entry); }))
            continue;
        path += name;
        visit(entry, path, stack.size());
        if (!vorn.IsDirectory(entry) || !entered.insert(entry).second)
            continue;
        path += '/';
        Frame below{{}, 0, path.size()};
        if (read([&] { below.children = vorn.GetChildren(entry); }))
            stack.push_back(std::move(below));
    }
}

bool SameTextAsciiCase(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (UpperAscii(a[i]) != UpperAscii(b[i]))
            return false;
    return true;
}

TEntryOffset FindEntry(const TVornFile &vorn, std::string_view path)
{
    TEntryOffset current = vorn.GetRootOffset();
    size_t position = 0;
    while (position < path.size()) {
        size_t end = path.find('/', position);
        if (end == std::string_view::npos)
            end = path.size();
        const std::string_view component = path.substr(position, end - position);
        position = end + 1;
        if (component.empty())
            continue;
        if (!vorn.IsDirectory(current))
            return 0;
        TEntryOffset found = 0;
        for (const TEntryOffset child : vorn.GetChildren(current)) {
            if (SameTextAsciiCase(AnsiToUtf8(vorn.GetName(child)), component)) {
                found = child;
                break;
            }
        }
        if (found == 0)
            return 0;
        current = found;
    }
    return current;
}
