#include "browser/FindController.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FileTypes.h"
#include "browser/FindBar.h"
#include "browser/FormMain.h"
#include "browser/GenFunctions.h"
#include "browser/SearchResultModel.h"
#include "browser/UiSeam.h"
#include "engines/AnsiFold.h"
#include "engines/ContentSearch.h"
#include "engines/NameIndex.h"
#include "engines/NameSearch.h"
#include "extract/ExtractCommand.h"
#include "extract/FormExtractDialog.h"
#include "viewers/ViewHandler.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QEventLoop>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>

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

TFindController::TFindController(TfrmMain &main) : QObject(&main), m_Main(main)
{
    m_Results = new TSearchResultModel(this);
    const TBrowserSession &session = main.Session();
    m_Results->SetDamagedEntries(&session.Damaged());
    connect(&session, &TBrowserSession::damagedChanged, m_Results, &TEntryListModel::DamagedEntriesChanged);
    connect(&session, &TBrowserSession::archiveAboutToClose, this,
            [this](const TVornFile *vorn) { ArchiveClosing(*vorn); });
    m_Dialog = new TfrmFind(&main);
    m_ProgressTimer = new QTimer(this);
    m_ProgressTimer->setInterval(100);
    connect(m_ProgressTimer, &QTimer::timeout, this, &TFindController::UpdateProgress);
    CreateWidgets();
}

TFindController::~TFindController()
{
    m_Cancel = true;
    if (m_Thread.joinable())
        m_Thread.join();
}

void TFindController::CreateWidgets()
{
    // A row of its own below the toolbar: beside the buttons the field and
    // its count would not fit the window's starting width, and the toolbar
    // would hide them in its overflow menu.
    m_Main.addToolBarBreak();
    QToolBar *row = m_Main.addToolBar(QStringLiteral("Find"));
    row->setObjectName(QStringLiteral("tbrFind"));
    row->setMovable(false);
    row->setFloatable(false);
    row->toggleViewAction()->setVisible(false);
    row->setContextMenuPolicy(Qt::PreventContextMenu);
    m_Bar = new TFindBar(row);
    row->addWidget(m_Bar);
    connect(m_Bar, &TFindBar::textEdited, this, &TFindController::OnTextEdited);
    connect(m_Bar, &TFindBar::dialogRequested, this, [this] { ShowDialog(); });
    connect(m_Bar, &TFindBar::escapePressed, this, [this] {
        CancelSearch();
        LeaveResults();
    });

    auto *focusBar = new QAction(QStringLiteral("Find"), &m_Main);
    focusBar->setObjectName(QStringLiteral("actFindBar"));
    focusBar->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(focusBar, &QAction::triggered, m_Bar, &TFindBar::FocusField);
    auto *findDialog = new QAction(QStringLiteral("Find..."), &m_Main);
    findDialog->setObjectName(QStringLiteral("actFindDialog"));
    findDialog->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F));
    findDialog->setStatusTip(QStringLiteral("Find entries by name, type, size, format, date or content"));
    connect(findDialog, &QAction::triggered, this, [this] { ShowDialog(); });
    m_Main.addAction(focusBar);
    for (QAction *menu : m_Main.menuBar()->actions())
        if (menu->menu() && menu->text() == QLatin1String("Actions"))
            menu->menu()->addAction(findDialog);

    m_GoToFolder = new QAction(QStringLiteral("Go to folder"), m_Main.mnuPopupMain);
    m_GoToFolder->setObjectName(QStringLiteral("popmniGoToFolder"));
    m_GoToFolder->setVisible(false);
    m_Main.mnuPopupMain->addAction(m_GoToFolder);
    connect(m_GoToFolder, &QAction::triggered, this, [this] { m_Main.RunCommand([this] { GoToFolder(); }); });
    connect(m_Main.mnuPopupMain, &QMenu::aboutToShow, this, [this] {
        m_GoToFolder->setVisible(m_Showing);
        m_GoToFolder->setEnabled(m_Showing && SelectedRows().size() == 1);
    });

    for (QAbstractItemView *view : m_Main.lsvMain->Views())
        view->installEventFilter(this);
    // Choosing a folder in the tree, even the one already chosen, ends the result view.
    connect(m_Main.trvFolders, &QTreeWidget::itemSelectionChanged, this, [this] { LeaveResults(); });
    connect(m_Main.trvFolders, &QTreeWidget::itemClicked, this, [this] { LeaveResults(); });
}

bool TFindController::eventFilter(QObject *watched, QEvent *event)
{
    if (m_Showing && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        CancelSearch();
        LeaveResults();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void TFindController::OnTextEdited(const QString &text)
{
    if (text.isEmpty()) {
        CancelSearch();
        LeaveResults();
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
    if (m_Main.Ui().execDialog(*m_Dialog)) {
        m_Bar->Field()->setText(QString::fromStdString(m_Dialog->Criteria().Name));
        Search(m_Dialog->Criteria(), m_Dialog->Scope());
    }
}

std::vector<TFindController::TScopeArchive> TFindController::ScopeArchives(TFindScope scope, bool narrow) const
{
    std::vector<TScopeArchive> archives;
    if (scope == TFindScope::AllArchives) {
        for (const auto &vorn : m_Main.Session().OpenVorns())
            archives.push_back({vorn.get(), 0, {}, false});
    } else if (m_Main.Session().ActiveVorn()) {
        const TEntryOffset folder = scope == TFindScope::CurrentFolder ? m_Main.Session().CurrentFolder() : 0;
        archives.push_back({m_Main.Session().ActiveVorn(), folder, {}, false});
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
                        && scope != TFindScope::CurrentFolder && criteria.Narrows(m_Criteria)
                        && m_Results->Rows().size() * 4 < indexed && !criteria.Damaged;
    std::vector<TScopeArchive> archives = ScopeArchives(scope, narrow);
    CancelSearch();
    m_Untested.clear();
    if (criteria.Damaged)
        TakeDamagedMarks(archives);
    m_Criteria = criteria;
    m_Scope = scope;
    m_LastArchives = current;
    m_LastCompleted = false;
    if (archives.empty()) {
        m_Bar->ShowStatus(QStringLiteral("No archive open"));
        return;
    }
    m_Results->Clear();
    EnterResults();
    if (narrow && !criteria.HasContent()) {
        NarrowHere(criteria, archives, TypeDescriptions(criteria, current));
        return;
    }
    m_Job = std::make_shared<TJob>();
    m_Cancel = false;
    m_Finished = false;
    const uint64_t generation = ++m_Generation;
    m_Bar->ShowStatus(QStringLiteral("Searching..."));
    m_Thread = std::thread(&TFindController::RunThread, this, generation, criteria, std::move(archives),
                           TypeDescriptions(criteria, current));
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
    for (uint32_t k = 0; k < archives.size(); ++k) {
        const TNameIndex &index = IndexFor(*archives[k].Vorn);
        m_Results->AddArchive(index, ArchiveName(index.Vorn()));
        search.Run(index, archives[k].Candidates,
                   [&](const std::vector<uint32_t> &items) { m_Results->AppendRows(k, items); });
    }
    m_LastCompleted = true;
    m_Bar->ShowStatus(StatusText(0));
    emit searchFinished();
}

void TFindController::TakeDamagedMarks(std::vector<TScopeArchive> &archives)
{
    // The marks are copied: the search thread must not read what a test
    // running meanwhile would change.
    const TDamagedEntries &marks = m_Main.Session().Damaged();
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
    m_Cancel = true;
    if (m_Job)
        m_Job->Cancel();
    if (m_Thread.joinable())
        m_Thread.join();
    ++m_Generation; // whatever it posted is stale now
    if (!m_Finished) {
        m_Finished = true;
        m_ProgressTimer->stop();
        m_Bar->ShowStatus(CountText(m_Results->Rows().size()) + QStringLiteral(" (stopped)"));
    }
}

void TFindController::WaitForSearch()
{
    while (!m_Finished)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
}

const TNameIndex &TFindController::IndexFor(const TVornFile &vorn)
{
    const std::lock_guard<std::mutex> lock(m_IndexMutex);
    std::unique_ptr<TNameIndex> &index = m_Indexes[&vorn];
    if (!index)
        index = std::make_unique<TNameIndex>(vorn);
    return *index;
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
                                std::map<std::string, std::string> descriptions)
{
    std::vector<TFailure> failures;
    bool completed = true;
    try {
        std::vector<const TNameIndex *> indexes;
        for (const TScopeArchive &archive : archives)
            indexes.push_back(&IndexFor(*archive.Vorn));
        const TNameSearch search(criteria, [&descriptions](std::string_view name) {
            const auto found = descriptions.find(ExtensionKey(name));
            return found == descriptions.end() ? std::string() : found->second;
        });
        const bool content = criteria.HasContent();
        std::vector<TContentTarget> targets;
        std::vector<std::pair<uint32_t, uint32_t>> targetRows; // archive number, item
        for (uint32_t k = 0; k < archives.size() && !m_Cancel; ++k) {
            const TNameIndex &index = *indexes[k];
            const QString name = ArchiveName(index.Vorn());
            Post(generation, [this, &index, name] { m_Results->AddArchive(index, name); });
            for (const std::string &error : index.Errors())
                failures.push_back({index.Vorn().FileName(), error});
            const auto sink = [&](const std::vector<uint32_t> &found) {
                const std::vector<uint32_t> items = KeepDamaged(archives[k], index, found);
                if (items.empty())
                    return;
                if (!content) {
                    Post(generation, [this, k, items] { m_Results->AppendRows(k, items); });
                    return;
                }
                for (const uint32_t item : items) {
                    targets.push_back({&index.Vorn(), index.Item(item).Entry,
                                       index.FolderPath(index.Item(item).Folder) + std::string(index.Name(item))});
                    targetRows.emplace_back(k, item);
                }
            };
            bool done = true;
            if (archives[k].Narrowed) {
                search.Run(index, archives[k].Candidates, sink, &m_Cancel, &done);
            } else {
                const auto [first, last] = archives[k].Folder ? index.SubtreeRange(archives[k].Folder)
                                                              : std::pair<size_t, size_t>(0, index.Count());
                search.Run(index, first, last, sink, &m_Cancel, &done);
            }
            completed = completed && done;
        }
        if (content && !m_Cancel) {
            const TContentPattern pattern(criteria.ContentMode, criteria.Content, criteria.IgnoreCase);
            // Found entries are handed over as they come.
            struct TStreamingSink : IContentSearchSink {
                std::function<void(size_t)> found;
                void Found(size_t target) override { found(target); }
            } sink;
            sink.found = [&](size_t target) {
                const auto [k, item] = targetRows[target];
                Post(generation, [this, k = k, item = item] { m_Results->AppendRows(k, {item}); });
            };
            completed = TContentSearch(pattern).Run(targets, sink, *m_Job) && completed;
            for (TJobFailure &failure : m_Job->Failures())
                failures.push_back({std::move(failure.Path), std::move(failure.Reason)});
        }
        completed = completed && !m_Cancel;
    } catch (const std::exception &error) {
        failures.push_back({std::string(), error.what()});
        completed = false;
    }
    Post(generation, [this, generation, completed, failures = std::move(failures)]() mutable {
        Finish(generation, completed, std::move(failures));
    });
}

void TFindController::Finish(uint64_t, bool completed, std::vector<TFailure> failures)
{
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
    m_Showing = true;
    m_SavedPathLabel = m_Main.lblVornPath->text();
    m_Main.ShowListModel(m_Results);
    QTreeView *details = m_Main.lsvMain->DetailsView();
    details->setColumnWidth(TSearchResultModel::ColFolder, FolderColumnWidth);
    details->setColumnWidth(TSearchResultModel::ColArchive, ArchiveColumnWidth);
    m_Main.lblVornPath->setText(QStringLiteral("Search results"));
}

void TFindController::LeaveResults()
{
    if (!m_Showing)
        return;
    m_Showing = false;
    m_Main.ShowListModel(m_Main.FileListModel());
    if (m_Main.lblVornPath->text() == QLatin1String("Search results"))
        m_Main.lblVornPath->setText(m_SavedPathLabel);
}

void TFindController::ArchiveClosing(const TVornFile &vorn)
{
    const bool involved = std::find(m_LastArchives.begin(), m_LastArchives.end(), &vorn) != m_LastArchives.end();
    if (involved) {
        CancelSearch();
        m_Results->RemoveArchive(vorn);
        std::erase(m_LastArchives, &vorn);
        m_LastCompleted = false;
    }
    const std::lock_guard<std::mutex> lock(m_IndexMutex);
    m_Indexes.erase(&vorn);
}

// ---- List commands on results ----

std::vector<int> TFindController::SelectedRows() const
{
    std::vector<int> rows;
    if (!m_Showing)
        return rows;
    for (const QModelIndex &index : m_Main.lsvMain->selectionModel()->selectedRows())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    return rows;
}

void TFindController::SortResults(int column)
{
    m_Results->SortByColumn(column);
}

std::optional<TSearchResultModel::TRow> TFindController::SingleSelectedRow() const
{
    const std::vector<int> rows = SelectedRows();
    if (rows.size() != 1)
        return std::nullopt;
    return m_Results->Rows()[size_t(rows.front())];
}

std::pair<const TVornFile *, TEntryOffset> TFindController::SingleSelected() const
{
    const std::optional<TSearchResultModel::TRow> row = SingleSelectedRow();
    if (!row)
        return {nullptr, 0};
    return {&m_Results->VornOf(*row), m_Results->EntryOf(*row)};
}

void TFindController::ShowFolder(const TVornFile &vorn, TEntryOffset folder)
{
    m_Main.SelectIfOpen(PathFromLocal(vorn.FileName()));
    m_Main.SelectFolderNode(folder, m_Main.ActiveRootNode());
}

void TFindController::OpenSelectedResult()
{
    const std::optional<TSearchResultModel::TRow> row = SingleSelectedRow();
    if (!row)
        return;
    const TVornFile &vorn = m_Results->VornOf(*row);
    const TEntryOffset entry = m_Results->EntryOf(*row);
    if (m_Results->IsFolder(*row)) {
        ShowFolder(vorn, entry);
        return;
    }
    TFileBuffer buffer = vorn.ReadFile(entry);
    const QString name = AnsiToQString(vorn.GetName(entry));
    try {
        ViewFile(std::move(buffer), name, &m_Main);
    } catch (...) {
        // the viewers fail silently, as for the folder list
    }
}

void TFindController::GoToFolder()
{
    const std::optional<TSearchResultModel::TRow> row = SingleSelectedRow();
    if (!row)
        return;
    const TEntryOffset entry = m_Results->EntryOf(*row);
    ShowFolder(m_Results->VornOf(*row), m_Results->FolderEntryOf(*row));
    // The entry itself becomes the selected row of the folder's listing.
    const std::vector<TVornChildItem> &listed = m_Main.FileListModel()->Rows();
    for (size_t i = 0; i < listed.size(); ++i) {
        if (listed[i].Entry != entry)
            continue;
        const QModelIndex index = m_Main.FileListModel()->index(int(i), 0);
        m_Main.lsvMain->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_Main.lsvMain->CurrentView()->scrollTo(index);
        break;
    }
}

std::vector<TEntryGroup> TFindController::SelectedGroups() const
{
    // One group per archive, in the order the archives first appear in the
    // selection; each entry's folder names are taken below the root.
    std::vector<TEntryGroup> groups;
    for (const int index : SelectedRows()) {
        const TSearchResultModel::TRow &row = m_Results->Rows()[size_t(index)];
        const TVornFile *vorn = &m_Results->VornOf(row);
        auto group = std::find_if(groups.begin(), groups.end(), [vorn](const TEntryGroup &g) { return g.Vorn == vorn; });
        if (group == groups.end())
            group = groups.insert(groups.end(), {vorn, vorn->GetRootOffset(), {}});
        group->Entries.push_back(m_Results->EntryOf(row));
    }
    return groups;
}

TOutgoingFiles TFindController::SelectedFiles() const
{
    // Each entry's folder names are taken below the root, as in extraction.
    std::vector<TOutgoingRow> rows;
    for (const int index : SelectedRows()) {
        const TSearchResultModel::TRow &row = m_Results->Rows()[size_t(index)];
        const TVornFile &vorn = m_Results->VornOf(row);
        rows.push_back({&vorn, vorn.GetRootOffset(), m_Results->EntryOf(row),
                        AnsiToQString(std::string(m_Results->IndexOf(row).Name(row.Item)))});
    }
    return GroupOutgoingRows(rows);
}

void TFindController::ExtractSelected(TfrmExtractDialog &dialog, const TExtractHooks &hooks)
{
    // One run per archive; the target dialog is shown for the first only and
    // the others go to the same place with the same choices.
    const std::vector<TEntryGroup> groups = SelectedGroups();
    TExtractHooks next = hooks;
    for (size_t g = 0; g < groups.size(); ++g) {
        const TVornFile &vorn = *groups[g].Vorn;
        if (!RunExtraction(&m_Main, dialog, vorn, groups[g].Folder, groups[g].Entries, g == 0 ? hooks : next))
            return;
        const QString target = dialog.Path();
        next.GetExtractDir = [target] { return target; };
        next.ShowDialog = [](TfrmExtractDialog &) { return true; };
    }
}
