#include "browser/BrowserSession.h"

#include "archive/vmVornFile.h"
#include "browser/GenFunctions.h"

#include <algorithm>

TBrowserSession::TBrowserSession(QObject *parent)
    : TBrowserSession([](const QString &path) { return std::make_unique<TVornFile>(PathToLocal(path)); }, parent)
{
}

TBrowserSession::TBrowserSession(TOpenQueue::TRead read, QObject *parent)
    : QObject(parent), m_Opens(std::move(read))
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

TVornFile &TBrowserSession::Open(const QString &path)
{
    m_Opens.Wait();
    return Add(std::make_unique<TVornFile>(PathToLocal(path)));
}

TOpenQueue::TTicket TBrowserSession::BeginOpen(const QString &path, TOpened opened)
{
    if (OpenVornAt(path) || m_Opens.Reading(path))
        return m_Opens.Then([this, path, opened] { opened(OpenVornAt(path), nullptr); });
    return m_Opens.Read(path, [this, opened](std::unique_ptr<TVornFile> vorn, std::exception_ptr error) {
        opened(error ? nullptr : &Add(std::move(vorn)), error);
    });
}

TVornFile &TBrowserSession::Add(std::unique_ptr<TVornFile> vorn)
{
    m_OpenVorns.push_back(std::move(vorn));
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
