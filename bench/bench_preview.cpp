// Timings of the picture features: selection to picture in the preview pane
// for a 4096 x 4096 texture, thumbnails per second for 256 x 256 textures,
// and the thumbnail cache's memory with 10,000 textures.
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
    const auto vorn = WriteTextures(dir, "thumbs.vmres", kCount, 256, DATAFORMAT_ZLIB);
    const std::vector<TEntryOffset> files = Files(*vorn);
    TThumbnailCache cache;
    cache.SetArchive(vorn.get());
    cache.KeepOnly(QSet<TEntryOffset>(files.begin(), files.end()));
    QElapsedTimer timer;
    timer.start();
    // As a view asks, a screenful at a time.
    for (size_t i = 0; i < files.size(); ++i) {
        cache.Thumbnail(files[i], QStringLiteral("t.raw"));
        if (i % 40 == 39)
            WaitUntilIdle(cache);
    }
    WaitUntilIdle(cache);
    const double seconds = timer.nsecsElapsed() / 1e9;
    std::printf("thumbnails of 256 x 256 textures (zlib): %.0f per second (%d in %.2f s, %d threads)\n",
                kCount / seconds, kCount, seconds, cache.Threads());
    cache.SetArchive(nullptr);
}

void CacheMemory(const QTemporaryDir &dir)
{
    constexpr int kCount = 10000;
    const auto vorn = WriteTextures(dir, "many.vmres", kCount, 128, DATAFORMAT_ZLIB);
    const std::vector<TEntryOffset> files = Files(*vorn);
    TThumbnailCache cache;
    cache.SetArchive(vorn.get());
    cache.KeepOnly(QSet<TEntryOffset>(files.begin(), files.end()));
    for (size_t i = 0; i < files.size(); ++i) {
        cache.Thumbnail(files[i], QStringLiteral("t.raw"));
        if (i % 200 == 199)
            WaitUntilIdle(cache);
    }
    WaitUntilIdle(cache);
    const qint64 side = cache.Side();
    std::printf("thumbnail cache after %d textures: %.1f MB held (bound %.0f MB; %.1f MB without a bound, "
                "%lld bytes per %lld x %lld thumbnail), %d decodes\n",
                kCount, cache.MemoryUsed() / 1048576.0, TThumbnailCache::DefaultMemoryBound / 1048576.0,
                kCount * side * side * 4 / 1048576.0, side * side * 4, side, side, cache.Decodes());
    cache.SetArchive(nullptr);
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
