#pragma once
// TFolderLayout: where each folder of an archive sits in the folder tree,
// worked out once when the archive is read (on the worker that reads it), so
// the tree makes a folder's nodes only when they are shown and finds the way
// down to any folder without walking the index.
//
// The walk is depth first from the root with each folder placed below the
// first folder found to list it, so a damaged index that lists a folder
// inside itself (or inside one of its subfolders) places it once and ends.
// An index whose folders can't be read (a child count running past the
// index, a name that can't be read) raises while the layout is made; so does
// (EAbort) a walk whose `cancel` flag turns true.
//
// It also puts the root's entries in the file list's name order, so that
// listing a root of many thousands of entries needs no sort on the window's
// thread.

#include "archive/vmVornFileDef.h"

#include <atomic>
#include <cstdint>
#include <span>
#include <unordered_map>
#include <vector>

class TVornFile;

class TFolderLayout {
public:
    explicit TFolderLayout(const TVornFile &vorn, const std::atomic<bool> *cancel = nullptr);

    TEntryOffset Root() const { return m_Folders.front(); }
    // Folders placed, the root among them.
    size_t Count() const { return m_Folders.size(); }
    bool Contains(TEntryOffset folder) const { return m_PlaceOf.contains(folder); }
    // The subfolders placed below a folder, in stored order; none for a
    // folder that is not placed.
    std::span<const TEntryOffset> Subfolders(TEntryOffset folder) const;
    bool HasSubfolders(TEntryOffset folder) const { return !Subfolders(folder).empty(); }
    // The folders on the way down from the root to `folder`: a child of the
    // root first, `folder` last; empty for the root and for a folder that is
    // not placed (see Contains).
    std::vector<TEntryOffset> PathTo(TEntryOffset folder) const;
    // Where `folder` is among its parent's subfolders; 0 for the root.
    size_t IndexInParent(TEntryOffset folder) const;
    // The root's entries, files too, folders first and each part by name as
    // the file list sorts them (CompareByName); empty when a name in the
    // root can't be read, which the list then reports itself.
    std::span<const TEntryOffset> RootByName() const { return m_RootByName; }

private:
    // A placed folder: its parent's place and the range of its subfolders'
    // places, which follow one another.
    struct TPlace {
        uint32_t parent = 0;
        uint32_t firstChild = 0;
        uint32_t childCount = 0;
    };
    uint32_t Place(TEntryOffset folder) const;
    void SortRootByName(const TVornFile &vorn);

    std::vector<TEntryOffset> m_Folders; // by place; the root at place 0
    std::vector<TPlace> m_Places;
    std::unordered_map<TEntryOffset, uint32_t> m_PlaceOf;
    std::vector<TEntryOffset> m_RootByName;
};
