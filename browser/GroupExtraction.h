#pragma once
// The extraction of one group of selected rows (TEntryGroup): entries of one
// archive, or paths of the merged game view, which are written as the game
// sees them.

#include "browser/OutgoingFiles.h"
#include "engines/ExtractTypes.h"

#include <QString>

class QWidget;
class TBrowserSession;
class TfrmExtractDialog;
struct TExtractHooks;

// The Extract command on the group: the dialog, then the run. False when
// the dialog was cancelled, a job was going on or the game view is gone.
bool ExtractGroup(QWidget *parent, TfrmExtractDialog &dialog, const TEntryGroup &group, const TExtractHooks &hooks);

// The writing at a drop into target. An archive closed since the drag or
// copy began, or a game view made anew since, is passed over: false, as
// when nothing was written.
bool ExtractGroupForDragOut(QWidget *parent, const TBrowserSession &session, const TEntryGroup &group,
                            const QString &target, const TExtractHooks &hooks, TOverwriteMode overwrite);
