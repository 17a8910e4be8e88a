#include "tests/support/CompareBenchArchives.h"

#include "tests/support/VornWriter.h"

void WriteCompareBenchArchive(const std::string &path, bool changes)
{
    VornWriter w;
    int number = 0;
    for (int t = 0; t < 100; ++t) {
        const auto top = w.addDir(0, "folder" + std::to_string(t));
        for (int s = 0; s < 20; ++s) {
            const auto sub = w.addDir(top, "sub" + std::to_string(s));
            for (int f = 0; f < 99; ++f, ++number) {
                const std::string name = "file" + std::to_string(f) + ".dat";
                FileSpec file{.name = name, .data = TextBytes(name + std::to_string(number))};
                if (changes && number % 200 == 7)
                    continue;
                if (changes && number % 100 == 3)
                    file.data.push_back('!');
                if (changes && number % 100 == 5)
                    file.format = DATAFORMAT_ZLIB;
                if (changes && number % 200 == 11)
                    w.addFile(sub, {.name = name + ".new", .data = TextBytes("new")});
                w.addFile(sub, std::move(file));
            }
        }
    }
    w.write(path);
}
