// vorntool as a user runs it: output, error messages and exit codes.

#include "tests/support/DemoContent.h"
#include "tests/support/VornWriter.h"

#include "archive/Crc32.h"
#include "archive/Exceptions.h"
#include "archive/vmFunctions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vv_tool_test.XXXXXX").string();
        if (!mkdtemp(pattern.data()))
            throw std::runtime_error("mkdtemp failed");
        m_path = pattern;
    }
    ~TempDir() { std::filesystem::remove_all(m_path); }
    std::string file(const std::string &name) const { return m_path + "/" + name; }

private:
    std::string m_path;
};

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string Quote(const std::string &text)
{
    std::string quoted(1, '\'');
    for (char c : text) {
        if (c == '\'')
            quoted.append("'\\''");
        else
            quoted.push_back(c);
    }
    quoted.push_back('\'');
    return quoted;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool AddressSpaceCanBeLimited = false; // the sanitizer maps terabytes of shadow memory
#else
constexpr bool AddressSpaceCanBeLimited = true;
#endif

// With `addressSpaceKb`, the run may map no more than that much memory
// (not under AddressSanitizer, which needs far more address space itself).
ToolRun Vorntool(const std::vector<std::string> &arguments, unsigned addressSpaceKb = 0)
{
    TempDir dir;
    std::string command = Quote(VORNTOOL_PATH);
    if (addressSpaceKb != 0 && AddressSpaceCanBeLimited)
        command = "ulimit -v " + std::to_string(addressSpaceKb) + " && exec " + command;
    for (const std::string &argument : arguments)
        command.append(" ").append(Quote(argument));
    command.append(" >").append(Quote(dir.file("out"))).append(" 2>").append(Quote(dir.file("err")));
    const int status = std::system(command.c_str());
    ToolRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadAll(dir.file("out"));
    run.err = ReadAll(dir.file("err"));
    return run;
}

std::vector<std::string> Split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, separator);)
        parts.push_back(part);
    return parts;
}

std::vector<std::string> Lines(const std::string &text)
{
    return Split(text, '\n');
}

std::string Crc(const Bytes &bytes)
{
    return FormatStr("%08X", CalcCRC32(0, bytes.data(), bytes.size()));
}

std::string AsString(const Bytes &bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

std::string JsonQuoted(const std::string &text)
{
    return "\"" + text + "\"";
}

const std::string Demo = DEMO_ARCHIVE_PATH;

TEST(VornToolTest, DemoArchiveTestsClean)
{
    const ToolRun run = Vorntool({"test", Demo});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "10 files OK, 0 failed\n");
    EXPECT_EQ(run.err, "");
}

TEST(VornToolTest, CatGivesTheStoredBytesOfTheDemo)
{
    const std::vector<std::pair<std::string, Bytes>> files = {
        {"art/bitmaps/banner.bmp", MakeBitmap(200, 100)},
        {"ART/BITMAPS/pic.bmp", MakeBitmap(64, 64)},
        {"scripts/quest.lua", TextLikeBytes(20000, 3)},
        {"maps/world.vmmap", TextLikeBytes(8 * 1024 * 1024, 11)},
        {"maps/heightmap.bin", PatternBytes(300000, 5)},
        {"/scripts/$system.cfg", TextBytes("debug=0\nfullscreen=1\n")},
        {"empty.txt", {}},
    };
    for (const auto &[path, data] : files) {
        SCOPED_TRACE(path);
        const ToolRun run = Vorntool({"cat", Demo, path});
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_TRUE(run.out == AsString(data)) << run.out.size() << " bytes instead of " << data.size();
        EXPECT_EQ(run.err, "");
    }
}

TEST(VornToolTest, DemoListing)
{
    const ToolRun run = Vorntool({"ls", Demo});
    EXPECT_EQ(run.exitCode, 0);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 16u);
    std::vector<std::string> paths;
    for (const std::string &line : lines) {
        const auto fields = Split(line, '\t');
        ASSERT_EQ(fields.size(), 7u) << line;
        paths.push_back(fields[6]);
    }
    EXPECT_EQ(paths, (std::vector<std::string>{
                         "art/", "art/bitmaps/", "art/bitmaps/banner.bmp", "art/bitmaps/PIC.BMP", "art/textures/",
                         "art/textures/checker.raw", "scripts/", "scripts/readme.txt", "scripts/quest.lua",
                         "scripts/$system.cfg", "scripts/old_quest.lua", "maps/", "maps/world.vmmap",
                         "maps/heightmap.bin", "empty/", "empty.txt"}));
    const std::string t2 = FileTimeToStr(MakeFileTime(2004, 2, 29, 9, 30, 0));
    EXPECT_EQ(lines[11], "d\t0\t0\t-\t-\t" + t2 + "\tmaps/");
    const auto world = Split(lines[12], '\t');
    EXPECT_EQ(world[1], "8388608");
    EXPECT_EQ(world[3], "Zlib");
    EXPECT_EQ(world[4], Crc(TextLikeBytes(8 * 1024 * 1024, 11)));
    EXPECT_EQ(world[5], t2);
    EXPECT_EQ(lines[15], "f\t0\t0\tRaw\t-\t" + FileTimeToStr(MakeFileTime(2003, 5, 14, 17, 4, 8)) + "\tempty.txt");
}

TEST(VornToolTest, InfoShowsHeaderRowsAndTexts)
{
    const ToolRun run = Vorntool({"info", Demo});
    EXPECT_EQ(run.exitCode, 0);
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 21u);
    EXPECT_EQ(lines[0], "m_ProductId: Velm");
    EXPECT_EQ(lines[1], "m_VornId: Vorn");
    EXPECT_EQ(lines[2], "m_HeaderVersion: 1.0");
    EXPECT_EQ(lines[3], "m_DirSetOffset: 0x00000396"); // header plus the 67-unit description
    EXPECT_EQ(lines[5].rfind("m_IndexSize: ", 0), 0u);
    EXPECT_EQ(lines[7], "m_ProductVersion: 01.[00].1234.05.0607");
    EXPECT_EQ(lines[8], "m_MinimumVersion: 01.[00].1000.00.0000");
    EXPECT_EQ(lines[9], "m_Priority: Patch + 2");
    EXPECT_EQ(lines[10], "m_Flags: NON_RETAIL; ALLOW_MULTIPLAYER_XFER; ");
    EXPECT_EQ(lines[11], "m_CreatorId: DEMO");
    EXPECT_EQ(lines[12], "m_GUID: {12345678-9ABC-DEF0-0102-030405060708}");
    EXPECT_EQ(lines[13], "m_IndexCRC32: 0x00000000");
    EXPECT_EQ(lines[15], "m_UtcBuildTime: 05/14(3)/2003, 17:04:09.120");
    EXPECT_EQ(lines[16], "Title: VornViewer demo archive");
    EXPECT_EQ(lines[17], "Copyright: (c) the VornViewer developers");
    EXPECT_EQ(lines[18], "Author: VornViewer");
    EXPECT_EQ(lines[19], "Build Info: demo build 1");
    EXPECT_EQ(lines[20], "Description: A small archive that shows every kind of entry the viewer handles.");
}

TEST(VornToolTest, ListAndCatOfWriterArchives)
{
    TempDir dir;
    const TFileTime time = MakeFileTime(2004, 2, 29, 9, 30, 0);
    const Bytes text = TextLikeBytes(70000, 4);
    VornWriter w;
    w.header.m_TitleText = u"\u00c4rger \u20ac";
    const auto sub = w.addDir(0, "sub", time);
    w.addDir(sub, "empty", time);
    w.addFile(sub, {.name = "hello.txt", .data = TextBytes("hello"), .time = time});
    w.addFile(0, {.name = "caf\xe9.lzo", .data = text, .format = DATAFORMAT_LZO, .chunkSize = 16384,
                  .extraBytes = 5, .extraOverwrites = true, .time = time});
    w.addFile(0, {.name = "z", .data = text, .format = DATAFORMAT_ZLIB, .time = time, .crcOverride = 0});
    w.addFile(0, {.name = "odd", .data = TextBytes("x"), .format = 9, .time = time});
    const std::string path = dir.file("w.vmres");
    w.write(path);

    const ToolRun ls = Vorntool({"ls", path});
    EXPECT_EQ(ls.exitCode, 0);
    const std::string date = FileTimeToStr(time);
    const auto lines = Lines(ls.out);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "d\t0\t0\t-\t-\t" + date + "\tsub/");
    EXPECT_EQ(lines[1], "d\t0\t0\t-\t-\t" + date + "\tsub/empty/");
    EXPECT_EQ(lines[2], "f\t5\t5\tRaw\t3610A686\t" + date + "\tsub/hello.txt");
    const auto lzo = Split(lines[3], '\t');
    ASSERT_EQ(lzo.size(), 7u);
    EXPECT_EQ(lzo[0], "f");
    EXPECT_EQ(lzo[1], "70000");
    EXPECT_LT(std::stoul(lzo[2]), 70000u);
    EXPECT_EQ(lzo[3], "Lzo");
    EXPECT_EQ(lzo[4], Crc(text));
    EXPECT_EQ(lzo[6], "caf\u00e9.lzo");
    EXPECT_NE(lines[4].find("\tZlib\t-\t" + date + "\tz"), std::string::npos);
    EXPECT_EQ(lines[5], "f\t1\t1\tUnknown\t" + Crc(TextBytes("x")) + "\t" + date + "\todd");

    EXPECT_EQ(Vorntool({"cat", path, "CAF\u00c9.lzo"}).exitCode, 1); // only a-z ignore case
    EXPECT_TRUE(Vorntool({"cat", path, "caf\u00e9.LZO"}).out == AsString(text));
    EXPECT_TRUE(Vorntool({"cat", path, "z"}).out == AsString(text));
    EXPECT_EQ(Vorntool({"cat", path, "sub/HELLO.TXT"}).out, "hello");
    EXPECT_EQ(Lines(Vorntool({"info", path}).out).at(16), "Title: \u00c4rger \u20ac");

    const ToolRun test = Vorntool({"test", path});
    EXPECT_EQ(test.exitCode, 1);
    EXPECT_EQ(test.out, "odd: Format Unknown (9) is not supported\n3 files OK, 1 failed\n");
}

TEST(VornToolTest, FailuresAndExitCodes)
{
    TempDir dir;
    VornWriter w;
    w.addFile(0, {.name = "bad.txt", .data = TextBytes("data"), .crcOverride = 1});
    w.addDir(0, "folder");
    const std::string path = dir.file("bad.vmres");
    w.write(path);

    const ToolRun test = Vorntool({"test", path});
    EXPECT_EQ(test.exitCode, 1);
    EXPECT_EQ(test.out, "bad.txt: CRC-32 differs from header\n0 files OK, 1 failed\n");
    const ToolRun cat = Vorntool({"cat", path, "bad.txt"});
    EXPECT_EQ(cat.exitCode, 1);
    EXPECT_EQ(cat.out, "");
    EXPECT_EQ(cat.err, "CRC-32 differs from header\n");

    const std::vector<std::pair<std::vector<std::string>, std::string>> errors = {
        {{"info", dir.file("missing")}, "Cannot open file " + dir.file("missing") + "\n"},
        {{"ls", VORNTOOL_PATH}, "Unknown header!\n"},
        {{"cat", path, "nothing/here"}, "No such entry in the archive: nothing/here\n"},
        {{"cat", path, "folder"}, "folder is a folder\n"},
    };
    for (const auto &[arguments, message] : errors) {
        SCOPED_TRACE(message);
        const ToolRun run = Vorntool(arguments);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
    for (const std::vector<std::string> &usage :
         {std::vector<std::string>{}, {"frobnicate", path}, {"ls"}, {"ls", path, path}, {"cat", path},
          {"info", path, "extra"}}) {
        const ToolRun run = Vorntool(usage);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err.rfind("usage: vorntool", 0), 0u);
        EXPECT_EQ(run.out, "");
    }
}

TEST(VornToolTest, FindPrintsMatchesWithGrepExitCodesAndJson)
{
    TempDir dir;
    VornWriter w;
    const auto sub = w.addDir(0, "Sub");
    w.addFile(sub, {.name = "Quote\"d.TXT", .data = TextBytes("hello")});
    w.addFile(0, {.name = "big.bin", .data = TextLikeBytes(5000, 1), .format = DATAFORMAT_ZLIB});
    w.addFile(0, {.name = "bad.dat", .data = TextBytes("say hello"), .crcOverride = 1});
    const std::string path = dir.file("a.vmres");
    w.write(path);

    ToolRun run = Vorntool({"find", path, "--name", "*.txt"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Sub/Quote\"d.TXT\n");
    run = Vorntool({"find", path, path, "--regex", "^s", "--path"});
    EXPECT_EQ(run.out, path + ":Sub/\n" + path + ":Sub/Quote\"d.TXT\n" + path + ":Sub/\n" + path
                           + ":Sub/Quote\"d.TXT\n");
    run = Vorntool({"find", path, "--min-size", "6", "--format", "zlib"});
    EXPECT_EQ(run.out, "big.bin\n");
    run = Vorntool({"find", path, "--hex", "68 65 6C", "--type", ".txt"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Sub/Quote\"d.TXT\n");
    run = Vorntool({"find", path, "--contains", "HELLO"}); // the damaged entry is an error, not a miss
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "Sub/Quote\"d.TXT\n");
    EXPECT_EQ(run.err, path + ":bad.dat: CRC-32 differs from header\n");
    run = Vorntool({"find", path, "--name", "*.lua"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    // Damaged entries are what --damaged looks for: found, not errors.
    run = Vorntool({"find", path, "--damaged"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "bad.dat\n");
    EXPECT_EQ(run.err, "");
    run = Vorntool({"find", path, "--damaged", "--name", "*.txt"});
    EXPECT_EQ(run.exitCode, 1);
    run = Vorntool({"find", path, "--damaged", "--contains", "hello"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err.rfind("Damaged files can't be searched by content\n", 0), 0u) << run.err;
    for (const std::vector<std::string> &bad :
         {std::vector<std::string>{"find", path, "--regex", "(x"}, {"find", path, "--min-size", "-1"},
          {"find", path, "--format", "rar"}, {"find", dir.file("missing"), path}}) {
        run = Vorntool(bad);
        EXPECT_EQ(run.exitCode, 2) << bad[2];
        EXPECT_FALSE(run.err.empty());
    }

    run = Vorntool({"find", path, "--name", "*.txt", "--json"});
    EXPECT_EQ(run.exitCode, 0);
    const std::string object = "\"kind\":\"f\",\"size\":5,\"compressedSize\":5,\"format\":\"Raw\",\"crc\":\""
                               + Crc(TextBytes("hello")) + "\"";
    EXPECT_EQ(run.out.substr(0, 2), "[\n");
    EXPECT_NE(run.out.find("{\"archive\":\"" + path + "\"," + object), std::string::npos);
    EXPECT_NE(run.out.find(",\"path\":\"Sub/Quote\\\"d.TXT\"}\n]\n"), std::string::npos);
    const ToolRun ls = Vorntool({"ls", "--json", path});
    EXPECT_EQ(Lines(ls.out).size(), 6u);
    EXPECT_EQ(Lines(ls.out).at(1).rfind("{\"kind\":\"d\",\"size\":0,\"compressedSize\":0,\"format\":null", 0), 0u);
    EXPECT_EQ(Lines(ls.out).at(2).rfind("{" + object + ",\"date\":", 0), 0u);
}

TEST(VornToolTest, ListAndTestReportEachDamagedRecordAndGoOn)
{
    TempDir dir;
    VornWriter w;
    const auto sub = w.addDir(0, "sub");
    w.addFile(sub, {.name = "in.txt", .data = TextBytes("in")});
    w.addFile(0, {.name = "lost.txt", .data = TextBytes("lost")});
    w.addFile(0, {.name = "last.txt", .data = TextBytes("last")});
    Bytes bytes = w.build();
    PutU32(bytes, w.indexStart() + w.entryOffset(0) + 24, 0x7FFFFFF0); // the root's second child
    PutU32(bytes, w.indexStart() + w.entryOffset(sub) + 4, 0x40000000); // sub's children
    const std::string path = dir.file("damaged.vmres");
    WriteBytes(path, bytes);

    const ToolRun ls = Vorntool({"ls", path});
    EXPECT_EQ(ls.exitCode, 1);
    const auto lines = Lines(ls.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(Split(lines[1], '\t').back(), "last.txt");
    const auto errors = Lines(ls.err);
    ASSERT_EQ(errors.size(), 2u);
    EXPECT_EQ(errors[0].rfind("sub/: Damaged index", 0), 0u) << errors[0];
    EXPECT_EQ(errors[1].rfind(": Damaged index", 0), 0u) << errors[1];

    const ToolRun test = Vorntool({"test", path});
    EXPECT_EQ(test.exitCode, 1);
    EXPECT_NE(test.out.find("1 files OK, 2 failed\n"), std::string::npos) << test.out;
}

TEST(VornToolTest, DiffListsDifferencesAndExitsByThem)
{
    TempDir dir;
    VornWriter a, b;
    a.addFile(0, {.name = "same.txt", .data = TextBytes("same")});
    a.addFile(0, {.name = "old.txt", .data = TextBytes("old")});
    a.addFile(0, {.name = "edit\xe9.txt", .data = TextBytes("one")});
    a.addFile(0, {.name = "packed.txt", .data = TextBytes("packed")});
    b.addFile(0, {.name = "same.txt", .data = TextBytes("same")});
    b.addFile(0, {.name = "edit\xe9.txt", .data = TextBytes("two")});
    b.addFile(0, {.name = "packed.txt", .data = TextBytes("packed"), .format = DATAFORMAT_ZLIB});
    b.addFile(b.addDir(0, "new"), {.name = "n.txt", .data = TextBytes("n")});
    const std::string pathA = dir.file("a.vmres"), pathB = dir.file("b.vmres");
    a.write(pathA);
    b.write(pathB);

    const ToolRun diff = Vorntool({"diff", pathA, pathB});
    EXPECT_EQ(diff.exitCode, 1);
    EXPECT_EQ(diff.out, "Changed\tedit\xc3\xa9.txt\nOnly in B\tnew/\nOnly in B\tnew/n.txt\nOnly in A\told.txt\n");
    EXPECT_EQ(diff.err, "");
    const ToolRun only = Vorntool({"diff", "--only", "removed,repacked", pathA, pathB});
    EXPECT_EQ(only.exitCode, 1);
    EXPECT_EQ(only.out, "Only in A\told.txt\nRepacked\tpacked.txt\n");
    const ToolRun json = Vorntool({"diff", pathA, pathB, "--json", "--only=added"});
    EXPECT_EQ(json.exitCode, 1);
    EXPECT_NE(json.out.find("\"differ\": true"), std::string::npos);
    EXPECT_NE(json.out.find("{\"path\": \"new/n.txt\", \"kind\": \"file\", \"state\": \"added\", \"sizeB\": 1"),
              std::string::npos);
    EXPECT_EQ(json.out.find("old.txt"), std::string::npos);

    // Repacked files hold the same bytes: the archives count as the same.
    VornWriter c;
    c.addFile(0, {.name = "packed.txt", .data = TextBytes("packed"), .format = DATAFORMAT_LZO});
    const std::string pathC = dir.file("c.vmres");
    c.write(pathC);
    const std::string pathD = dir.file("d.vmres");
    VornWriter d;
    d.addFile(0, {.name = "packed.txt", .data = TextBytes("packed")});
    d.write(pathD);
    const ToolRun same = Vorntool({"diff", pathC, pathD});
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");

    // Archives that won't open are named: which of the two is damaged?
    const std::string junk = dir.file("junk.vmres");
    std::ofstream(junk, std::ios::binary) << std::string(2000, 'j');
    Bytes rootless = a.build();
    PutU32(rootless, a.indexStart(), 0);
    const std::string noRoot = dir.file("noroot.vmres");
    std::ofstream(noRoot, std::ios::binary).write(reinterpret_cast<const char *>(rootless.data()),
                                                   std::streamsize(rootless.size()));
    for (const auto &[arguments, message] : std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"diff", pathA, dir.file("missing")},
              dir.file("missing") + ": Cannot open file " + dir.file("missing") + "\n"},
             {{"diff", junk, pathA}, junk + ": Unknown header!\n"},
             {{"diff", pathA, noRoot}, noRoot + ": Vorn has no root!\n"},
             {{"diff", pathA}, "usage: vorntool diff A B [--json] [--only added,removed,changed,repacked,same]\n"},
             {{"diff", pathA, pathB, "--only"},
              "vorntool diff: --only needs a list of states (added, removed, changed, repacked, same)\n"},
             {{"diff", pathA, pathB, "--only", "moved"},
              "vorntool diff: unknown state \"moved\" (use added, removed, changed, repacked, same)\n"}}) {
        const ToolRun run = Vorntool(arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_EQ(run.err, message);
        EXPECT_EQ(run.out, "");
    }
}

TEST(VornToolTest, FindAndDiffWalkADeepChainInLittleMemory)
{
    // 3,000 nested folders with 255-character names: a path kept per folder
    // would take over a gigabyte, twice that in diff.
    TempDir dir;
    VornWriter writer;
    VornWriter::Handle folder = 0;
    std::string nearPath;
    for (int level = 1; level <= 3000; ++level) {
        const std::string name = std::string(254, 'd') + char('a' + level % 26);
        folder = writer.addDir(folder, name);
        if (level <= 2)
            nearPath += name + "/";
        if (level == 2)
            writer.addFile(folder, {.name = "near.txt", .data = TextBytes("near")});
    }
    writer.addFile(folder, {.name = "bottom.txt", .data = TextBytes("deep")});
    const std::string deep = dir.file("deep.vmres");
    writer.write(deep);
    const unsigned limitKb = 96 * 1024;

    const ToolRun near = Vorntool({"find", deep, "--name", "near.txt"}, limitKb);
    EXPECT_EQ(near.exitCode, 0);
    EXPECT_EQ(near.out, nearPath + "near.txt\n");
    const ToolRun bottom = Vorntool({"find", deep, "--name", "bottom.txt"}, limitKb);
    EXPECT_EQ(bottom.exitCode, 2);
    EXPECT_EQ(bottom.out, "");
    EXPECT_EQ(Lines(bottom.err).size(), 1u);
    EXPECT_TRUE(bottom.err.ends_with("bottom.txt: The path is longer than the system allows\n")) << bottom.err.substr(0, 200);

    const ToolRun same = Vorntool({"diff", deep, deep}, limitKb);
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_EQ(same.out, "");
    EXPECT_EQ(same.err, "");
    const ToolRun listed = Vorntool({"diff", "--only", "same", deep, deep}, limitKb);
    EXPECT_EQ(listed.exitCode, 2);
    EXPECT_EQ(listed.out, "Same\t" + nearPath + "near.txt\n");
    EXPECT_EQ(Lines(listed.err).size(), 1u);
    EXPECT_TRUE(listed.err.ends_with("...: The path is longer than the system allows\n")) << listed.err.substr(0, 200);
}

TEST(VornToolTest, MergedListsAndExtractsWhatTheGameSees)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("game/data"));
    VornWriter base, patch, tie;
    base.header.m_Priority = 0x0000;
    const auto art = base.addDir(0, "Art");
    base.addFile(art, {.name = "a.txt", .data = TextBytes("base a")});
    base.addFile(art, {.name = "b.txt", .data = TextBytes("base b")});
    patch.header.m_Priority = 0x13000; // Patch + 1
    patch.addFile(patch.addDir(0, "art"), {.name = "A.TXT", .data = TextBytes("patched")});
    tie.header.m_Priority = 0x13000;
    tie.addFile(0, {.name = "tie.txt", .data = TextBytes("t")});
    base.write(dir.file("game/data/base.vmres"));
    patch.write(dir.file("game/patch.vmres"));
    tie.write(dir.file("game/data/z.vmmap"));
    WriteBytes(dir.file("game/data/save.vmsave"), TextBytes("not looked at"));
    WriteBytes(dir.file("game/data/broken.vmres"), TextBytes("damaged"));
    const std::string basePath = dir.file("game/data/base.vmres"), patchPath = dir.file("game/patch.vmres");

    const ToolRun list = Vorntool({"merged", dir.file("game")});
    EXPECT_EQ(list.exitCode, 1); // an archive was left out
    EXPECT_EQ(list.out, "art/\t" + patchPath + "\t1\nart/A.TXT\t" + patchPath + "\t1\nart/b.txt\t" + basePath
                            + "\t0\ntie.txt\t" + dir.file("game/data/z.vmmap") + "\t0\n");
    EXPECT_EQ(list.err, dir.file("game/data/broken.vmres") + ": Cannot open file: size < sizeof(TVornHeader)\n"
                            "Equal priority (Patch + 1), ordered by file name: " + patchPath + ", "
                            + dir.file("game/data/z.vmmap") + "; " + dir.file("game/data/z.vmmap") + " wins\n");

    const ToolRun conflicts = Vorntool({"merged", basePath, patchPath, "--conflicts"});
    EXPECT_EQ(conflicts.exitCode, 0);
    EXPECT_EQ(conflicts.out, "art/A.TXT\t" + patchPath + "\t1\n\twinner\t" + patchPath + "\tPatch + 1\t7\t"
                                 + Crc(TextBytes("patched")) + "\n\tdifferent\t" + basePath + "\tFactory\t6\t"
                                 + Crc(TextBytes("base a")) + "\n");
    const ToolRun json = Vorntool({"merged", basePath, patchPath, "--conflicts", "--json"});
    EXPECT_NE(json.out.find("{\"path\":\"art/A.TXT\",\"kind\":\"f\",\"archive\":" + JsonQuoted(patchPath)
                            + ",\"hidden\":1,\"versions\":[{\"state\":\"winner\""),
              std::string::npos);

    const ToolRun extract = Vorntool({"x", "--merged", basePath, patchPath, "-o", dir.file("out")});
    EXPECT_EQ(extract.exitCode, 0);
    EXPECT_EQ(ReadAll(dir.file("out/art/A.TXT")), "patched");
    EXPECT_EQ(ReadAll(dir.file("out/art/b.txt")), "base b"); // one folder for both spellings
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/Art")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("out/art/a.txt")));

    const ToolRun empty = Vorntool({"merged", dir.file("out")});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_EQ(empty.err, dir.file("out") + ": No archives (.vmres, .vmmap) in this folder or below it\n"
                         "No archives to merge\n");
}

TEST(VornToolTest, MergedConflictsCompareFilesWithoutCrcByTheirBytes)
{
    TempDir dir;
    VornWriter base, patch;
    patch.header.m_Priority = 0x3000;
    base.addFile(0, {.name = "same.txt", .data = TextBytes("abc")});
    base.addFile(0, {.name = "other.txt", .data = TextBytes("abc")});
    patch.addFile(0, {.name = "same.txt", .data = TextBytes("abc"), .crcOverride = 0});
    patch.addFile(0, {.name = "other.txt", .data = TextBytes("abd"), .crcOverride = 0});
    base.write(dir.file("base.vmres"));
    patch.write(dir.file("patch.vmres"));
    const ToolRun conflicts = Vorntool({"merged", dir.file("base.vmres"), dir.file("patch.vmres"), "--conflicts"});
    EXPECT_EQ(conflicts.exitCode, 0);
    EXPECT_NE(conflicts.out.find("same.txt\t" + dir.file("patch.vmres") + "\t1\n\twinner\t" + dir.file("patch.vmres")
                                 + "\tPatch\t3\t-\n\tsame\t"),
              std::string::npos)
        << conflicts.out;
    EXPECT_NE(conflicts.out.find("other.txt\t" + dir.file("patch.vmres") + "\t1\n\twinner\t" + dir.file("patch.vmres")
                                 + "\tPatch\t3\t-\n\tdifferent\t"),
              std::string::npos)
        << conflicts.out;
}

TEST(VornToolTest, MergedConflictsFarDownAreListedWithoutRecursion)
{
    // Folders nested far deeper than any game's, as a damaged or hostile
    // index can nest them, with one conflict at the bottom.
    TempDir dir;
    for (const char *name : {"low.vmres", "high.vmres"}) {
        VornWriter writer;
        writer.header.m_Priority = std::string(name) == "high.vmres" ? 0x3000 : 0;
        VornWriter::Handle folder = 0;
        for (int level = 0; level < 60000; ++level)
            folder = writer.addDir(folder, "d");
        writer.addFile(folder, {.name = "x.txt", .data = TextBytes(name)});
        writer.write(dir.file(name));
    }
    const ToolRun conflicts = Vorntool({"merged", dir.file("low.vmres"), dir.file("high.vmres"), "--conflicts"});
    EXPECT_EQ(conflicts.exitCode, 0);
    const std::vector<std::string> lines = Lines(conflicts.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].size(), 60000 * 2 + std::string("x.txt\t").size() + dir.file("high.vmres").size() + 2);
    EXPECT_TRUE(lines[0].ends_with("/x.txt\t" + dir.file("high.vmres") + "\t1"));
    EXPECT_TRUE(lines[2].starts_with("\tdifferent\t" + dir.file("low.vmres")));
}

} // namespace
