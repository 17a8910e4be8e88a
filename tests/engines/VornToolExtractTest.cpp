// vorntool x: arguments, overwrite flags, reports, exit codes and Ctrl+C.

#include "tests/engines/ExtractTestSupport.h"

#include "archive/vmFunctions.h"
#include "tests/support/DemoContent.h"
#include "vorntool/CancelOnSignal.h"
#include "vorntool/VornToolExtract.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace {

using Files = std::map<std::string, std::string>;

class VornToolExtract : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Questions must never wait for a terminal here.
        const int devNull = ::open("/dev/null", O_RDONLY);
        ::dup2(devNull, STDIN_FILENO);
        ::close(devNull);

        entryTime = MakeFileTime(2015, 3, 4, 5, 6, 8);
        ASSERT_TRUE(FileTimeToLocalUnixTime(entryTime, entryUnixTime));
        VornWriter writer;
        writer.addFile(0, TextFile("top.txt", "top", entryTime));
        const auto a = writer.addDir(0, "a");
        const auto b = writer.addDir(a, "b");
        writer.addFile(b, TextFile("x.txt", "x", entryTime, DATAFORMAT_ZLIB));
        writer.addFile(b, TextFile("y.txt", "y", entryTime, DATAFORMAT_LZO));
        archive = (scratch.path() / "test.vmres").string();
        BuildArchive(writer, archive);
        out = scratch.path() / "out";
    }

    int Run(std::vector<std::string> arguments)
    {
        arguments.insert(arguments.begin(), archive);
        ::testing::internal::CaptureStderr();
        try {
            const int code = RunExtractCommand(arguments);
            errors = ::testing::internal::GetCapturedStderr();
            return code;
        } catch (...) {
            errors = ::testing::internal::GetCapturedStderr();
            throw;
        }
    }

    TScratchFolder scratch;
    std::string archive;
    fs::path out;
    std::string errors;
    TFileTime entryTime = 0;
    std::time_t entryUnixTime = 0;
};

TEST_F(VornToolExtract, WholeArchiveWithOrWithoutFolders)
{
    EXPECT_EQ(Run({"-o", out.string()}), 0);
    EXPECT_EQ(FilesBelow(out), (Files{{"top.txt", "top"}, {"a/b/x.txt", "x"}, {"a/b/y.txt", "y"}}));
    EXPECT_EQ(ModificationTime(out / "a/b/x.txt"), entryUnixTime);

    TScratchFolder flat;
    EXPECT_EQ(Run({"--flat", "-o", flat.str()}), 0);
    EXPECT_EQ(FilesBelow(flat.path()), (Files{{"top.txt", "top"}, {"x.txt", "x"}, {"y.txt", "y"}}));
}

TEST_F(VornToolExtract, NamedPathsKeepTheirArchivePath)
{
    EXPECT_EQ(Run({"-o", out.string(), "a/b/x.txt", "A/B"}), 0);
    EXPECT_EQ(FilesBelow(out), (Files{{"a/b/x.txt", "x"}, {"a/b/y.txt", "y"}}));
    // The folder holds the file named before it: x.txt is written once, no question.
    EXPECT_EQ(errors.find("Skipped existing file"), std::string::npos) << errors;
}

TEST_F(VornToolExtract, AMissingPathFailsButTheOthersAreWritten)
{
    EXPECT_EQ(Run({"-o", out.string(), "nothing/here", "top.txt"}), 1);
    EXPECT_EQ(FilesBelow(out), (Files{{"top.txt", "top"}}));
    EXPECT_NE(errors.find("nothing/here"), std::string::npos);
}

TEST_F(VornToolExtract, OverwriteFlags)
{
    WriteText(out / "top.txt", "old");
    WriteText(out / "a/b/x.txt", "old");
    SetModificationTime(out / "top.txt", entryUnixTime - 2);
    SetModificationTime(out / "a/b/x.txt", entryUnixTime);

    EXPECT_EQ(Run({"-o", out.string(), "-n"}), 0);
    EXPECT_EQ(ReadText(out / "top.txt"), "old");
    EXPECT_EQ(Run({"-o", out.string()}), 0); // no terminal: skipped
    EXPECT_EQ(ReadText(out / "top.txt"), "old");
    EXPECT_EQ(Run({"-o", out.string(), "--older"}), 0);
    EXPECT_EQ(ReadText(out / "top.txt"), "top");
    EXPECT_EQ(ReadText(out / "a/b/x.txt"), "old");
    EXPECT_EQ(Run({"-o", out.string(), "-y"}), 0);
    EXPECT_EQ(ReadText(out / "a/b/x.txt"), "x");
}

TEST_F(VornToolExtract, AFailedFileIsReportedAndGivesExitCodeOne)
{
    VornWriter writer;
    FileSpec damaged = TextFile("bad.txt", "contents", 0, DATAFORMAT_ZLIB);
    damaged.crcOverride = 7;
    writer.addFile(0, damaged);
    writer.addFile(0, TextFile("good.txt", "good"));
    archive = (scratch.path() / "damaged.vmres").string();
    BuildArchive(writer, archive);
    EXPECT_EQ(Run({"-o", out.string()}), 1);
    EXPECT_EQ(FilesBelow(out), (Files{{"good.txt", "good"}}));
    EXPECT_NE(errors.find("Can't extract: " + (out / "bad.txt").string() + "\nError: CRC-32 differs from header"),
              std::string::npos);
}

#ifdef VV_WITH_PNG
TEST_F(VornToolExtract, PngWritesImagesAsPngUnderTheOverwriteFlags)
{
    VornWriter writer;
    writer.addFile(0, FileSpec{.name = "t.raw", .data = MakeRawTexture(2, 1, {1, 2, 3, 4, 5, 6, 7, 8}), .time = entryTime});
    writer.addFile(0, TextFile("notes.txt", "text", entryTime));
    archive = (scratch.path() / "images.vmres").string();
    BuildArchive(writer, archive);
    WriteText(out / "t.raw.png", "old");

    EXPECT_EQ(Run({"-o", out.string(), "--png", "-n"}), 0);
    EXPECT_EQ(FilesBelow(out), (Files{{"notes.txt", "text"}, {"t.raw.png", "old"}}));
    EXPECT_EQ(Run({"-o", out.string(), "--png", "-y"}), 0);
    const Files written = FilesBelow(out);
    ASSERT_EQ(written.size(), 2u); // the texture itself is not written
    EXPECT_EQ(written.at("t.raw.png").substr(0, 4), "\x89PNG");
    EXPECT_EQ(ModificationTime(out / "t.raw.png"), entryUnixTime);
}
#endif

TEST_F(VornToolExtract, WrongArgumentsAreRefused)
{
    EXPECT_THROW(Run({"-y", "-n"}), Exception);
    EXPECT_THROW(Run({"--bogus"}), Exception);
    EXPECT_THROW(Run({"-o"}), Exception);
    EXPECT_THROW(RunExtractCommand({}), Exception);
    EXPECT_THROW(RunExtractCommand({(scratch.path() / "absent.vmres").string()}), Exception);
}

TEST(TerminalQuestion, RepliesMapToAnswersAndEndOfInputSkips)
{
    TOverwriteQuestion question;
    question.ExistingPath = "/tmp/x";
    std::istringstream input("maybe\nA\n");
    std::ostringstream output;
    TTerminalQuestion terminal(input, output, true);
    EXPECT_EQ(terminal.AskOverwrite(question), TOverwriteAnswer::YesToAll);
    EXPECT_NE(output.str().find("/tmp/x already exists."), std::string::npos);
    EXPECT_EQ(terminal.AskOverwrite(question), TOverwriteAnswer::No);

    EXPECT_EQ(ParseOverwriteReply("y"), TOverwriteAnswer::Yes);
    EXPECT_EQ(ParseOverwriteReply("n"), TOverwriteAnswer::No);
    EXPECT_EQ(ParseOverwriteReply("N"), TOverwriteAnswer::NoToAll);
    EXPECT_EQ(ParseOverwriteReply("o"), TOverwriteAnswer::OnlyOlder);
    EXPECT_EQ(ParseOverwriteReply("x"), std::nullopt);
}

TEST(CancelOnSignal, EachSignalCancelsTheJobAndTheDefaultsComeBack)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        TJob job;
        {
            TCancelOnSignal cancel(job);
            cancel.EndBySignal(); // none came yet: it returns
            std::raise(signal);
            EXPECT_TRUE(job.Cancelled()) << signal;
            EXPECT_EQ(cancel.Received(), signal);
        }
        struct sigaction action {};
        ASSERT_EQ(::sigaction(signal, nullptr, &action), 0);
        EXPECT_EQ(action.sa_handler, SIG_DFL) << signal;
    }
}

} // namespace
