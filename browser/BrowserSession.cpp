#include "browser/BrowserSession.h"

#include "archive/vmVornFile.h"
#include "browser/FolderLayout.h"
#include "browser/GenFunctions.h"

#include <algorithm>

namespace {

std::unique_ptr<TVornFile> ReadVornFile(const QString &path, const std::atomic<bool> &cancel)
{
    return std::make_unique<TVornFile>(PathToLocal(path), cancel);
}

} // namespace

TBrowserSession::TBrowserSession(QObject *parent) : TBrowserSession(ReadVornFile, parent) {}

TBrowserSession::TBrowserSession(TReadVorn read, QObject *parent)
    : QObject(parent), m_Opens([read = std::move(read)](const QString &path, const std::atomic<bool> &cancel) {
          return Read(read, path, cancel);
      })
{
    m_Busy.SetOnChange([this](bool busy) { emit busyChanged(busy); });
}

TBrowserSession::~TBrowserSession()
{
    m_Busy.SetOnChange(nullptr); // no signal from a half-destroyed object
}

QString TBrowserSession::PathOf(const TVornFile &vorn)
{
    return PathFromLocal(vorn.FileName());
}

TVornFile *TBrowserSession::OpenVornAt(const QString &path) const
{
    for (const auto &vorn : m_OpenVorns)
        if (SamePath(PathOf(*vorn), path))
            return vorn.get();
    return nullptr;
}

bool TBrowserSession::IsOpen(const TVornFile *vorn) const
{
    return vorn && std::any_of(m_OpenVorns.begin(), m_OpenVorns.end(),
                               [vorn](const auto &open) { return open.get() == vorn; });
}

std::shared_ptr<const TFolderLayout> TBrowserSession::FoldersOf(const TVornFile *vorn) const
{
    const auto found = m_Folders.find(vorn);
    return found == m_Folders.end() ? nullptr : found->second;
}

TOpenQueue::TArchive TBrowserSession::Read(const TReadVorn &read, const QString &path, const std::atomic<bool> &cancel)
{
    TOpenQueue::TArchive archive;
    archive.vorn = read(path, cancel);
    archive.folders = std::make_shared<const TFolderLayout>(*archive.vorn, &cancel);
    return archive;
}

TVornFile &TBrowserSession::Open(const QString &path)
{
    m_Opens.Wait();
    const std::atomic<bool> never = false;
    return Add(Read(ReadVornFile, path, never));
}

TOpenQueue::TTicket TBrowserSession::BeginOpen(const QString &path, TOpened opened)
{
    if (OpenVornAt(path) || m_Opens.Reading(path))
        return m_Opens.Then([this, path, opened] { opened(OpenVornAt(path), nullptr); });
    return m_Opens.Read(path, [this, opened](TOpenQueue::TArchive archive, std::exception_ptr error) {
        opened(error ? nullptr : &Add(std::move(archive)), error);
    });
}

TVornFile &TBrowserSession::Add(TOpenQueue::TArchive archive)
{
    m_Folders.insert_or_assign(archive.vorn.get(), std::move(archive.folders));
    m_OpenVorns.push_back(std::move(archive.vorn));
    TVornFile &added = *m_OpenVorns.back();
    emit archiveOpened(&added);
    Activate(&added);
    return added;
}

void TBrowserSession::Close(const TVornFile *vorn)
{
    const auto found = std::find_if(m_OpenVorns.begin(), m_OpenVorns.end(),
                                    [vorn](const auto &open) { return open.get() == vorn; });
    if (found == m_OpenVorns.end())
        return;
    emit archiveAboutToClose(vorn);
    if (m_ActiveVorn == vorn)
        Activate(nullptr);
    m_Damaged.Forget(vorn);
    m_Folders.erase(vorn);
    m_OpenVorns.erase(found);
}

void TBrowserSession::CloseAll()
{
    m_Opens.DropAll();
    while (!m_OpenVorns.empty())
        Close(m_OpenVorns.back().get());
}

void TBrowserSession::Activate(TVornFile *vorn)
{
    if (vorn == m_ActiveVorn || (vorn && !IsOpen(vorn)))
        return;
    m_ActiveVorn = vorn;
    m_CurrentFolder = 0; // an offset of one archive means nothing in another
    emit activeChanged(vorn);
}

void TBrowserSession::ShowFolder(TEntryOffset folder)
{
    if (!m_ActiveVorn)
        folder = 0;
    if (folder == m_CurrentFolder)
        return;
    m_CurrentFolder = folder;
    emit folderChanged(folder);
}

void TBrowserSession::SetDamaged(const TVornFile *vorn, const std::vector<TDamagedEntry> &damaged, bool complete)
{
    if (!IsOpen(vorn))
        return;
    m_Damaged.Set(vorn, damaged, complete);
    emit damagedChanged(vorn);
}
