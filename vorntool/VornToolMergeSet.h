#pragma once
// The archives and folders named to vorntool merged and x --merged, opened
// and merged. What is left out -- an archive that can't be opened or whose
// index is damaged, a folder without archives -- and archives of equal
// priority are reported on stderr as the set is made.

#include "engines/MergeSources.h"
#include "engines/MergedView.h"

#include <memory>
#include <string>
#include <vector>

class TToolMergeSet {
public:
    // Raises "No archives to merge" when none could be opened.
    explicit TToolMergeSet(const std::vector<std::string> &paths);

    TMergedView &View() { return *m_View; }
    // Frees the merged view once what it told has been copied; the archives
    // stay open. View() may not be used after it.
    void ReleaseView() { m_View.reset(); }
    // True when something named was left out.
    bool LeftOut() const { return m_LeftOut; }
    // The archive's path as it was named or found, as UTF-8.
    std::string ArchiveName(uint32_t archive) const;

private:
    void ReportTies() const;

    TMergeSources m_Sources;
    std::unique_ptr<TMergedView> m_View;
    bool m_LeftOut = false;
};
