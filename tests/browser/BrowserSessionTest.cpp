#include "browser/BrowserSession.h"

#include "archive/vmVornFile.h"
#include "tests/browser/BrowserFixture.h"

#include <memory>

namespace {

// Records the session's signals as text, in the order they came, with what
// the session held at that moment.
class TSignalLog : public QObject {
public:
    explicit TSignalLog(TBrowserSession &session) : m_Session(session)
    {
        connect(&session, &TBrowserSession::archiveOpened, this,
                [this](TVornFile *vorn) { Add("opened " + Name(vorn)); });
        connect(&session, &TBrowserSession::archiveAboutToClose, this, [this](const TVornFile *vorn) {
            // The views let go of the archive here: it must still be open and readable.
            Add("closing " + Name(vorn) + (m_Session.IsOpen(vorn) ? " open" : " gone")
                + (vorn->GetChildCount(vorn->GetRootOffset()) > 0 ? " readable" : ""));
        });
        connect(&session, &TBrowserSession::activeChanged, this, [this](TVornFile *vorn) { Add("active " + Name(vorn)); });
        connect(&session, &TBrowserSession::folderChanged, this,
                [this](TEntryOffset folder) { Add("folder " + std::to_string(folder)); });
        connect(&session, &TBrowserSession::busyChanged, this,
                [this](bool busy) { Add(busy ? "busy" : "ready"); });
        connect(&session, &TBrowserSession::damagedChanged, this,
                [this](const TVornFile *vorn) { Add("marks " + Name(vorn)); });
    }

    std::vector<std::string> Take() { return std::exchange(m_Lines, {}); }

private:
    static std::string Name(const TVornFile *vorn)
    {
        return vorn ? QString::fromStdString(vorn->FileName()).section(u'/', -1).toStdString() : "none";
    }
    void Add(std::string line) { m_Lines.push_back(std::move(line)); }

    TBrowserSession &m_Session;
    std::vector<std::string> m_Lines;
};

class BrowserSessionTest : public BrowserTest {
protected:
    TBrowserSession session;
    TSignalLog log{session};
};

using Lines = std::vector<std::string>;

TEST_F(BrowserSessionTest, OpenAddsTheNewestLastAndActivatesItAFailedOpenChangesNothing)
{
    TVornFile &a = session.Open(WriteSample(QStringLiteral("a.vmres")));
    TVornFile &b = session.Open(WriteSample(QStringLiteral("b.vmres")));
    ASSERT_EQ(session.OpenVorns().size(), 2u);
    EXPECT_EQ(session.OpenVorns()[0].get(), &a);
    EXPECT_EQ(session.OpenVorns()[1].get(), &b);
    EXPECT_EQ(session.ActiveVorn(), &b);
    EXPECT_EQ(session.CurrentFolder(), 0u); // nothing listed yet
    EXPECT_EQ(log.Take(), (Lines{"opened a.vmres", "active a.vmres", "opened b.vmres", "active b.vmres"}));

    EXPECT_ANY_THROW(session.Open(WriteJunk(QStringLiteral("junk.vmres"))));
    EXPECT_ANY_THROW(session.Open(Path(QStringLiteral("missing.vmres"))));
    EXPECT_EQ(session.OpenVorns().size(), 2u);
    EXPECT_EQ(session.ActiveVorn(), &b);
    EXPECT_TRUE(log.Take().empty());

    EXPECT_EQ(session.OpenVornAt(Path(QStringLiteral("a.vmres"))), &a);
    EXPECT_EQ(session.OpenVornAt(Path(QStringLiteral("c.vmres"))), nullptr);
    EXPECT_EQ(TBrowserSession::PathOf(b), Path(QStringLiteral("b.vmres")));
}

TEST_F(BrowserSessionTest, TheFolderBelongsToTheActiveArchive)
{
    TVornFile &a = session.Open(WriteSample(QStringLiteral("a.vmres")));
    const TEntryOffset art = a.GetChildren(a.GetRootOffset()).front();
    session.ShowFolder(art);
    session.ShowFolder(art); // the same again: no signal
    EXPECT_EQ(session.CurrentFolder(), art);

    TVornFile &b = session.Open(WriteSample(QStringLiteral("b.vmres")));
    EXPECT_EQ(session.CurrentFolder(), 0u); // a's offset means nothing in b
    session.ShowFolder(b.GetRootOffset());
    session.Activate(&a);
    EXPECT_EQ(session.CurrentFolder(), 0u);

    TVornFile stranger(Path(QStringLiteral("a.vmres")).toStdString()); // not one of the session's
    session.Activate(&stranger);
    EXPECT_EQ(session.ActiveVorn(), &a);
    session.Activate(nullptr);
    session.ShowFolder(art); // no active archive: no folder either
    EXPECT_EQ(session.CurrentFolder(), 0u);
    EXPECT_EQ(log.Take(), (Lines{"opened a.vmres", "active a.vmres", "folder " + std::to_string(art), "opened b.vmres",
                                 "active b.vmres", "folder " + std::to_string(b.GetRootOffset()), "active a.vmres",
                                 "active none"}));
}

TEST_F(BrowserSessionTest, ClosingWarnsWhileTheArchiveIsStillOpenAndDropsItsMarks)
{
    TVornFile &a = session.Open(WriteSample(QStringLiteral("a.vmres")));
    TVornFile &b = session.Open(WriteSample(QStringLiteral("b.vmres")));
    const TEntryOffset readme = a.GetChildren(a.GetRootOffset()).back();
    session.SetDamaged(&a, {TDamagedEntry{readme, "readme.txt", "CRC-32 differs from header"}}, true);
    session.SetDamaged(&b, {}, false);
    EXPECT_TRUE(session.Damaged().Any(&a));
    EXPECT_TRUE(session.Damaged().Tested(&a));
    EXPECT_FALSE(session.Damaged().Tested(&b)); // cancelled before the end
    log.Take();

    session.Close(&a); // not the active one
    EXPECT_EQ(session.ActiveVorn(), &b);
    ASSERT_EQ(session.OpenVorns().size(), 1u);
    EXPECT_FALSE(session.Damaged().Any(&a));
    EXPECT_FALSE(session.Damaged().Tested(&a));
    EXPECT_EQ(log.Take(), (Lines{"closing a.vmres open readable"}));

    session.Close(&a); // closed already: nothing happens
    session.SetDamaged(&a, {TDamagedEntry{readme, "readme.txt", "late"}}, true); // a late test result
    EXPECT_FALSE(session.Damaged().Tested(&a));
    EXPECT_TRUE(log.Take().empty());

    TVornFile &c = session.Open(WriteSample(QStringLiteral("c.vmres")));
    session.Activate(&b);
    session.Close(&b); // the active one: none is active after it
    EXPECT_EQ(session.ActiveVorn(), nullptr);
    EXPECT_EQ(session.OpenVorns().front().get(), &c);
    log.Take();

    session.Open(WriteSample(QStringLiteral("d.vmres")));
    session.CloseAll();
    EXPECT_TRUE(session.OpenVorns().empty());
    EXPECT_EQ(session.ActiveVorn(), nullptr);
    EXPECT_EQ(log.Take(), (Lines{"opened d.vmres", "active d.vmres", "closing d.vmres open readable", "active none",
                                 "closing c.vmres open readable"}));
}

TEST_F(BrowserSessionTest, BusyLastsAsLongAsTheOutermostScope)
{
    EXPECT_FALSE(session.Busy());
    {
        TBusyFlag::TScope job(session.BusyFlag());
        EXPECT_TRUE(session.Busy());
        {
            TBusyFlag::TScope inner(session.BusyFlag());
        }
        EXPECT_TRUE(session.Busy());
    }
    EXPECT_FALSE(session.Busy());
    EXPECT_EQ(log.Take(), (Lines{"busy", "ready"}));
}

} // namespace
