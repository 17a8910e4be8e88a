// vorntool mount for real: the built program mounts writer archives through
// FUSE and the tests read the folder as any program would. Skipped with a
// message where /dev/fuse or fusermount3 is missing. Every mount is ended
// (lazily, if a test failed while holding a file) and the program stopped.

#include "tests/engines/ExtractTestSupport.h"
#include "tests/support/VornWriter.h"

#include "archive/Crc32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <random>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

std::string Quote(const std::string &text)
{
    std::string quoted = "'";
    for (const char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

int Shell(const std::string &command)
{
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool IsMounted(const std::string &folder)
{
    std::ifstream mounts("/proc/self/mounts");
    for (std::string device, point, rest; mounts >> device >> point && std::getline(mounts, rest);)
        if (point == folder)
            return true;
    return false;
}

// Ends the mount; 0 on success. A desktop's volume monitors may look into a
// new mount for a moment (a trash folder, a thumbnail), so a busy mount is
// tried again for a while.
int Unmount(const std::string &folder)
{
    int code = 1;
    for (int attempt = 0; attempt < 50 && code != 0; ++attempt) {
        if (attempt > 0)
            std::this_thread::sleep_for(100ms);
        code = Shell("fusermount3 -u " + Quote(folder) + (attempt < 49 ? " 2>/dev/null" : ""));
    }
    return code;
}

std::string FuseMissing()
{
    const int fd = ::open("/dev/fuse", O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return "/dev/fuse can't be opened here";
    ::close(fd);
    if (Shell("command -v fusermount3 >/dev/null") != 0)
        return "fusermount3 is not installed";
    return {};
}

// One run of `vorntool mount`, ended when the object goes.
class TMountRun {
public:
    TMountRun(const std::vector<std::string> &arguments, const std::string &errorFile)
    {
        m_MountPoint = arguments.back();
        m_Pid = ::fork();
        if (m_Pid == 0) {
            const int err = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
            ::dup2(err, 2);
            std::vector<char *> argv{const_cast<char *>(VORNTOOL_PATH), const_cast<char *>("mount")};
            for (const std::string &argument : arguments)
                argv.push_back(const_cast<char *>(argument.c_str()));
            argv.push_back(nullptr);
            ::execv(VORNTOOL_PATH, argv.data());
            ::_exit(127);
        }
    }
    ~TMountRun()
    {
        if (IsMounted(m_MountPoint))
            Shell("fusermount3 -uz " + Quote(m_MountPoint));
        if (m_Pid > 0 && waitExit(10s) == -1) {
            ::kill(m_Pid, SIGKILL);
            ::waitpid(m_Pid, nullptr, 0);
        }
    }

    // True once the folder is mounted; false when the program ended first.
    bool waitMounted()
    {
        for (auto end = std::chrono::steady_clock::now() + 20s; std::chrono::steady_clock::now() < end;) {
            if (IsMounted(m_MountPoint))
                return true;
            if (m_Pid > 0 && ::waitpid(m_Pid, &m_Status, WNOHANG) == m_Pid) {
                m_Pid = 0;
                return false;
            }
            std::this_thread::sleep_for(20ms);
        }
        return false;
    }
    // Ctrl+C in the terminal that runs the mount.
    void interrupt() const { ::kill(m_Pid, SIGINT); }
    // The exit code, or -1 when the program is still running after `timeout`.
    int waitExit(std::chrono::milliseconds timeout)
    {
        for (auto end = std::chrono::steady_clock::now() + timeout; m_Pid > 0;) {
            if (::waitpid(m_Pid, &m_Status, WNOHANG) == m_Pid)
                m_Pid = 0;
            else if (std::chrono::steady_clock::now() > end)
                return -1;
            else
                std::this_thread::sleep_for(20ms);
        }
        return WIFEXITED(m_Status) ? WEXITSTATUS(m_Status) : -1;
    }

private:
    std::string m_MountPoint;
    pid_t m_Pid = -1;
    int m_Status = 0;
};

std::string Slurp(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Reads a whole file with read(); the errno of a failed read, or 0.
int ReadWhole(const std::string &path, std::string &contents)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    contents.clear();
    char buffer[65536];
    int error = 0;
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) != 0;) {
        if (n < 0) {
            error = errno;
            break;
        }
        contents.append(buffer, size_t(n));
    }
    ::close(fd);
    return error;
}

std::string AsText(const Bytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

class MountTest : public ::testing::Test {
protected:
    TScratchFolder scratch;
    std::string mountPoint = (scratch.path() / "mnt").string();
    std::string errors = (scratch.path() / "errors.txt").string();

    void SetUp() override
    {
        if (const std::string missing = FuseMissing(); !missing.empty())
            GTEST_SKIP() << "no real mount possible: " << missing;
        std::filesystem::create_directory(mountPoint);
    }

    std::string archive(VornWriter &writer, const std::string &name = "test.vmres")
    {
        const std::string path = (scratch.path() / name).string();
        writer.write(path);
        return path;
    }

    std::unique_ptr<TMountRun> mount(std::vector<std::string> arguments)
    {
        arguments.push_back(mountPoint);
        auto run = std::make_unique<TMountRun>(arguments, errors);
        EXPECT_TRUE(run->waitMounted()) << Slurp(errors);
        return run;
    }

    std::string at(const std::string &relative) const { return mountPoint + "/" + relative; }
};

// Everything the writer can store, in folders, with 8-bit names.
void RichArchive(VornWriter &writer)
{
    const auto art = writer.addDir(0, "art", MakeFileTime(2004, 2, 29, 12));
    const auto deep = writer.addDir(writer.addDir(art, "deep"), "er");
    writer.addDir(0, "empty folder");
    writer.addFile(art, {"raw.bin", PatternBytes(300000, 1), DATAFORMAT_RAW, 0, {}, 0, false,
                         MakeFileTime(2003, 5, 14, 8, 30)});
    writer.addFile(art, {"zlib whole.txt", TextLikeBytes(70000, 2), DATAFORMAT_ZLIB});
    writer.addFile(deep, {"lzo whole.txt", TextLikeBytes(70000, 3), DATAFORMAT_LZO});
    writer.addFile(deep, {"chunked.lzo", TextLikeBytes(500000, 4), DATAFORMAT_LZO, 16384});
    FileSpec extra{"extra.zlib", TextLikeBytes(200000, 5), DATAFORMAT_ZLIB, 32768};
    extra.extraBytes = 7;
    writer.addFile(0, extra);
    writer.addFile(0, {"caf\xE9 \x80.txt", TextBytes("euro")});
    writer.addFile(0, {"empty.txt", {}});
}

TEST_F(MountTest, TheMountHoldsWhatExtractionWrites)
{
    VornWriter writer;
    RichArchive(writer);
    const std::string path = archive(writer);
    const std::string extracted = (scratch.path() / "x").string();
    ASSERT_EQ(Shell(Quote(VORNTOOL_PATH) + " x " + Quote(path) + " -o " + Quote(extracted) + " >/dev/null"), 0);
    ino_t firstInode = 0;
    for (int round = 0; round < 2; ++round) {
        auto run = mount({path});
        EXPECT_EQ(Shell("diff -r " + Quote(mountPoint) + " " + Quote(extracted)), 0);

        struct stat file {}, folder {};
        ASSERT_EQ(::stat(at("art/raw.bin").c_str(), &file), 0);
        ASSERT_EQ(::stat(at("art/deep").c_str(), &folder), 0);
        EXPECT_EQ(file.st_mode, S_IFREG | 0444u);
        EXPECT_EQ(folder.st_mode, S_IFDIR | 0555u);
        EXPECT_EQ(file.st_uid, ::getuid());
        EXPECT_EQ(file.st_size, 300000);
        EXPECT_EQ(file.st_blocks, (300000 + 511) / 512);
        struct stat written {};
        ASSERT_EQ(::stat((extracted + "/art/raw.bin").c_str(), &written), 0);
        EXPECT_EQ(file.st_mtime, written.st_mtime); // the entry's time, as extraction sets it
        EXPECT_NE(file.st_mtime, 0);
        if (round == 0)
            firstInode = file.st_ino;
        EXPECT_EQ(file.st_ino, firstInode); // the same number at every mount
        struct statvfs volume {};
        ASSERT_EQ(::statvfs(mountPoint.c_str(), &volume), 0);
        EXPECT_EQ(volume.f_files, 12u); // the root, 4 folders, 7 files

        EXPECT_NE(::open(at("new").c_str(), O_WRONLY | O_CREAT, 0644), 0); // read-only
        EXPECT_EQ(errno, EROFS);
        ASSERT_EQ(Unmount(mountPoint), 0);
        EXPECT_EQ(run->waitExit(10s), 0);
    }
}

TEST_F(MountTest, ReadsAtRandomOffsetsOfChunkedFilesGiveTheStoredBytes)
{
    const Bytes zlib = TextLikeBytes(3 << 20, 6);
    const Bytes lzo = PatternBytes(3 << 20, 7);
    VornWriter writer;
    writer.addFile(0, {"z", zlib, DATAFORMAT_ZLIB, 65536});
    writer.addFile(0, {"l", lzo, DATAFORMAT_LZO, 20000});
    auto run = mount({"--cache", "1", archive(writer)});
    for (const auto &[name, data] : {std::pair{"z", &zlib}, std::pair{"l", &lzo}}) {
        const int fd = ::open(at(name).c_str(), O_RDONLY);
        ASSERT_GE(fd, 0);
        std::mt19937 random(3);
        std::string buffer(70000, '\0');
        for (int i = 0; i < 1000; ++i) {
            const size_t offset = random() % data->size();
            const size_t size = 1 + random() % buffer.size();
            const ssize_t got = ::pread(fd, buffer.data(), size, off_t(offset));
            const size_t expected = std::min(size, data->size() - offset);
            ASSERT_EQ(got, ssize_t(expected)) << name << " at " << offset;
            ASSERT_EQ(std::memcmp(buffer.data(), data->data() + offset, expected), 0) << name << " at " << offset;
        }
        ::close(fd);
    }
}

TEST_F(MountTest, ADamagedEntryGivesEioWhileTheOthersRead)
{
    const Bytes data = TextLikeBytes(200000, 8);
    VornWriter writer;
    writer.addFile(0, {"good", data, DATAFORMAT_ZLIB, 16384});
    const auto broken = writer.addFile(0, {"broken", data, DATAFORMAT_ZLIB, 16384});
    FileSpec wrongCrc{"wrong crc", data, DATAFORMAT_RAW};
    wrongCrc.crcOverride = 1234;
    writer.addFile(0, wrongCrc);
    Bytes bytes = writer.build();
    PutU32(bytes, writer.chunkRecordPosition(broken, 3) + 12, 0); // chunk 3 points at chunk 0's bytes
    const std::string path = (scratch.path() / "damaged.vmres").string();
    WriteBytes(path, bytes);
    auto run = mount({path});
    std::string contents;
    EXPECT_EQ(ReadWhole(at("broken"), contents), EIO);
    EXPECT_EQ(contents, AsText(data).substr(0, contents.size())); // what came before is right
    EXPECT_EQ(ReadWhole(at("wrong crc"), contents), EIO);
    EXPECT_EQ(ReadWhole(at("good"), contents), 0);
    EXPECT_TRUE(contents == AsText(data));
    ASSERT_EQ(Unmount(mountPoint), 0);
    EXPECT_EQ(run->waitExit(10s), 0);
    const std::string report = Slurp(errors);
    EXPECT_NE(report.find("broken: "), std::string::npos) << report;
    EXPECT_NE(report.find("wrong crc: CRC-32 differs from header"), std::string::npos) << report;
}

TEST_F(MountTest, ManyReadersAtOnceAllGetTheirBytes)
{
    std::vector<Bytes> files;
    VornWriter writer;
    for (int i = 0; i < 6; ++i) {
        files.push_back(TextLikeBytes(400000 + i * 1000, 20 + i));
        writer.addFile(0, {"f" + std::to_string(i), files.back(), uint16_t(i % 3), i % 2 ? 0u : 8192u});
    }
    auto run = mount({"--cache", "1", archive(writer)});
    std::atomic<int> wrong = 0;
    std::vector<std::thread> readers;
    for (int t = 0; t < 8; ++t)
        readers.emplace_back([&, t] {
            for (int round = 0; round < 3; ++round) {
                const int i = (t + round) % 6;
                std::string contents;
                if (ReadWhole(at("f" + std::to_string(i)), contents) != 0 || contents != AsText(files[size_t(i)]))
                    ++wrong;
            }
        });
    for (std::thread &reader : readers)
        reader.join();
    EXPECT_EQ(wrong, 0);
}

TEST_F(MountTest, UnmountWaitsForAReaderThatHoldsAFileOpen)
{
    VornWriter writer;
    writer.addFile(0, {"held", TextLikeBytes(100000, 9), DATAFORMAT_LZO, 16384});
    auto run = mount({archive(writer)});
    const int fd = ::open(at("held").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_NE(Shell("fusermount3 -u " + Quote(mountPoint) + " 2>/dev/null"), 0); // busy
    char byte = 0;
    EXPECT_EQ(::pread(fd, &byte, 1, 99999), 1);
    ::close(fd);
    ASSERT_EQ(Unmount(mountPoint), 0);
    EXPECT_EQ(run->waitExit(10s), 0);
    EXPECT_FALSE(IsMounted(mountPoint));
}

TEST_F(MountTest, CtrlCEndsTheMount)
{
    VornWriter writer;
    writer.addFile(0, {"f", TextBytes("x")});
    auto run = mount({archive(writer)});
    run->interrupt();
    EXPECT_EQ(run->waitExit(10s), 0);
    EXPECT_FALSE(IsMounted(mountPoint));
}

TEST_F(MountTest, HostileNamesStayInsideTheMount)
{
    VornWriter writer;
    const auto folder = writer.addDir(0, "..");
    writer.addFile(folder, {"../../escaped", TextBytes("out")});
    writer.addFile(0, {".", TextBytes("dot")});
    writer.addFile(0, {"", TextBytes("nameless")});
    writer.addFile(0, {"a/b", TextBytes("slash")});
    auto run = mount({archive(writer)});
    std::vector<std::string> found;
    for (const auto &item : std::filesystem::recursive_directory_iterator(mountPoint))
        found.push_back(std::filesystem::relative(item.path(), mountPoint).string());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"_.._", "_.._/.._.._escaped", "_._", "_unnamed_", "a_b"}));
    EXPECT_EQ(Slurp(at("_.._/.._.._escaped")), "out");
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / "escaped"));
    ASSERT_EQ(Unmount(mountPoint), 0);
    EXPECT_EQ(run->waitExit(10s), 0);
    const std::string report = Slurp(errors);
    EXPECT_NE(report.find("a_b: shown under this name"), std::string::npos) << report;
}

TEST_F(MountTest, SeveralArchivesInTheBackgroundGetAFolderEach)
{
    VornWriter first;
    first.addFile(0, {"one", TextBytes("1")});
    VornWriter second;
    second.addFile(0, {"two", TextBytes("2")});
    auto run = mount({"-b", archive(first, "a.vmres"), archive(second, "b.vmmap")});
    EXPECT_EQ(run->waitExit(10s), 0); // the program returned; its background half serves
    EXPECT_EQ(Slurp(at("a.vmres/one")), "1");
    EXPECT_EQ(Slurp(at("b.vmmap/two")), "2");
    EXPECT_EQ(Unmount(mountPoint), 0);
}

TEST_F(MountTest, AnArchiveTruncatedWhileMountedGivesEio)
{
    VornWriter writer;
    writer.addFile(0, {"raw", PatternBytes(200000, 10)});
    writer.addFile(0, {"chunked", TextLikeBytes(200000, 11), DATAFORMAT_ZLIB, 16384});
    const std::string path = archive(writer);
    auto run = mount({path});
    std::filesystem::resize_file(path, 1000);
    std::string contents;
    EXPECT_EQ(ReadWhole(at("raw"), contents), EIO);
    EXPECT_EQ(ReadWhole(at("chunked"), contents), EIO);
    EXPECT_TRUE(std::filesystem::exists(at("raw"))); // still mounted and answering
}

// A game folder of two archives whose paths meet in every way a merge knows
// (an override spelled in other letter case, a file against a folder each
// way round) and a damaged one, mounted in the background as the window does.
TEST_F(MountTest, TheMergedMountHoldsWhatMergedExtractionWrites)
{
    const std::filesystem::path game = scratch.path() / "game";
    std::filesystem::create_directories(game / "patches");
    VornWriter factory;
    const auto art = factory.addDir(0, "Art");
    factory.addFile(art, {"Stone.dds", TextLikeBytes(90000, 30), DATAFORMAT_ZLIB, 16384});
    factory.addFile(art, {"keep.txt", TextBytes("kept")});
    factory.addFile(factory.addDir(0, "sound"), {"x.wav", TextBytes("hidden below a file")});
    factory.addFile(0, {"mixed", TextBytes("hidden by a folder")});
    factory.addFile(0, {"caf\xE9.txt", TextBytes("8-bit name")});
    VornWriter patch;
    patch.header.m_Priority = 0x3000; // Patch, above Factory
    patch.addFile(patch.addDir(0, "art"), {"STONE.DDS", TextLikeBytes(50000, 31), DATAFORMAT_LZO});
    patch.addFile(0, {"Sound", TextBytes("a file now")});
    patch.addFile(patch.addDir(0, "MIXED"), {"inner.txt", TextBytes("in")});
    factory.write((game / "factory.vmres").string());
    patch.write((game / "patches" / "patch.vmres").string());
    WriteBytes((game / "broken.vmres").string(), TextBytes("not an archive"));
    const std::string extracted = (scratch.path() / "x").string();
    Shell(Quote(VORNTOOL_PATH) + " x --merged " + Quote(game.string()) + " -o " + Quote(extracted)
          + " >/dev/null 2>&1");
    ASSERT_TRUE(std::filesystem::exists(extracted + "/art/STONE.DDS"));

    auto run = mount({"-b", "--merged", game.string()});
    EXPECT_EQ(run->waitExit(10s), 0);
    EXPECT_EQ(Shell("diff -r " + Quote(mountPoint) + " " + Quote(extracted)), 0);
    EXPECT_EQ(Slurp(at("Sound")), "a file now");
    EXPECT_EQ(Unmount(mountPoint), 0);
    const std::string report = Slurp(errors);
    EXPECT_TRUE(report.starts_with((game / "broken.vmres").string() + ": ")) << report;
}

// Refusals need no kernel: they come before the mount.
TEST(MountRefusalTest, BadArchivesAndMountPointsGetClearErrors)
{
    TScratchFolder scratch;
    VornWriter writer;
    writer.addFile(0, {"f", TextBytes("x")});
    const std::string good = (scratch.path() / "good.vmres").string();
    writer.write(good);
    Bytes damaged = writer.build();
    damaged[4] = 'v'; // "vorn"
    const std::string bad = (scratch.path() / "bad.vmres").string();
    WriteBytes(bad, damaged);
    const std::string folder = (scratch.path() / "full").string();
    std::filesystem::create_directory(folder);
    WriteBytes(folder + "/item", {});
    const std::string empty = (scratch.path() / "empty").string();
    std::filesystem::create_directory(empty);
    const std::string err = (scratch.path() / "err").string();
    const auto refusal = [&](const std::string &archive, const std::string &point) {
        // A mount that should have been refused is ended by the timeout.
        const int code = Shell("timeout -s INT 10 " + Quote(VORNTOOL_PATH) + " mount " + Quote(archive) + " "
                               + Quote(point) + " 2>" + Quote(err));
        return std::to_string(code) + " " + Slurp(err);
    };
    EXPECT_EQ(refusal(bad, empty), "1 " + bad + ": Unknown header!\n");
    EXPECT_EQ(refusal(good, scratch.str() + "/missing"), "1 The mount point " + scratch.str() + "/missing does not exist\n");
    EXPECT_EQ(refusal(good, good), "1 The mount point " + good + " is not a folder\n");
    EXPECT_EQ(refusal(good, folder), "1 The mount point " + folder + " is not empty\n");
    const auto mergedRefusal = [&](const std::string &source) {
        const int code = Shell("timeout -s INT 10 " + Quote(VORNTOOL_PATH) + " mount --merged " + Quote(source) + " "
                               + Quote(empty) + " 2>" + Quote(err));
        return std::to_string(code) + " " + Slurp(err);
    };
    EXPECT_EQ(mergedRefusal(bad), "1 " + bad + ": Unknown header!\nNo archives to merge\n");
    EXPECT_EQ(mergedRefusal(empty), "1 " + empty + ": No archives (.vmres, .vmmap) in this folder or below it\n"
                                    "No archives to merge\n");
}

} // namespace
