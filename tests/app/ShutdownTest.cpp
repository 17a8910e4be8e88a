// The program ended by the system rather than by its user: SIGTERM and
// SIGHUP (the session ends) close it the ordinary way, so its settings are
// saved and the folders of Copy and Open with in the temporary folder go with
// it; and at start it removes such folders that ended runs left behind. A
// real VornViewer, run offscreen from a copy in a scratch folder.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

bool WaitUntil(const std::function<bool()> &condition, int seconds = 30)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

// A process id that no process has any more.
pid_t EndedProcess()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

using Environment = std::vector<std::pair<std::string, std::string>>;

class TViewer {
public:
    TViewer(const fs::path &program, const Environment &environment, const std::string &archive = {})
    {
        m_pid = fork();
        if (m_pid == 0) {
            for (const auto &[name, value] : environment)
                setenv(name.c_str(), value.c_str(), 1);
            execl(program.c_str(), program.c_str(), archive.empty() ? nullptr : archive.c_str(),
                  static_cast<char *>(nullptr));
            _exit(127);
        }
    }
    ~TViewer()
    {
        if (m_pid > 0) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
    }
    TViewer(const TViewer &) = delete;
    TViewer &operator=(const TViewer &) = delete;

    std::string Pid() const { return std::to_string(m_pid); }
    // Sends `signal` and waits for the end: true when the program ended by
    // returning 0 from its event loop rather than by the signal.
    bool EndsCleanlyOn(int signal)
    {
        kill(m_pid, signal);
        int status = -1;
        const bool ended = WaitUntil([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; });
        if (!ended)
            return false;
        m_pid = 0;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

private:
    pid_t m_pid = 0;
};

class Shutdown : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "vv_shutdown.XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        scratch = pattern;
        const char *user = std::getenv("USER");
        temp = scratch / "tmp" / (std::string("vornviewer-") + (user && *user ? user : "user"));
        fs::create_directories(temp);
        fs::permissions(temp, fs::perms::owner_all);
        fs::create_directories(scratch / "home");
        environment = {{"TMPDIR", (scratch / "tmp").string()},
                       {"HOME", (scratch / "home").string()},
                       {"XDG_CONFIG_HOME", (scratch / "home/.config").string()},
                       {"XDG_DATA_HOME", (scratch / "home/.local/share").string()}};
        // A copy of its own keeps the settings file out of the build folder.
        fs::create_directories(scratch / "program");
        program = scratch / "program/vornviewer";
        fs::copy_file(VV_VIEWER_PROGRAM, program);
    }
    void TearDown() override { fs::remove_all(scratch); }

    // A folder below the temporary folder with a file in it.
    void Make(const std::string &name)
    {
        fs::create_directories(temp / name);
        std::ofstream(temp / name / "file.txt") << "written by a run";
    }
    bool Exists(const std::string &name) const { return fs::exists(fs::symlink_status(temp / name)); }

    fs::path scratch, temp, program;
    Environment environment;
};

TEST_F(Shutdown, TermAndHangUpEndTheProgramWithItsCleanupAndStartUpClearsEndedRuns)
{
    const std::string ended = std::to_string(EndedProcess());
    const std::string other = std::to_string(getpid()); // this test runs here, not VornViewer
    const std::vector<std::string> stale = {"copy-" + ended + "-1", "open-" + ended + "-2",
                                            "same-name-" + ended + ":1", "copy-" + other + "-1"};
    for (const std::string &name : stale)
        Make(name);
    // Not of this kind: other names, and a link (never followed, never removed).
    const std::vector<std::string> foreign = {"copy-" + ended, "old-copy-" + ended + "-1", "same-name-" + ended};
    for (const std::string &name : foreign)
        Make(name);
    fs::create_directories(scratch / "elsewhere");
    std::ofstream(scratch / "elsewhere/keep.txt") << "keep";
    fs::create_directory_symlink(scratch / "elsewhere", temp / ("open-" + ended + "-3"));

    TViewer first(program, environment);
    ASSERT_TRUE(WaitUntil([&] {
        for (const std::string &name : stale)
            if (Exists(name))
                return false;
        return true;
    })) << "the folders of ended runs stay";
    for (const std::string &name : foreign)
        EXPECT_TRUE(Exists(name)) << name;
    EXPECT_TRUE(Exists("open-" + ended + "-3"));
    EXPECT_TRUE(fs::exists(scratch / "elsewhere/keep.txt"));

    // A second VornViewer leaves the folders of the first alone.
    const std::vector<std::string> ofFirst = {"copy-" + first.Pid() + "-1", "open-" + first.Pid() + "-1",
                                              "same-name-" + first.Pid() + ":1"};
    for (const std::string &name : ofFirst)
        Make(name);
    Make("copy-" + ended + "-9");
    TViewer second(program, environment);
    ASSERT_TRUE(WaitUntil([&] { return !Exists("copy-" + ended + "-9"); }));
    for (const std::string &name : ofFirst)
        EXPECT_TRUE(Exists(name)) << name;

    EXPECT_FALSE(fs::exists(scratch / "program/VornViewer.ini"));
    ASSERT_TRUE(first.EndsCleanlyOn(SIGTERM));
    for (const std::string &name : ofFirst)
        EXPECT_FALSE(Exists(name)) << name;
    EXPECT_TRUE(fs::exists(scratch / "program/VornViewer.ini")); // its windows closed as usual

    const std::vector<std::string> ofSecond = {"copy-" + second.Pid() + "-4", "same-name-" + second.Pid() + ":2"};
    for (const std::string &name : ofSecond)
        Make(name);
    ASSERT_TRUE(second.EndsCleanlyOn(SIGHUP));
    for (const std::string &name : ofSecond)
        EXPECT_FALSE(Exists(name)) << name;
}

// Signalled while it starts up and shows an error box (the archive it was
// given is damaged): the box is closed, then the window, as soon as there is one.
TEST_F(Shutdown, TermWhileAnErrorBoxShowsAtStartUp)
{
    std::ofstream(scratch / "damaged.vmres") << std::string(2000, 'x');
    const std::string ended = std::to_string(EndedProcess());
    Make("open-" + ended + "-1");
    TViewer viewer(program, environment, (scratch / "damaged.vmres").string());
    ASSERT_TRUE(WaitUntil([&] { return !Exists("open-" + ended + "-1"); }));
    EXPECT_TRUE(viewer.EndsCleanlyOn(SIGTERM));
}

} // namespace
