// Paint time of one screen of the hex viewer over a 200 MB buffer, with the
// first, the middle and the last row at the top; and the time to open the
// window on such a buffer. Runs offscreen unless QT_QPA_PLATFORM says
// otherwise.

#include "viewers/FormHexViewer.h"
#include "viewers/HexPane.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kBufferSize = 200u * 1024 * 1024;

TFileBuffer PatternBuffer()
{
    TFileBuffer buffer(kBufferSize);
    for (uint32_t i = 0; i < kBufferSize; ++i)
        buffer.data()[i] = static_cast<uint8_t>(i * 7 + (i >> 12));
    return buffer;
}

TfrmViewerHex &Window()
{
    static std::unique_ptr<TfrmViewerHex> window = [] {
        auto created = std::make_unique<TfrmViewerHex>();
        created->SetData(PatternBuffer(), QStringLiteral("bench.bin"));
        created->show();
        return created;
    }();
    return *window;
}

enum class TPlace { First, Middle, Last };

void PaintScreen(benchmark::State &state, TPlace place)
{
    TfrmViewerHex &window = Window();
    auto *scrollBar = window.findChild<QScrollBar *>(QStringLiteral("sbrMain"));
    auto *pane = window.findChild<THexPane *>(QStringLiteral("pbxHex"));
    const int position = place == TPlace::First    ? 0
                         : place == TPlace::Middle ? scrollBar->maximum() / 2
                                                   : scrollBar->maximum();
    scrollBar->setValue(position);
    QImage image(pane->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        pane->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows"] = pane->VisibleRows() + 1;
    state.counters["first_row"] = position;
}

void BM_PaintFirstRow(benchmark::State &state) { PaintScreen(state, TPlace::First); }
void BM_PaintMiddleRow(benchmark::State &state) { PaintScreen(state, TPlace::Middle); }
void BM_PaintLastRow(benchmark::State &state) { PaintScreen(state, TPlace::Last); }

// Creating the window and handing it the buffer; making the buffer is not timed.
void BM_OpenWindow(benchmark::State &state)
{
    for (auto _ : state) {
        state.PauseTiming();
        TFileBuffer buffer(kBufferSize);
        std::memset(buffer.data(), 0x5A, kBufferSize);
        state.ResumeTiming();
        auto window = std::make_unique<TfrmViewerHex>();
        window->SetData(std::move(buffer), QStringLiteral("bench.bin"));
        window->show();
        QImage image(window->size(), QImage::Format_ARGB32_Premultiplied);
        window->render(&image);
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
}

BENCHMARK(BM_PaintFirstRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintMiddleRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintLastRow)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenWindow)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
