#pragma once
// What the library's extractions tell the extraction engine: they never ask
// about a file that exists (the caller's overwrite rule is set before the
// run), and they collect the files that fail for the result.

#include "vorn/Extract.h"

#include "engines/ExtractEngine.h"

#include <vector>

namespace vorn {

class TLibraryExtractReport : public IOverwriteQuestion, public IExtractReport {
public:
    TOverwriteAnswer AskOverwrite(const TOverwriteQuestion &) override { return TOverwriteAnswer::No; }
    void ReportFailure(const TExtractFailure &failure) override { Failures.push_back({failure.Path, failure.Message}); }

    std::vector<Failure> Failures;

    // The caller's result: the engine's totals and the failures collected.
    ExtractResult Result(const TExtractResult &done)
    {
        ExtractResult result;
        result.written = done.Written;
        result.skipped = done.Skipped;
        result.cancelled = done.Cancelled;
        result.failures = std::move(Failures);
        return result;
    }
};

// The engine's overwrite mode for the caller's rule.
inline TOverwriteMode OverwriteModeOf(Overwrite overwrite)
{
    switch (overwrite) {
    case Overwrite::Replace:
        return owReplaceAll;
    case Overwrite::IfOlder:
        return owOnlyOlder;
    case Overwrite::Skip:
        break;
    }
    return owSkipAll;
}

} // namespace vorn
