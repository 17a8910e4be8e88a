#include "browser/GroupExtraction.h"

#include "browser/BrowserSession.h"
#include "engines/MergedView.h"
#include "extract/ExtractCommand.h"

bool ExtractGroup(QWidget *parent, TfrmExtractDialog &dialog, const TEntryGroup &group, const TExtractHooks &hooks)
{
    if (!group.IsMerged())
        return RunExtraction(parent, dialog, *group.Vorn, group.Folder, group.Entries, hooks);
    const std::shared_ptr<const TMergedView> view = group.Merged.lock();
    return view && RunMergedExtraction(parent, dialog, *view, group.MergedFolder, group.Nodes, hooks);
}

bool ExtractGroupForDragOut(QWidget *parent, const TBrowserSession &session, const TEntryGroup &group,
                            const QString &target, const TExtractHooks &hooks, TOverwriteMode overwrite)
{
    if (group.IsMerged()) {
        const std::shared_ptr<const TMergedView> view = group.Merged.lock();
        return view && ExtractMergedForDragOut(parent, *view, group.Nodes, target, hooks, overwrite);
    }
    return session.IsOpen(group.Vorn)
           && ExtractForDragOut(parent, *group.Vorn, group.Folder, group.Entries, target, hooks, overwrite);
}
