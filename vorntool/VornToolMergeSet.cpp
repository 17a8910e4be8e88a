#include "vorntool/VornToolMergeSet.h"

#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <cstdio>

TToolMergeSet::TToolMergeSet(const std::vector<std::string> &paths)
{
    for (const std::string &path : paths)
        m_Sources.Add(path);
    for (const std::string &problem : m_Sources.Problems())
        std::fprintf(stderr, "%s\n", problem.c_str());
    m_LeftOut = !m_Sources.Problems().empty();
    m_View = std::make_unique<TMergedView>(m_Sources.ArchivePointers());
    for (const TMergedView::TFailure &failure : m_View->Failures())
        std::fprintf(stderr, "%s: %s (left out)\n", ArchiveName(failure.Archive).c_str(), failure.Message.c_str());
    m_LeftOut = m_LeftOut || !m_View->Failures().empty();
    if (m_View->Layers().empty())
        throw Exception("No archives to merge");
    ReportTies();
}

std::string TToolMergeSet::ArchiveName(uint32_t archive) const
{
    return m_View->Archive(archive).FileName(); // file names on Linux are UTF-8 already
}

void TToolMergeSet::ReportTies() const
{
    for (const std::vector<uint32_t> &tie : m_View->Ties()) {
        std::string names;
        for (const uint32_t archive : tie)
            names += (names.empty() ? "" : ", ") + ArchiveName(archive);
        std::fprintf(stderr, "Equal priority (%s), ordered by file name: %s; %s wins\n",
                     PriorityToStr(m_View->Archive(tie.front()).Header().m_Priority).c_str(), names.c_str(),
                     ArchiveName(tie.back()).c_str());
    }
}
