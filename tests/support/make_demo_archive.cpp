// Writes the demo archive: a few folders, text files, a bitmap, a raw
// texture, a large compressed file, a "$" name and a struck-out entry.

#include "tests/support/DemoContent.h"
#include "tests/support/VornWriter.h"

#include <cstdio>
#include <exception>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_demo_archive OUTPUT\n");
        return 2;
    }
    try {
        VornWriter writer;
        AddDemoContent(writer);
        writer.write(argv[1]);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "make_demo_archive: %s\n", e.what());
        return 1;
    }
    return 0;
}
