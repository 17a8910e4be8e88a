// Time of the game search over a Steam library of many Proton prefixes that
// do not hold the game (each with a registry of a few megabytes, like real
// ones), the case of every start of the program for a player with a big
// library. Run by hand: build/tests/platform/bench_game_search [PREFIXES [MB]]

#include "platform/GameFolder.h"
#include "platform/WinePrefixes.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <ctime>
#include <cstdlib>

int main(int argc, char **argv)
{
    const int prefixCount = argc > 1 ? std::atoi(argv[1]) : 40;
    const qint64 megabytes = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir home;
    QByteArray registry = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n#arch=win64\n\n";
    for (qint64 i = 0; registry.size() < megabytes * 1024 * 1024; ++i)
        registry += "[Software\\\\Classes\\\\CLSID\\\\{" + QByteArray::number(i, 16).rightJustified(16, '0')
                    + "}\\\\InprocServer32] 1600000000\n#time=1d6b0d5e0f0a2c4\n"
                      "@=\"C:\\\\windows\\\\system32\\\\ole32.dll\"\n\"ThreadingModel\"=\"Both\"\n\n";
    for (int i = 0; i < prefixCount; ++i) {
        const QString prefix = QStringLiteral("%1/.local/share/Steam/steamapps/compatdata/%2/pfx").arg(home.path()).arg(1000 + i);
        QDir().mkpath(prefix);
        QFile file(prefix + QStringLiteral("/system.reg"));
        if (!file.open(QIODevice::WriteOnly) || file.write(registry) != registry.size())
            return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    const TGameInstall game = FindGameInstall(WinePrefixCandidates(home.path(), QString()));
    const double cpuMs = 1000.0 * double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%d prefixes of %lld MB without the game: searched in %lld ms (CPU %.0f ms)%s\n", prefixCount,
                static_cast<long long>(megabytes), static_cast<long long>(timer.elapsed()), cpuMs,
                game.Folder.isEmpty() ? "" : " (found?!)");
    return 0;
}
