// The public C++ API through the shared library: its errors are caught by
// type across the library's border, and the calls a C++ program needs
// beyond the Python module's behave.

#include <vorn/vorn.h>

#include "tests/archive/ArchiveTestUtil.h"

#include <gtest/gtest.h>

namespace {

struct LibraryFixture : ::testing::Test {
    TempDir dir;
    std::string path;

    void SetUp() override
    {
        VornWriter writer;
        const auto art = writer.addDir(0, "art");
        writer.addFile(art, {.name = "a.txt", .data = TextBytes("alpha"), .format = DATAFORMAT_ZLIB});
        writer.addFile(art, {.name = "bad.txt", .data = TextBytes("beta"), .crcOverride = 1});
        path = dir.write("lib.vmres", writer.build());
    }
};

template <class Kind, class Work>
std::string CaughtAs(Work &&work)
{
    try {
        work();
    } catch (const Kind &error) {
        return error.what();
    } catch (...) {
        return "<other>";
    }
    return "<none>";
}

} // namespace

TEST_F(LibraryFixture, ErrorsAreCaughtByKindAcrossTheLibrary)
{
    const vorn::Archive archive(path);
    EXPECT_EQ(CaughtAs<vorn::OpenError>([&] { vorn::Archive(dir.file("missing")); }),
              "Cannot open file " + dir.file("missing"));
    EXPECT_EQ(CaughtAs<vorn::NotFoundError>([&] { archive.read("art/none.txt"); }),
              "No such entry in the archive: art/none.txt");
    EXPECT_EQ(CaughtAs<vorn::DecodeError>([&] { archive.read("art/bad.txt"); }), "CRC-32 differs from header");
    EXPECT_EQ(CaughtAs<vorn::Error>([&] { archive.read("art"); }), "Not a file: art");
    EXPECT_EQ(CaughtAs<std::runtime_error>([&] { vorn::decodeTexture(nullptr, 0); }), "Invalid file!");
}

TEST_F(LibraryFixture, WalkVisitorsAndStreamsOutliveTheirCallers)
{
    std::optional<vorn::FileStream> stream;
    std::vector<std::string> seen;
    {
        vorn::Archive archive(path);
        archive.walk("", [&](const vorn::Entry &entry) { seen.push_back(entry.path); });
        // An exception of the visitor's own ends the walk and passes unchanged.
        EXPECT_EQ(CaughtAs<std::logic_error>(
                      [&] { archive.walk("art", [](const vorn::Entry &) { throw std::logic_error("stop"); }); }),
                  "stop");
        stream.emplace(archive.openFile("ART/A.TXT"));
        vorn::Archive moved = std::move(archive);
        const vorn::Entry a = moved.stat("art/a.txt");
        std::string into(a.size, '\0');
        moved.readInto(a, reinterpret_cast<uint8_t *>(into.data()));
        EXPECT_EQ(into, "alpha");
    }
    EXPECT_EQ(seen, (std::vector<std::string>{"art", "art/a.txt", "art/bad.txt"}));
    char buffer[8] = {};
    EXPECT_EQ(stream->read(buffer, sizeof buffer), 5u);
    EXPECT_EQ(std::string(buffer), "alpha");
    EXPECT_EQ(stream->entry().path, "art/a.txt");
}
