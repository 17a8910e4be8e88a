#include "browser/BrowserSession.h"

#include "archive/Exceptions.h"
#include "archive/vmVornFile.h"
#include "browser/GenFunctions.h"
#include "browser/OpenProgress.h"
#include "tests/browser/BrowserFixture.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <QPushButton>
#include <QWidget>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

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

// Holds the reads of the workers back until the test lets each through, so
// that they finish in the order the test chooses.
class TReadGate {
public:
    std::unique_ptr<TVornFile> Read(const QString &path)
    {
        const QString name = FileNamePart(path);
        std::unique_lock lock(m_Mutex);
        ++m_Reads[name];
        m_Changed.notify_all();
        m_Changed.wait(lock, [&] { return m_All || m_Through.count(name) > 0; });
        lock.unlock();
        auto vorn = std::make_unique<TVornFile>(PathToLocal(path)); // may raise
        lock.lock();
        m_Finished.insert(name);
        m_Changed.notify_all();
        return vorn;
    }
    void LetThrough(const QString &name)
    {
        const std::lock_guard lock(m_Mutex);
        m_Through.insert(name);
        m_Changed.notify_all();
    }
    void LetAllThrough()
    {
        const std::lock_guard lock(m_Mutex);
        m_All = true;
        m_Changed.notify_all();
    }
    // Until a worker has read the archive (a failed read never gets here).
    void WaitUntilRead(const QString &name)
    {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [&] { return m_Finished.count(name) > 0; });
    }
    // Until a worker has begun reading it.
    void WaitUntilReading(const QString &name)
    {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [&] { return m_Reads[name] > 0; });
    }
    int Reads(const QString &name)
    {
        const std::lock_guard lock(m_Mutex);
        return m_Reads[name];
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::set<QString> m_Through;
    std::set<QString> m_Finished;
    std::map<QString, int> m_Reads;
    bool m_All = false;
};

class BrowserSessionOpenTest : public BrowserTest {
protected:
    ~BrowserSessionOpenTest() override { gate.LetAllThrough(); } // before the session joins its workers

    // Begins an open that notes what it got in `outcomes`.
    void Begin(const QString &name)
    {
        session->BeginOpen(Path(name), [this, name](TVornFile *vorn, std::exception_ptr error) {
            outcomes.push_back(name.toStdString() + (error ? " failed" : vorn ? " got " + Name(vorn) : " got none"));
        });
    }
    static std::string Name(const TVornFile *vorn) { return FileNamePart(TBrowserSession::PathOf(*vorn)).toStdString(); }
    static void ProcessEvents()
    {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    }

    TReadGate gate;
    std::unique_ptr<TBrowserSession> session =
        std::make_unique<TBrowserSession>([this](const QString &path, const std::atomic<bool> &) { return gate.Read(path); });
    TSignalLog log{*session};
    std::vector<std::string> outcomes;
};

TEST_F(BrowserSessionOpenTest, OpensJoinInTheOrderBegunWhateverOrderTheyFinishIn)
{
    WriteSample(QStringLiteral("a.vmres"));
    WriteSample(QStringLiteral("b.vmres"));
    WriteJunk(QStringLiteral("junk.vmres"));
    Begin(QStringLiteral("a.vmres"));
    Begin(QStringLiteral("junk.vmres"));
    Begin(QStringLiteral("b.vmres"));
    Begin(QStringLiteral("a.vmres")); // being opened: not read twice
    session->Opens().Then([this] { outcomes.push_back("step"); });
    EXPECT_FALSE(session->Opens().Empty());
    EXPECT_EQ(session->Opens().Current(), Path(QStringLiteral("a.vmres")));

    gate.LetThrough(QStringLiteral("b.vmres"));
    gate.LetThrough(QStringLiteral("junk.vmres"));
    gate.WaitUntilRead(QStringLiteral("b.vmres"));
    ProcessEvents();
    EXPECT_TRUE(outcomes.empty()); // a, begun first, is still being read
    EXPECT_TRUE(session->OpenVorns().empty());

    gate.LetThrough(QStringLiteral("a.vmres"));
    session->Opens().Wait();
    EXPECT_EQ(outcomes, (Lines{"a.vmres got a.vmres", "junk.vmres failed", "b.vmres got b.vmres",
                               "a.vmres got a.vmres", "step"}));
    ASSERT_EQ(session->OpenVorns().size(), 2u);
    EXPECT_EQ(Name(session->OpenVorns()[0].get()), "a.vmres");
    EXPECT_EQ(session->ActiveVorn(), session->OpenVorns()[1].get());
    EXPECT_EQ(log.Take(), (Lines{"opened a.vmres", "active a.vmres", "opened b.vmres", "active b.vmres"}));
    EXPECT_EQ(gate.Reads(QStringLiteral("a.vmres")), 1);
    EXPECT_EQ(session->Opens().HandedOver(), 3u);

    // An open archive is handed over again in its turn, without a read.
    outcomes.clear();
    Begin(QStringLiteral("b.vmres"));
    EXPECT_EQ(outcomes, Lines{"b.vmres got b.vmres"});
    EXPECT_EQ(gate.Reads(QStringLiteral("b.vmres")), 1);
    // A plain open waits for those under way.
    WriteSample(QStringLiteral("c.vmres"));
    Begin(QStringLiteral("c.vmres"));
    gate.LetThrough(QStringLiteral("c.vmres"));
    const TVornFile &d = session->Open(WriteSample(QStringLiteral("d.vmres")));
    EXPECT_EQ(session->OpenVorns().back().get(), &d);
    EXPECT_EQ(outcomes.back(), "c.vmres got c.vmres");
}

TEST_F(BrowserSessionOpenTest, ClosingAllOrTheSessionMidOpenHandsNothingOver)
{
    WriteSample(QStringLiteral("a.vmres"));
    WriteSample(QStringLiteral("b.vmres"));
    session->Open(Path(QStringLiteral("b.vmres")));
    Begin(QStringLiteral("a.vmres"));
    Begin(QStringLiteral("e.vmres"));
    Begin(QStringLiteral("never.vmres")); // never read: dropped while both workers are busy
    session->Opens().Then([this] { outcomes.push_back("step"); });
    gate.WaitUntilReading(QStringLiteral("a.vmres"));
    gate.WaitUntilReading(QStringLiteral("e.vmres"));
    log.Take();
    session->CloseAll();
    EXPECT_TRUE(session->Opens().Empty());
    EXPECT_EQ(session->Opens().Current(), QString());
    gate.LetThrough(QStringLiteral("a.vmres"));
    gate.LetThrough(QStringLiteral("e.vmres")); // fails: no such file
    gate.WaitUntilRead(QStringLiteral("a.vmres"));
    ProcessEvents();
    session->Opens().Wait();
    EXPECT_TRUE(outcomes.empty());
    EXPECT_TRUE(session->OpenVorns().empty());
    EXPECT_EQ(log.Take(), (Lines{"closing b.vmres open readable", "active none"}));
    EXPECT_EQ(gate.Reads(QStringLiteral("never.vmres")), 0);

    // Dropping through a ticket keeps what was queued after it.
    Begin(QStringLiteral("a.vmres"));
    const TOpenQueue::TTicket through = session->Opens().LastTicket();
    Begin(QStringLiteral("b.vmres"));
    session->Opens().DropThrough(through);
    gate.LetThrough(QStringLiteral("b.vmres"));
    session->Opens().Wait();
    EXPECT_EQ(outcomes, Lines{"b.vmres got b.vmres"});
    outcomes.clear();

    // Destroyed while a worker is still reading: it waits for the read and
    // frees its archive.
    WriteSample(QStringLiteral("c.vmres"));
    Begin(QStringLiteral("c.vmres"));
    std::thread release([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        gate.LetThrough(QStringLiteral("c.vmres"));
    });
    session.reset();
    release.join();
    ProcessEvents();
    EXPECT_TRUE(outcomes.empty());
}

TEST_F(BrowserSessionOpenTest, TheProgressWindowNamesTheArchiveOpeningAndItsCancelDropsTheRest)
{
    WriteSample(QStringLiteral("a.vmres"));
    WriteSample(QStringLiteral("b.vmres"));
    WriteSample(QStringLiteral("earlier.vmres"));
    Begin(QStringLiteral("earlier.vmres")); // an earlier batch: not counted in the next one
    gate.LetThrough(QStringLiteral("earlier.vmres"));
    session->Opens().Wait();
    outcomes.clear();
    QWidget parent;
    TOpenProgress progress(session->Opens(), &parent);
    TOpenProgress::Delay = 0;
    Begin(QStringLiteral("a.vmres"));
    Begin(QStringLiteral("b.vmres"));
    TOpenProgress::Delay = 500;
    ProcessEvents();
    QProgressDialog *shown = progress.Window();
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->labelText(), QStringLiteral("Opening a.vmres\n0 opened so far"));

    gate.LetThrough(QStringLiteral("a.vmres"));
    while (outcomes.empty())
        QCoreApplication::processEvents();
    EXPECT_EQ(shown->labelText(), QStringLiteral("Opening b.vmres\n1 opened so far"));
    QPushButton *cancel = shown->findChild<QPushButton *>();
    ASSERT_NE(cancel, nullptr);
    cancel->click();
    EXPECT_EQ(progress.Window(), nullptr);
    EXPECT_TRUE(session->Opens().Empty());
    gate.LetThrough(QStringLiteral("b.vmres"));
    gate.WaitUntilRead(QStringLiteral("b.vmres"));
    ProcessEvents();
    EXPECT_EQ(outcomes, Lines{"a.vmres got a.vmres"});
    EXPECT_EQ(session->OpenVorns().size(), 2u);
}

} // namespace


TEST_F(BrowserTest, DroppingAReadInProgressTellsItsWorkerToStop)
{
    // The read waits for its cancel flag (at most 10 s) and notes whether it came.
    std::mutex mutex;
    std::condition_variable changed;
    bool reading = false;
    bool stopped = false;
    {
        TBrowserSession session([&](const QString &, const std::atomic<bool> &cancel) -> std::unique_ptr<TVornFile> {
            {
                const std::lock_guard lock(mutex);
                reading = true;
            }
            changed.notify_all();
            for (int i = 0; i < 1000 && !cancel; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            const std::lock_guard lock(mutex);
            stopped = cancel;
            throw EAbort();
        });
        session.BeginOpen(WriteSample(QStringLiteral("a.vmres")),
                          [](TVornFile *, std::exception_ptr) { ADD_FAILURE() << "a dropped read was handed over"; });
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return reading; });
        }
        session.CloseAll(); // as Close All and the opening window's Cancel do
    } // the session waits for its worker's read
    EXPECT_TRUE(stopped);
}
