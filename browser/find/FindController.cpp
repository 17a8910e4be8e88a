#include "browser/find/FindController.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/DetailsView.h"
#include "browser/FileListView.h"
#include "browser/FileTypes.h"
#include "browser/GenFunctions.h"
#include "browser/ListSelection.h"
#include "browser/UiSeam.h"
#include "browser/find/FindBar.h"
#include "engines/AnsiFold.h"
#include "engines/ContentSearch.h"
#include "engines/MergedView.h"
#include "engines/NameIndex.h"
#include "engines/NameSearch.h"
#include "engines/WinnerItems.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include <algorithm>
#include <set>

namespace {

constexpr int FolderColumnWidth = 140;
constexpr int ArchiveColumnWidth = 100;

// The folded extension of a stored name, the key of type descriptions.
std::string ExtensionKey(std::string_view name)
{
    const size_t dot = name.rfind('.');
    std::string key;
    FoldAnsiText(dot == std::string_view::npos ? std::string_view() : name.substr(dot), key);
    return key;
}

QString CountText(size_t count)
{
    return count == 1 ? QStringLiteral("1 found") : QStringLiteral("%1 found").arg(count);
}

QString ArchiveName(const TVornFile &vorn)
{
    return FileNamePart(PathFromLocal(vorn.FileName()));
}

} // namespace

TFindController::TFindController(TBrowserSession &session, TListSelection &list, TUiSeam &ui, QWidget *window)
    : QObject(window), m_Session(session), m_List(list), m_Ui(ui), m_Window(window)
{
    m_Results = new TSearchResultModel(this);
    m_Results->SetDamagedEntries(&session.Damaged());
    connect(&session, &TBrowserSession::damagedChanged, m_Results, &TEntryListModel::DamagedEntriesChanged);
    connect(&session, &TBrowserSession::archiveAboutToClose, this,
            [this](const TVornFile *vorn) { ArchiveClosing(*vorn); });
    connect(m_Results, &TSearchResultModel::gameFolderOpened, this, [this](TMergeNodeId folder) {
        RunReporting(m_Ui, m_Window, [this, folder] { ShowGameFolder(folder); });
    });
    m_Dialog = new TfrmFind(window);
    m_ProgressTimer = new QTimer(this);
    m_ProgressTimer->setInterval(100);
    connect(m_ProgressTimer, &QTimer::timeout, this, &TFindController::UpdateProgress);
    m_FlushTimer = new QTimer(this);
    m_FlushTimer->setSingleShot(true);
    connect(m_FlushTimer, &QTimer::timeout, this, &TFindController::FlushResults);
    CreateWidgets();
}

TFindController::~TFindController()
{
    if (m_Run)
        m_Run->Cancel = true;
    if (m_Job)
        m_Job->Cancel();
    if (m_Thread.joinable())
        m_Thread.join();
    ReapThreads(true);
}

void TFindController::CreateWidgets()
{
    m_Bar = new TFindBar(m_Window);
    connect(m_Bar, &TFindBar::textEdited, this, &TFindController::OnTextEdited);
    connect(m_Bar, &TFindBar::dialogRequested, this, [this] { ShowDialog(); });
    connect(m_Bar, &TFindBar::escapePressed, this, [this] {
        CancelSearch();
        ReturnFromResults();
    });

    m_FocusBar = new QAction(QStringLiteral("Find"), this);
    m_FocusBar->setObjectName(QStringLiteral("actFindBar"));
    m_FocusBar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(m_FocusBar, &QAction::triggered, m_Bar, &TFindBar::FocusField);
    m_DialogAction = new QAction(QStringLiteral("Find..."), this);
    m_DialogAction->setObjectName(QStringLiteral("actFindDialog"));
    m_DialogAction->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    m_DialogAction->setStatusTip(QStringLiteral("Find entries by name, type, size, format, date or content"));
    connect(m_DialogAction, &QAction::triggered, this, [this] { ShowDialog(); });

    m_GoToFolder = new QAction(QStringLiteral("Go to folder"), this);
    m_GoToFolder->setObjectName(QStringLiteral("popmniGoToFolder"));
    m_GoToFolder->setVisible(false);
    connect(m_GoToFolder, &QAction::triggered, this, [this] { RunReporting(m_Ui, m_Window, [this] { GoToFolder(); }); });
    connect(&m_List, &TListSelection::selectionChanged, this, &TFindController::UpdateGoToFolder);
    // Whoever shows another list (the window opening a folder) ends the result view.
    connect(&m_List, &TListSelection::modelChanged, this, &TFindController::FollowShownList);

    for (QAbstractItemView *view : m_List.View().Views())
        view->installEventFilter(this);
}

void TFindController::FollowShownList()
{
    const bool showing = m_List.Model() == m_Results;
    if (showing == m_Showing)
        return;
    m_Showing = showing;
    UpdateGoToFolder();
    emit showingResultsChanged(showing);
}

void TFindController::UpdateGoToFolder()
{
    m_GoToFolder->setVisible(m_Showing);
    m_GoToFolder->setEnabled(m_Showing && m_List.Count() == 1);
}

bool TFindController::eventFilter(QObject *watched, QEvent *event)
{
    if (!m_Showing || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() == Qt::Key_Escape) {
        CancelSearch();
        ReturnFromResults();
        return true;
    }
    // Backspace goes up from a folder, and from the results back to it.
    if (key->key() == Qt::Key_Backspace && !(key->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier))) {
        ReturnFromResults();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TFindController::OnTextEdited(const QString &text)
{
    if (text.isEmpty()) {
        CancelSearch();
        ReturnFromResults();
        m_Bar->ShowStatus(QString());
        return;
    }
    TFindCriteria criteria;
    criteria.Name = text.toStdString();
    Search(criteria, m_Scope);
}

void TFindController::ShowDialog()
{
    TFindCriteria shown = m_Criteria;
    if (shown.Name.empty())
        shown.Name = m_Bar->Text().toStdString();
    m_Dialog->SetCriteria(shown, m_Scope);
    if (m_Ui.execDialog(*m_Dialog)) {
        m_Bar->Field()->setText(QString::fromStdString(m_Dialog->Criteria().Name));
        Search(m_Dialog->Criteria(), m_Dialog->Scope());
    }
}

std::vector<TFindController::TScopeArchive> TFindController::ScopeArchives(TFindScope scope, bool narrow) const
{
    std::vector<TScopeArchive> archives;
    if (const TMergedView *game = m_Place.View.get()) {
        // Every scope is the game's: its listed folder, or all of it.
        for (const uint32_t layer : game->Layers()) {
            TScopeArchive archive{&game->Archive(layer), 0, {}};
            archive.ViewArchive = layer;
            archive.GameFolder = scope == TFindScope::CurrentFolder ? m_Place.Folder : MergeRoot;
            archives.push_back(std::move(archive));
        }
    } else if (scope == TFindScope::AllArchives) {
        for (const auto &vorn : m_Session.OpenVorns())
            archives.push_back({vorn.get(), 0, {}, false});
    } else if (m_Session.ActiveVorn()) {
        const TEntryOffset folder = scope == TFindScope::CurrentFolder ? m_Session.CurrentFolder() : 0;
        archives.push_back({m_Session.ActiveVorn(), folder, {}, false});
    }
    if (!narrow)
        return archives;
    for (TScopeArchive &archive : archives)
        archive.Narrowed = true;
    for (const TSearchResultModel::TRow &row : m_Results->Rows())
        for (TScopeArchive &archive : archives)
            if (&m_Results->VornOf(row) == archive.Vorn)
                archive.Candidates.push_back(row.Item);
    return archives;
}

void TFindController::Search(const TFindCriteria &criteria, TFindScope scope)
{
    try {
        criteria.Validate();
    } catch (const Exception &error) {
        m_Bar->ShowError(QString::fromUtf8(error.what()));
        return;
    }
    if (!m_Showing) // a further search from the results looks where the first one did
        m_Place = m_GameHooks.ListedFolder ? m_GameHooks.ListedFolder() : TGamePlace();
    std::vector<const TVornFile *> current;
    for (const TScopeArchive &archive : ScopeArchives(scope, false))
        current.push_back(archive.Vorn);
    // Looking only at the previous results pays while they are few; a large
    // share of the entries is faster found again by one scan over all names.
    size_t indexed = 0;
    {
        const std::lock_guard<std::mutex> lock(m_IndexMutex);
        for (const auto &[vorn, index] : m_Indexes)
            indexed += index->Count();
    }
    const bool narrow = m_LastCompleted && m_Showing && scope == m_Scope && current == m_LastArchives
                        && m_Place.View.get() == m_LastGame && scope != TFindScope::CurrentFolder && criteria.Narrows(m_Criteria)
                        && m_Results->Rows().size() * 4 < indexed && !criteria.Damaged;
    std::vector<TScopeArchive> archives = ScopeArchives(scope, narrow);
    CancelSearch();
    m_Untested.clear();
    if (criteria.Damaged)
        TakeDamagedMarks(archives);
    m_Criteria = criteria;
    m_Scope = scope;
    m_LastArchives = current;
    m_LastGame = m_Place.View.get();
    m_LastCompleted = false;
    if (archives.empty()) {
        m_Bar->ShowStatus(QStringLiteral("No archive open"));
        return;
    }
    m_Results->Clear();
    m_Results->SetGame(m_Place.View);
    EnterResults();
    if (narrow && !criteria.HasContent()) {
        NarrowHere(criteria, archives, TypeDescriptions(criteria, current));
        return;
    }
    ReapThreads(false);
    m_Job = std::make_shared<TJob>();
    m_Run = std::make_shared<TRunState>();
    m_Run->Job = m_Job;
    m_Finished = false;
    const uint64_t generation = ++m_Generation;
    m_Bar->ShowStatus(QStringLiteral("Searching..."));
    m_Thread = std::thread(&TFindController::RunThread, this, generation, criteria, std::move(archives),
                           TypeDescriptions(criteria, current), m_Place.View, m_Run);
    m_ProgressTimer->start();
}

void TFindController::NarrowHere(const TFindCriteria &criteria, const std::vector<TScopeArchive> &archives,
                                 const std::map<std::string, std::string> &descriptions)
{
    // A further keystroke looks at the previous results only: a few
    // milliseconds, so it runs here and the list is complete at once,
    // without the hand-over to a thread and back.
    const TNameSearch search(criteria, [&descriptions](std::string_view name) {
        const auto found = descriptions.find(ExtensionKey(name));
        return found == descriptions.end() ? std::string() : found->second;
    });
    const std::shared_ptr<const TWinnerItems> winners = m_Place.View ? WinnersFor(m_Place.View) : nullptr;
    for (uint32_t k = 0; k < archives.size(); ++k) {
        const TNameIndex &index = IndexFor(*archives[k].Vorn);
        m_Results->AddArchive(index, ArchiveName(index.Vorn()));
        search.Run(index, archives[k].Candidates, [&](const std::vector<uint32_t> &found) {
            std::vector<uint32_t> items = found;
            std::vector<TMergeNodeId> nodes;
            if (winners)
                winners->Keep(archives[k].ViewArchive, items, nodes, archives[k].GameFolder);
            m_Results->Queue(k, items, nodes);
        });
    }
    m_Results->Flush();
    m_LastCompleted = true;
    m_Bar->ShowStatus(StatusText(0));
    emit searchFinished();
}

void TFindController::TakeDamagedMarks(std::vector<TScopeArchive> &archives)
{
    // The marks are copied: the search thread must not read what a test
    // running meanwhile would change.
    const TDamagedEntries &marks = m_Session.Damaged();
    for (TScopeArchive &archive : archives) {
        archive.DamagedOnly = true;
        archive.Damaged = marks.Entries(archive.Vorn);
        if (!marks.Tested(archive.Vorn))
            m_Untested << ArchiveName(*archive.Vorn);
    }
}

std::vector<uint32_t> TFindController::KeepDamaged(const TScopeArchive &archive, const TNameIndex &index,
                                                   const std::vector<uint32_t> &items)
{
    if (!archive.DamagedOnly)
        return items;
    std::vector<uint32_t> kept;
    for (const uint32_t item : items)
        if (std::binary_search(archive.Damaged.begin(), archive.Damaged.end(), index.Item(item).Entry))
            kept.push_back(item);
    return kept;
}

QString TFindController::StatusText(size_t failures) const
{
    QString text = CountText(m_Results->Rows().size());
    if (failures > 0)
        text += QStringLiteral(", %1 could not be searched").arg(failures);
    // Testing reads every byte of an archive, which a search does not start
    // on its own; the user is told which archives the answer leaves out
    // (named in the tooltip).
    if (m_Untested.size() == 1)
        text += QStringLiteral("; 1 archive not tested");
    else if (!m_Untested.isEmpty())
        text += QStringLiteral("; %1 archives not tested").arg(m_Untested.size());
    return text;
}

QString TFindController::UntestedDetails() const
{
    if (m_Untested.isEmpty())
        return QString();
    return QStringLiteral("Not tested to the end yet (Actions > Test Archive): %1\n").arg(m_Untested.join(QStringLiteral(", ")));
}

void TFindController::CancelSearch()
{
    if (m_Run)
        m_Run->Cancel = true;
    if (m_Job)
        m_Job->Cancel();
    // Not waited for: the thread sees the flag within a few thousand
    // entries, or when it has made the index it is making, and ends alone.
    if (m_Thread.joinable())
        m_Retired.emplace_back(std::move(m_Thread), m_Run);
    ++m_Generation; // whatever it posted is stale now
    if (!m_Finished) {
        m_Finished = true;
        m_ProgressTimer->stop();
        FlushResults(); // what it found so far is shown
        m_Bar->ShowStatus(CountText(m_Results->Rows().size()) + QStringLiteral(" (stopped)"));
    }
}

void TFindController::ReapThreads(bool all)
{
    for (auto it = m_Retired.begin(); it != m_Retired.end();) {
        if (all || it->second->Ended) {
            it->first.join();
            it = m_Retired.erase(it);
        } else {
            ++it;
        }
    }
}

void TFindController::Deliver(uint32_t archive, std::vector<uint32_t> items, std::vector<TMergeNodeId> nodes)
{
    m_Results->Queue(archive, items, nodes);
    // The first rows show at once, later ones together.
    if (!m_FlushTimer->isActive())
        m_FlushTimer->start(m_Results->Rows().empty() ? 0 : FlushInterval);
}

void TFindController::FlushResults()
{
    m_FlushTimer->stop();
    if (m_Results->Flush() > 0 && !m_Finished)
        UpdateProgress();
}

void TFindController::WaitForSearch()
{
    while (!m_Finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

const TNameIndex &TFindController::IndexFor(const TVornFile &vorn)
{
    const auto made = [this, &vorn]() -> const TNameIndex * {
        const std::lock_guard<std::mutex> lock(m_IndexMutex);
        const auto found = m_Indexes.find(&vorn);
        return found == m_Indexes.end() ? nullptr : found->second.get();
    };
    if (const TNameIndex *index = made())
        return *index;
    // Made without holding the table, so the window can still look at it
    // while a search thread makes an index.
    const std::lock_guard<std::mutex> building(m_BuildMutex);
    if (const TNameIndex *index = made())
        return *index; // made meanwhile by another search
    auto index = std::make_unique<TNameIndex>(vorn);
    const std::lock_guard<std::mutex> lock(m_IndexMutex);
    return *(m_Indexes[&vorn] = std::move(index));
}

std::shared_ptr<const TWinnerItems> TFindController::WinnersFor(const std::shared_ptr<const TMergedView> &view)
{
    {
        const std::lock_guard<std::mutex> lock(m_IndexMutex);
        if (m_Winners && m_WinnersOf.lock() == view)
            return m_Winners;
    }
    std::vector<const TNameIndex *> indexes(view->ArchiveCount(), nullptr);
    for (const uint32_t layer : view->Layers())
        indexes[layer] = &IndexFor(view->Archive(layer));
    auto winners = std::make_shared<const TWinnerItems>(*view, indexes);
    const std::lock_guard<std::mutex> lock(m_IndexMutex);
    m_Winners = winners;
    m_WinnersOf = view;
    return winners;
}

std::map<std::string, std::string> TFindController::TypeDescriptions(const TFindCriteria &criteria,
                                                                    const std::vector<const TVornFile *> &archives)
{
    // Descriptions come from the format registry, which belongs to this
    // thread: looked up here, once per extension, before the search starts.
    std::map<std::string, std::string> descriptions;
    if (criteria.Types.empty())
        return descriptions;
    std::set<std::string> extensions;
    for (const TVornFile *vorn : archives) {
        const TNameIndex &index = IndexFor(*vorn);
        for (size_t i = 0; i < index.Count(); ++i)
            if (!index.Item(i).IsFolder)
                extensions.insert(ExtensionKey(index.Name(i)));
    }
    for (const std::string &extension : extensions)
        descriptions[extension] = FileTypeDescription(AnsiToQString("x" + extension)).toStdString();
    return descriptions;
}

void TFindController::Post(uint64_t generation, std::function<void()> work)
{
    QMetaObject::invokeMethod(
        this,
        [this, generation, work = std::move(work)] {
            if (generation == m_Generation)
                work();
        },
        Qt::QueuedConnection);
}

void TFindController::RunThread(uint64_t generation, TFindCriteria criteria, std::vector<TScopeArchive> archives,
                                std::map<std::string, std::string> descriptions, std::shared_ptr<const TMergedView> game,
                                std::shared_ptr<TRunState> state)
{
    const std::atomic<bool> &cancel = state->Cancel;
    std::vector<TFailure> failures;
    bool completed = true;
    try {
        std::vector<const TNameIndex *> indexes;
        for (const TScopeArchive &archive : archives)
            indexes.push_back(&IndexFor(*archive.Vorn));
        const std::shared_ptr<const TWinnerItems> winners = game ? WinnersFor(game) : nullptr;
        const TNameSearch search(criteria, [&descriptions](std::string_view name) {
            const auto found = descriptions.find(ExtensionKey(name));
            return found == descriptions.end() ? std::string() : found->second;
        });
        const bool content = criteria.HasContent();
        std::vector<TContentTarget> targets;
        struct TTargetRow {
            uint32_t Archive;
            uint32_t Item;
            TMergeNodeId Node;
        };
        std::vector<TTargetRow> targetRows;
        for (uint32_t k = 0; k < archives.size() && !cancel; ++k) {
            const TNameIndex &index = *indexes[k];
            const QString name = ArchiveName(index.Vorn());
            Post(generation, [this, &index, name] { m_Results->AddArchive(index, name); });
            for (const std::string &error : index.Errors())
                failures.push_back({index.Vorn().FileName(), error});
            const auto sink = [&](const std::vector<uint32_t> &found) {
                std::vector<uint32_t> items = KeepDamaged(archives[k], index, found);
                std::vector<TMergeNodeId> nodes;
                if (winners) // the game sees the winners alone
                    winners->Keep(archives[k].ViewArchive, items, nodes, archives[k].GameFolder);
                if (items.empty())
                    return;
                if (!content) {
                    Post(generation, [this, k, items = std::move(items), nodes = std::move(nodes)]() mutable {
                        Deliver(k, std::move(items), std::move(nodes));
                    });
                    return;
                }
                for (size_t i = 0; i < items.size(); ++i) {
                    const uint32_t item = items[i];
                    targets.push_back({&index.Vorn(), index.Item(item).Entry,
                                       index.FolderPath(index.Item(item).Folder) + std::string(index.Name(item))});
                    targetRows.push_back({k, item, nodes.empty() ? NoMergeNode : nodes[i]});
                }
            };
            bool done = true;
            if (archives[k].Narrowed) {
                search.Run(index, archives[k].Candidates, sink, &cancel, &done);
            } else {
                const auto [first, last] = archives[k].Folder ? index.SubtreeRange(archives[k].Folder)
                                                              : std::pair<size_t, size_t>(0, index.Count());
                search.Run(index, first, last, sink, &cancel, &done);
            }
            completed = completed && done;
        }
        if (content && !cancel) {
            const TContentPattern pattern(criteria.ContentMode, criteria.Content, criteria.IgnoreCase);
            // Found entries are handed over as they come.
            struct TStreamingSink : IContentSearchSink {
                std::function<void(size_t)> found;
                void Found(size_t target) override { found(target); }
            } sink;
            sink.found = [&](size_t target) {
                const TTargetRow row = targetRows[target];
                Post(generation, [this, row] {
                    Deliver(row.Archive, {row.Item},
                            row.Node == NoMergeNode ? std::vector<TMergeNodeId>() : std::vector{row.Node});
                });
            };
            completed = TContentSearch(pattern).Run(targets, sink, *state->Job) && completed;
            for (TJobFailure &failure : state->Job->Failures())
                failures.push_back({std::move(failure.Path), std::move(failure.Reason)});
        }
        completed = completed && !cancel;
    } catch (const std::exception &error) {
        failures.push_back({std::string(), error.what()});
        completed = false;
    }
    Post(generation, [this, generation, completed, failures = std::move(failures)]() mutable {
        Finish(generation, completed, std::move(failures));
    });
    state->Ended = true;
}

void TFindController::Finish(uint64_t, bool completed, std::vector<TFailure> failures)
{
    FlushResults();
    m_Finished = true;
    m_LastCompleted = completed && failures.empty();
    m_ProgressTimer->stop();
    const QString text = StatusText(failures.size());
    QString details = UntestedDetails();
    if (!failures.empty()) {
        for (size_t i = 0; i < failures.size() && i < 30; ++i)
            details += AnsiToQString(failures[i].Path) + QStringLiteral(": ")
                       + QString::fromUtf8(failures[i].Message) + u'\n';
    }
    m_Bar->ShowStatus(text, details.trimmed());
    if (m_Thread.joinable())
        m_Thread.join();
    ReapThreads(false);
    emit searchFinished();
}

void TFindController::UpdateProgress()
{
    if (m_Finished || !m_Job)
        return;
    QString text = QStringLiteral("Searching: ") + CountText(m_Results->Rows().size());
    const TJobProgress progress = m_Job->Progress();
    if (progress.EntriesTotal > 0)
        text += QStringLiteral(", %1/%2 files").arg(progress.EntriesDone).arg(progress.EntriesTotal);
    m_Bar->ShowStatus(text);
}

void TFindController::EnterResults()
{
    if (m_Showing)
        return;
    m_List.Show(m_Results);
    TDetailsView *details = m_List.View().DetailsView();
    details->setColumnWidth(TSearchResultModel::ColFolder, FolderColumnWidth);
    details->setColumnWidth(TSearchResultModel::ColArchive, ArchiveColumnWidth);
}

void TFindController::LeaveResults()
{
    if (m_Showing) // another view's list (the game view) stays
        m_List.ShowListing();
}

void TFindController::ReturnFromResults()
{
    const TMergedView *game = m_Results->Game();
    if (m_Showing && game && m_GameHooks.ShowFolder && m_GameHooks.ShowFolder(*game, m_Place.Folder))
        return;
    LeaveResults();
}

void TFindController::ShowGameFolder(TMergeNodeId folder)
{
    const TMergedView *game = m_Results->Game();
    if (!game || !m_GameHooks.ShowFolder || !m_GameHooks.ShowFolder(*game, folder))
        throw Exception("The game view has changed since this search; search again");
}

void TFindController::ArchiveClosing(const TVornFile &vorn)
{
    const bool involved = std::find(m_LastArchives.begin(), m_LastArchives.end(), &vorn) != m_LastArchives.end();
    if (involved) {
        CancelSearch();
        if (m_Results->Game()) {
            // The merge changes with the archive: none of its paths holds.
            m_Results->Clear();
            m_Place = TGamePlace();
            m_LastArchives.clear();
        } else {
            m_Results->RemoveArchive(vorn);
            std::erase(m_LastArchives, &vorn);
        }
        m_LastCompleted = false;
    }
    ReapThreads(true); // a cancelled search may still read the archive or make its index
    const std::lock_guard<std::mutex> lock(m_IndexMutex);
    m_Indexes.erase(&vorn);
    m_Winners.reset(); // it may point into that archive's index
    m_WinnersOf.reset();
}

void TFindController::GoToFolder()
{
    const std::vector<int> selected = m_Showing ? m_List.SelectedRowNumbers() : std::vector<int>();
    if (selected.size() != 1)
        return;
    const TSearchResultModel::TRow row = m_Results->Rows()[size_t(selected.front())];
    const TVornFile *vorn = &m_Results->VornOf(row);
    const TEntryOffset entry = m_Results->EntryOf(row);
    if (const TMergedView *game = m_Results->Game())
        ShowGameFolder(game->Parent(row.Node)); // the game view's row of the path stands for the same winner
    else
        emit folderRequested(vorn, m_Results->FolderEntryOf(row));
    // The entry itself becomes the selected row of the folder's listing.
    m_List.SelectEntry(vorn, entry);
}
