#pragma once
// Walking an archive's directory tree and finding entries by path. A damaged
// index can list a folder inside itself; every walk enters each directory at
// most once, so it always ends.

#include "archive/vmVornFile.h"

#include <functional>
#include <string>
#include <string_view>

// Called for every entry below `directory`, depth first in stored order, with
// the entry's path relative to `directory` (8-bit names joined with "/"). The
// path is one buffer shared by the whole walk: it is valid during the call.
using TEntryVisitor = std::function<void(TEntryOffset entry, const std::string &relativePath)>;
// Called instead of `visit` where the index can't be read (a damaged index),
// with the error's message and the path of the folder concerned (with a
// trailing "/"): the one holding an entry whose name can't be read, or the
// one whose children can't be read.
using TEntryErrorVisitor = std::function<void(const std::string &folderPath, const std::string &message)>;
// Without `failed`, the first such error is raised and ends the walk; with
// it, the walk goes on with the next entry.
void WalkTree(const TVornFile &vorn, TEntryOffset directory, const TEntryVisitor &visit,
              const TEntryErrorVisitor &failed = {});
// The same walk, telling each entry's depth too: 1 for the children of
// `directory`, 2 for theirs, and so on.
using TEntryDepthVisitor = std::function<void(TEntryOffset entry, const std::string &relativePath, size_t depth)>;
void WalkTreeWithDepth(const TVornFile &vorn, TEntryOffset directory, const TEntryDepthVisitor &visit,
                       const TEntryErrorVisitor &failed = {});

// The entry at a "/"-separated path below the root, comparing names with the
// letters a-z in any case (names are given in UTF-8); 0 when there is none.
// An empty path gives the root.
TEntryOffset FindEntry(const TVornFile &vorn, std::string_view path);

// True when the two texts are equal with a-z compared regardless of case.
bool SameTextAsciiCase(std::string_view a, std::string_view b);
