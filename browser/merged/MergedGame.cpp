#include "browser/merged/MergedGame.h"

#include "archive/vmVornFile.h"
#include "browser/BrowserSession.h"
#include "engines/MergeSources.h"
#include "engines/MergedView.h"

#include <algorithm>

TMergedGame::TMergedGame(TBrowserSession &session, QObject *parent) : QObject(parent), m_Session(session)
{
    for (const auto &vorn : session.OpenVorns())
        if (JoinsByDefault(TBrowserSession::PathOf(*vorn)))
            m_Members.push_back(vorn.get());
    connect(&session, &TBrowserSession::archiveOpened, this, [this](TVornFile *vorn) {
        if (JoinsByDefault(TBrowserSession::PathOf(*vorn)))
            Join(vorn);
    });
    connect(&session, &TBrowserSession::archiveAboutToClose, this, &TMergedGame::Leave);
}

TMergedGame::~TMergedGame() = default;

bool TMergedGame::JoinsByDefault(const QString &path)
{
    return IsGameArchiveName(path.toStdString());
}

QStringList TMergedGame::MemberPaths() const
{
    QStringList paths;
    for (const TVornFile *vorn : m_Members)
        paths << TBrowserSession::PathOf(*vorn);
    return paths;
}

bool TMergedGame::IsMember(const TVornFile *vorn) const
{
    return std::find(m_Members.begin(), m_Members.end(), vorn) != m_Members.end();
}

void TMergedGame::Choose(const std::vector<const TVornFile *> &members)
{
    m_Members.clear();
    // Kept in the session's order, oldest first, whatever order they came in.
    for (const auto &vorn : m_Session.OpenVorns())
        if (std::find(members.begin(), members.end(), vorn.get()) != members.end())
            m_Members.push_back(vorn.get());
    Changed();
}

void TMergedGame::Join(const TVornFile *vorn)
{
    if (IsMember(vorn))
        return;
    m_Members.push_back(vorn);
    Changed();
}

void TMergedGame::Leave(const TVornFile *vorn)
{
    if (!IsMember(vorn))
        return;
    std::erase(m_Members, vorn);
    Changed();
}

void TMergedGame::Changed()
{
    m_View.reset(); // it refers to the archives; one may be about to close
    m_Stale = true;
    emit membersChanged();
}

TMergedView *TMergedGame::View()
{
    if (m_Members.empty())
        return nullptr;
    if (m_Stale) {
        m_View = std::make_shared<TMergedView>(m_Members);
        m_Stale = false;
    }
    return m_View.get();
}

QString TMergedGame::Caption() const
{
    return m_Members.size() == 1 ? QStringLiteral("Game (1 archive)")
                                 : QStringLiteral("Game (%1 archives)").arg(m_Members.size());
}
