#pragma once
// TFindController: find over the archives of a browsing session. It owns the
// find bar, the Find dialog and the result model, runs each search on a
// thread of its own (name criteria over a cached name index per archive,
// then the content criterion on worker threads) and streams the results into
// the file list, which shows them through the list selection like any other
// list. It exposes its bar and actions; the window places them.

#include "browser/find/FormFind.h"
#include "browser/find/SearchResultModel.h"
#include "engines/FindCriteria.h"

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
class TNameIndex;
class TUiSeam;
class TVornFile;

class TFindController : public QObject {
    Q_OBJECT

public:
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

    // Starts a search; a bad pattern shows in the bar and nothing starts.
    void Search(const TFindCriteria &criteria, TFindScope scope);
    // The Find dialog, then a search with what it holds.
    void ShowDialog();
    void CancelSearch();
    // Processes events until the running search has delivered everything.
    void WaitForSearch();
    // Back to the folder listing.
    void LeaveResults();
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
    QString StatusText(size_t failures) const;
    QString UntestedDetails() const;
    void EnterResults();
    void NarrowHere(const TFindCriteria &criteria, const std::vector<TScopeArchive> &archives,
                    const std::map<std::string, std::string> &descriptions);
    // Runs on the search thread.
    void RunThread(uint64_t generation, TFindCriteria criteria, std::vector<TScopeArchive> archives,
                   std::map<std::string, std::string> descriptions);
    // The type description of every extension in the archives (folded
    // extension -> UTF-8 text); empty without a type criterion.
    std::map<std::string, std::string> TypeDescriptions(const TFindCriteria &criteria,
                                                        const std::vector<const TVornFile *> &archives);
    const TNameIndex &IndexFor(const TVornFile &vorn);
    void Post(uint64_t generation, std::function<void()> work);
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
    bool m_Showing = false;

    TFindCriteria m_Criteria;
    TFindScope m_Scope = TFindScope::AllArchives;
    bool m_LastCompleted = false;
    std::vector<const TVornFile *> m_LastArchives;
    QStringList m_Untested; // archives of the last damaged search that were never tested

    std::thread m_Thread;
    std::atomic<bool> m_Cancel{false};
    std::atomic<uint64_t> m_Generation{0};
    bool m_Finished = true;
    std::shared_ptr<TJob> m_Job; // the content phase's progress, cancel and failures
    std::mutex m_IndexMutex;
    std::map<const TVornFile *, std::unique_ptr<TNameIndex>> m_Indexes;
};
