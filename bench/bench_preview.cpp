// Timings of the picture features: selection to picture in the preview pane
// for a 4096 x 4096 texture, thumbnails per second for 256 x 256 textures
// (of one archive, and of eight mixed in one list as the game view mixes
// them), and the thumbnail cache's memory with 10,000 textures.
// Run by hand: QT_QPA_PLATFORM=offscreen bench_preview

#include "archive/vmVornFile.h"
#include "browser/ThumbnailCache.h"
#include "tests/support/DemoContent.h"
#include "viewers/BuiltInFormats.h"
#include "viewers/ImageFormat.h"
#include "viewers/PreviewPane.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

// A texture with a gradient and some noise, so that zlib has work to do.
Bytes Texture(uint16_t side, uint32_t seed)
{
    Bytes pixels(size_t(side) * side * 4);
    uint32_t state = seed * 2654435761u + 1;
    for (size_t i = 0; i < pixels.size(); i += 4) {
        state = state * 1664525u + 1013904223u;
        const size_t pixel = i / 4;
        pixels[i] = uint8_t(pixel % side);
        pixels[i + 1] = uint8_t(pixel / side);
        pixels[i + 2] = uint8_t(state >> 28);
        pixels[i + 3] = 255;
    }
    return MakeRawTexture(side, side, pixels);
}

std::unique_ptr<TVornFile> WriteTextures(const QTemporaryDir &dir, const char *file, int count, uint16_t side,
                                         uint16_t format)
{
    VornWriter writer;
    const Bytes texture = Texture(side, 1);
    for (int i = 0; i < count; ++i) {
        FileSpec spec{.name = "tex" + std::to_string(100000 + i) + ".raw", .data = texture, .format = format};
        writer.addFile(0, spec);
    }
    const QString path = dir.filePath(QString::fromLatin1(file));
    writer.write(path.toStdString());
    return std::make_unique<TVornFile>(path.toStdString());
}

void WaitUntilIdle(const TThumbnailCache &cache)
{
    if (!QTest::qWaitFor([&] { return cache.Idle(); }, 60000)) {
        std::fprintf(stderr, "the thumbnails did not finish\n");
        std::exit(1);
    }
}

// The files of the archives, taken in turn from each, as a game view's
// folder mixes them.
std::vector<TThumbnailKey> Items(const std::vector<const TVornFile *> &archives)
{
    std::vector<std::vector<TEntryOffset>> files;
    for (const TVornFile *vorn : archives)
        files.push_back(vorn->GetChildren(vorn->GetRootOffset()));
    std::vector<TThumbnailKey> items;
    for (size_t i = 0; i < files.front().size(); ++i)
        for (size_t archive = 0; archive < archives.size(); ++archive)
            items.push_back({archives[archive], files[archive][i]});
    return items;
}

// Asks for every item as a view does, a screenful at a time, and waits for
// the thumbnails.
void AskForAll(TThumbnailCache &cache, const std::vector<const TVornFile *> &archives, size_t screenful)
{
    const std::vector<TThumbnailKey> items = Items(archives);
    cache.SetArchives(archives);
    cache.KeepOnly(QSet<TThumbnailKey>(items.begin(), items.end()));
    for (size_t i = 0; i < items.size(); ++i) {
        cache.Thumbnail(items[i], QStringLiteral("t.raw"));
        if (i % screenful == screenful - 1)
            WaitUntilIdle(cache);
    }
    WaitUntilIdle(cache);
}

std::vector<TEntryOffset> Files(const TVornFile &vorn)
{
    return vorn.GetChildren(vorn.GetRootOffset());
}

void SelectionToPicture(const QTemporaryDir &dir)
{
    for (const uint16_t format : {uint16_t(DATAFORMAT_RAW), uint16_t(DATAFORMAT_ZLIB)}) {
        const auto vorn = WriteTextures(dir, format == DATAFORMAT_RAW ? "big-raw.vmres" : "big-zlib.vmres", 1, 4096,
                                        format);
        const TEntryOffset entry = Files(*vorn).front();
        TPreviewPane pane;
        pane.resize(400, 400);
        pane.show();
        double best = 1e9;
        for (int run = 0; run < 5; ++run) {
            pane.Clear();
            QSignalSpy shown(&pane, &TPreviewPane::shown);
            QElapsedTimer timer;
            timer.start();
            pane.Preview(QStringLiteral("tex.raw"), vorn->GetSize(entry), [&] { return vorn->ReadFile(entry); });
            shown.wait(60000);
            QCoreApplication::processEvents(); // the picture is painted
            best = std::min(best, timer.nsecsElapsed() / 1e6);
        }
        std::printf("selection to picture, 4096 x 4096 texture (%s): %.0f ms (best of 5)\n",
                    format == DATAFORMAT_RAW ? "stored raw" : "zlib", best);
    }
}

void ThumbnailsPerSecond(const QTemporaryDir &dir)
{
    constexpr int kCount = 2000;
    constexpr int kArchives = 8;
    const auto one = WriteTextures(dir, "thumbs.vmres", kCount, 256, DATAFORMAT_ZLIB);
    std::vector<std::unique_ptr<TVornFile>> game;
    for (int i = 0; i < kArchives; ++i)
        game.push_back(WriteTextures(dir, ("game" + std::to_string(i) + ".vmres").c_str(), kCount / kArchives, 256,
                                     DATAFORMAT_ZLIB));
    std::vector<const TVornFile *> mixed;
    for (const auto &vorn : game)
        mixed.push_back(vorn.get());
    for (const auto &[archives, label] : {std::pair{std::vector<const TVornFile *>{one.get()}, "one archive"},
                                          std::pair{mixed, "8 archives in one list"}}) {
        TThumbnailCache cache;
        QElapsedTimer timer;
        timer.start();
        AskForAll(cache, archives, 40);
        const double seconds = timer.nsecsElapsed() / 1e9;
        std::printf("thumbnails of 256 x 256 textures (zlib), %s: %.0f per second (%d in %.2f s, %d threads)\n",
                    label, kCount / seconds, kCount, seconds, cache.Threads());
        cache.SetArchives({});
    }
}

void CacheMemory(const QTemporaryDir &dir)
{
    constexpr int kCount = 10000;
    const auto vorn = WriteTextures(dir, "many.vmres", kCount, 128, DATAFORMAT_ZLIB);
    TThumbnailCache cache;
    AskForAll(cache, {vorn.get()}, 200);
    const qint64 side = cache.Side();
    std::printf("thumbnail cache after %d textures: %.1f MB held (bound %.0f MB; %.1f MB without a bound, "
                "%lld bytes per %lld x %lld thumbnail), %d decodes\n",
                kCount, cache.MemoryUsed() / 1048576.0, TThumbnailCache::DefaultMemoryBound / 1048576.0,
                kCount * side * side * 4 / 1048576.0, side * side * 4, side, side, cache.Decodes());
    cache.SetArchives({});
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    RegisterBuiltInFormats();
    QTemporaryDir dir;
    SelectionToPicture(dir);
    ThumbnailsPerSecond(dir);
    CacheMemory(dir);
    return 0;
}
