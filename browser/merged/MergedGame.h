#pragma once
// TMergedGame: the merged game view of a browsing session -- which open
// archives are merged, and the TMergedView over them. By default every open
// resource archive and map (".vmres", ".vmmap") joins as it opens; saved
// games are left out. A choice of the user replaces the set; archives opened
// later join by the default rule. An archive leaves the set before it
// closes. The view is made when first asked for after a change.

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

class TBrowserSession;
class TMergedView;
class TVornFile;

class TMergedGame : public QObject {
    Q_OBJECT

public:
    explicit TMergedGame(TBrowserSession &session, QObject *parent = nullptr);
    ~TMergedGame() override;

    // The merged archives, oldest first.
    const std::vector<const TVornFile *> &Members() const { return m_Members; }
    // Their paths, as the session opened them.
    QStringList MemberPaths() const;
    bool IsMember(const TVornFile *vorn) const;
    // Replaces the set with these open archives.
    void Choose(const std::vector<const TVornFile *> &members);
    // The view over the members, made now if the set changed; null when no
    // archive is merged.
    TMergedView *View();
    // The view made last, to find out later whether it is still there.
    std::weak_ptr<const TMergedView> ViewHandle() const { return m_View; }
    // "Game (12 archives)", "Game (1 archive)".
    QString Caption() const;
    // Whether an archive of this path joins by default (".vmres", ".vmmap").
    static bool JoinsByDefault(const QString &path);

signals:
    // The set changed: a view asked for before is gone.
    void membersChanged();

private:
    void Join(const TVornFile *vorn);
    void Leave(const TVornFile *vorn);
    void Changed();

    TBrowserSession &m_Session;
    std::vector<const TVornFile *> m_Members;
    std::shared_ptr<TMergedView> m_View;
    bool m_Stale = true;
};
