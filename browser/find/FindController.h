#pragma once
// TFindController: find over the archives of a browsing session. It owns the
// find bar, the Find dialog and the result model, runs each search on a
// thread of its own (name criteria over a cached name index per archive,
// then the content criterion on worker threads) and streams the results into
// the file list, which shows them through the list selection like any other
// list. It exposes its bar and actions; the window places them.
//
// A keystroke must not hold up the window: the rows found meanwhile are
// added to the list at most every FlushInterval (a view lays out all its
// rows at each insertion), the count following each addition, and a new
// search cancels the one before without waiting for its thread, which ends
// on its own (only closing an archive waits for the threads reading it).
//
// While the list shows a folder of the game view, a search looks at what the
// game sees: the winners of the merged paths (in the listed folder and below,
// or everywhere), each found in its winning archive's name index and read
// from that archive; hidden versions are never found. Its results are merged
// paths, and going to their folder goes to the game view.

#include "browser/find/FormFind.h"
#include "browser/find/SearchResultModel.h"
#include "engines/FindCriteria.h"
#include "engines/MergedTree.h"

#include <QObject>
#include <QStringList>

#include <functional>
#include <string>

#include <atomic>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

class QAction;
class QTimer;
class QWidget;
class TBrowserSession;
class TFindBar;
class TJob;
class TListSelection;
class TMergedView;
class TNameIndex;
class TUiSeam;
class TVornFile;
class TWinnerItems;

class TFindController : public QObject {
    Q_OBJECT

public:
    // A folder of the game view.
    struct TGamePlace {
        std::shared_ptr<const TMergedView> View; // null: not the game view
        TMergeNodeId Folder = MergeRoot;
    };
    // What Find needs of the game view; the window hands it over.
    struct TGameHooks {
        // The listed game folder while the list shows one; no view otherwise.
        std::function<TGamePlace()> ListedFolder;
        // Lists a folder of this view in the game view; false when the game
        // view shows another merge by now (or none).
        std::function<bool(const TMergedView &view, TMergeNodeId folder)> ShowFolder;
    };

    // `window` parents the dialog and the error boxes.
    TFindController(TBrowserSession &session, TListSelection &list, TUiSeam &ui, QWidget *window);
    ~TFindController() override;

    TFindBar *Bar() const { return m_Bar; }
    TfrmFind *Dialog() const { return m_Dialog; }
    TSearchResultModel *Results() const { return m_Results; }
    // Ctrl+F: into the find bar.
    QAction *FocusBarAction() const { return m_FocusBar; }
    // Actions > "Find...".
    QAction *DialogAction() const { return m_DialogAction; }
    // The list's pop-up: "Go to folder", shown while results are.
    QAction *GoToFolderAction() const { return m_GoToFolder; }
    bool ShowingResults() const { return m_Showing; }
    bool Searching() const { return m_Thread.joinable() && !m_Finished; }
    void SetGameHooks(TGameHooks hooks) { m_GameHooks = std::move(hooks); }

    // Starts a search; a bad pattern shows in the bar and nothing starts.
    void Search(const TFindCriteria &criteria, TFindScope scope);
    // The Find dialog, then a search with what it holds.
    void ShowDialog();
    void CancelSearch();
    // Processes events until the running search has delivered everything.
    void WaitForSearch();
    // How long found rows wait, at most, to be added to the list together.
    static constexpr int FlushInterval = 40; // ms
    // Back to the folder listing (another view's list stays).
    void LeaveResults();
    // Back to where the search started: the game view's folder or the listing.
    void ReturnFromResults();
    // Shows the folder of the one selected result and selects the entry in
    // its listing.
    void GoToFolder();

signals:
    void searchFinished();
    // The list shows the results (true) or the folder listing again.
    void showingResultsChanged(bool showing);
    // Asks whoever shows the session's folders to list this one.
    void folderRequested(const TVornFile *vorn, TEntryOffset folder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct TScopeArchive {
        const TVornFile *Vorn;
        TEntryOffset Folder;                 // 0: the whole archive
        std::vector<uint32_t> Candidates;    // narrowing: the previous results only
        bool Narrowed = false;
        bool DamagedOnly = false;            // keep only the entries below
        std::vector<TEntryOffset> Damaged;   // sorted: the archive's last test found them damaged
        uint32_t ViewArchive = 0;            // in the game view: the archive's number in the view
        TMergeNodeId GameFolder = MergeRoot; // in the game view: keep only the winners below it
    };
    struct TFailure {
        std::string Path;
        std::string Message;
    };

    void CreateWidgets();
    void FollowShownList();
    void UpdateGoToFolder();
    // The session lets go of an archive: the search stops reading it.
    void ArchiveClosing(const TVornFile &vorn);
    void OnTextEdited(const QString &text);
    std::vector<TScopeArchive> ScopeArchives(TFindScope scope, bool narrow) const;
    // With the damaged criterion: each archive's damaged entries, and the
    // names of the archives not tested yet in m_Untested.
    void TakeDamagedMarks(std::vector<TScopeArchive> &archives);
    static std::vector<uint32_t> KeepDamaged(const TScopeArchive &archive, const TNameIndex &index,
                                             const std::vector<uint32_t> &items);
    // In the game view: which indexed items win a merged path (made once per view).
    std::shared_ptr<const TWinnerItems> WinnersFor(const std::shared_ptr<const TMergedView> &view);
    // Lists a folder of the searched game view; raises when it is gone.
    void ShowGameFolder(TMergeNodeId folder);
    QString StatusText(size_t failures) const;
    QString UntestedDetails() const;
    void EnterResults();
    void NarrowHere(const TFindCriteria &criteria, const std::vector<TScopeArchive> &archives,
                    const std::map<std::string, std::string> &descriptions);
    // Runs on the search thread.
    struct TRunState {
        std::atomic<bool> Cancel{false};
        std::atomic<bool> Ended{false};
        std::shared_ptr<TJob> Job;
    };
    void RunThread(uint64_t generation, TFindCriteria criteria, std::vector<TScopeArchive> archives,
                   std::map<std::string, std::string> descriptions, std::shared_ptr<const TMergedView> game,
                   std::shared_ptr<TRunState> state);
    // The type description of every extension in the archives (folded
    // extension -> UTF-8 text); empty without a type criterion.
    std::map<std::string, std::string> TypeDescriptions(const TFindCriteria &criteria,
                                                        const std::vector<const TVornFile *> &archives);
    const TNameIndex &IndexFor(const TVornFile &vorn);
    void Post(uint64_t generation, std::function<void()> work);
    // Queues found rows; they are shown by the next flush.
    void Deliver(uint32_t archive, std::vector<uint32_t> items, std::vector<TMergeNodeId> nodes);
    void FlushResults();
    // Joins the threads of earlier searches that have ended (all: wait for them).
    void ReapThreads(bool all);
    void Finish(uint64_t generation, bool completed, std::vector<TFailure> failures);
    void UpdateProgress();

    TBrowserSession &m_Session;
    TListSelection &m_List;
    TUiSeam &m_Ui;
    QWidget *m_Window;
    TFindBar *m_Bar = nullptr;
    TfrmFind *m_Dialog = nullptr;
    TSearchResultModel *m_Results = nullptr;
    QAction *m_FocusBar = nullptr;
    QAction *m_DialogAction = nullptr;
    QAction *m_GoToFolder = nullptr;
    QTimer *m_ProgressTimer = nullptr;
    QTimer *m_FlushTimer = nullptr;
    bool m_Showing = false;

    TFindCriteria m_Criteria;
    TFindScope m_Scope = TFindScope::AllArchives;
    bool m_LastCompleted = false;
    std::vector<const TVornFile *> m_LastArchives;
    QStringList m_Untested; // archives of the last damaged search that were never tested
    TGameHooks m_GameHooks;
    TGamePlace m_Place; // where the shown results were searched: the game view, or the archives
    const TMergedView *m_LastGame = nullptr;

    std::thread m_Thread;
    std::shared_ptr<TRunState> m_Run; // the running search's cancel flag and job
    // Threads of cancelled searches, ending on their own.
    std::vector<std::pair<std::thread, std::shared_ptr<TRunState>>> m_Retired;
    std::atomic<uint64_t> m_Generation{0};
    bool m_Finished = true;
    std::shared_ptr<TJob> m_Job; // the content phase's progress, cancel and failures
    std::mutex m_IndexMutex;
    std::mutex m_BuildMutex; // one index is built at a time, without holding m_IndexMutex
    std::map<const TVornFile *, std::unique_ptr<TNameIndex>> m_Indexes;
    std::shared_ptr<const TWinnerItems> m_Winners; // of the indexes above, for m_WinnersOf
    std::weak_ptr<const TMergedView> m_WinnersOf;
};
