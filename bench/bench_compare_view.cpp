// Timings of the comparison window's parts: filling and sorting the view
// with the comparison of two 200,000-entry archives, and painting one screen
// of the side-by-side hex view next to one screen of the single hex viewer
// (the same 200 MB buffers). Runs offscreen unless QT_QPA_PLATFORM says
// otherwise.

#include "compare/CompareModel.h"
#include "compare/FormCompareHex.h"
#include "engines/ArchiveCompare.h"
#include "tests/support/CompareBenchArchives.h"
#include "viewers/FormHexViewer.h"
#include "viewers/HexPane.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>

namespace {

constexpr uint32_t kBufferSize = 200u * 1024 * 1024;


std::shared_ptr<const TCompareResult> Result()
{
    static std::shared_ptr<const TCompareResult> result = [] {
        QTemporaryDir dir;
        const std::string a = dir.filePath(QStringLiteral("a.vmres")).toStdString();
        const std::string b = dir.filePath(QStringLiteral("b.vmres")).toStdString();
        WriteCompareBenchArchive(a, false);
        WriteCompareBenchArchive(b, true);
        const TVornFile vornA(a), vornB(b);
        return std::make_shared<const TCompareResult>(TArchiveCompare(vornA, vornB).Run());
    }();
    return result;
}

// Handing the result to the view's model (tree or flat, every state shown)
// and sorting it by name, then by size.
void FillAndSort(benchmark::State &state, bool tree)
{
    const auto result = Result();
    QTreeView view;
    for (auto _ : state) {
        auto model = std::make_unique<TCompareModel>();
        model->SetTree(tree);
        model->SetResult(result);
        view.setModel(model.get());
        model->sort(TCompareModel::colSizeB, Qt::DescendingOrder);
        benchmark::DoNotOptimize(model->rowCount());
        state.PauseTiming();
        view.setModel(nullptr);
        model.reset();
        state.ResumeTiming();
    }
    state.counters["items"] = double(result->Items.size());
}

void BM_FillAndSortTree(benchmark::State &state) { FillAndSort(state, true); }
void BM_FillAndSortFlat(benchmark::State &state) { FillAndSort(state, false); }

TFileBuffer PatternBuffer(uint8_t salt)
{
    TFileBuffer buffer(kBufferSize);
    for (uint32_t i = 0; i < kBufferSize; ++i)
        buffer.data()[i] = static_cast<uint8_t>(i * 7 + (i >> 12) + ((i % 97) == 0 ? salt : 0));
    return buffer;
}

// One screen in the middle of the 200 MB buffers, where every 97th byte differs.
void BM_PaintSideBySide(benchmark::State &state)
{
    static std::unique_ptr<TfrmCompareHex> window = [] {
        auto created = std::make_unique<TfrmCompareHex>();
        created->SetData(PatternBuffer(0), PatternBuffer(1), QStringLiteral("bench.bin"));
        created->show();
        return created;
    }();
    window->sbrMain->setValue(window->sbrMain->maximum() / 2);
    QImage imageA(window->pbxA->size(), QImage::Format_ARGB32_Premultiplied);
    QImage imageB(window->pbxB->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        window->pbxA->render(&imageA);
        window->pbxB->render(&imageB);
        benchmark::DoNotOptimize(imageB.constBits());
    }
    state.counters["rows"] = window->pbxA->VisibleRows() + 1;
}

void BM_PaintSingleViewer(benchmark::State &state)
{
    static std::unique_ptr<TfrmViewerHex> window = [] {
        auto created = std::make_unique<TfrmViewerHex>();
        created->SetData(PatternBuffer(0), QStringLiteral("bench.bin"));
        created->show();
        return created;
    }();
    auto *pane = window->findChild<THexPane *>(QStringLiteral("pbxHex"));
    auto *scrollBar = window->findChild<QScrollBar *>(QStringLiteral("sbrMain"));
    scrollBar->setValue(scrollBar->maximum() / 2);
    QImage image(pane->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        pane->render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["rows"] = pane->VisibleRows() + 1;
}

} // namespace

BENCHMARK(BM_FillAndSortTree)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FillAndSortFlat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintSideBySide)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaintSingleViewer)->Unit(benchmark::kMicrosecond);

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
