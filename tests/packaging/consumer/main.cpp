// A program outside the source tree that uses the installed libvorn: it
// lists an archive, reads its first file and compares the archive with
// itself. Prints "entries=N files=N first=PATH bytes=N differences=0".
#include <vorn/vorn.h>

#include <iostream>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::cerr << "usage: vorn-consumer ARCHIVE\n";
        return 2;
    }
    try {
        const vorn::Archive archive(argv[1]);
        size_t entries = 0, files = 0;
        std::string first;
        for (const vorn::Entry &entry : archive.walk()) {
            ++entries;
            if (!entry.isDir && files++ == 0)
                first = entry.path;
        }
        const std::vector<uint8_t> data = archive.read(first);
        std::cout << "entries=" << entries << " files=" << files << " first=" << first << " bytes=" << data.size()
                  << " differences=" << vorn::compare(archive, archive).size() << " version=" << vorn::version()
                  << '\n';
        archive.read("no/such/file");
    } catch (const vorn::NotFoundError &error) {
        std::cout << "not found: " << error.what() << '\n';
        return 0;
    } catch (const vorn::Error &error) {
        std::cerr << error.what() << '\n';
        return 1;
    }
    return 1;
}
