// A refresh must stay cheap however long the console grows: the view indexes only what was
// appended and lays out only the visible lines. The peers here are the full re-index of the
// whole text and the same page painted over a short console.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include "app/console.h"
#include "ui/console_document.h"
#include "ui/console_view.h"

namespace {

const char* kLine = "Step 1234 Etot -1.23456789e+02 Ekin 3.2100e+01 T 85.123 K\r\n";

std::string console_text(std::size_t bytes) {
    std::string s;
    while (s.size() < bytes) s += kLine;
    return s;
}

// One new line, then the refresh's index.
void BM_IndexAppendedLine(benchmark::State& state) {
    app::Console console(64 << 20);
    console.append(console_text(static_cast<std::size_t>(state.range(0))));
    ui::ConsoleDocument doc;
    doc.sync(console);
    for (auto _ : state) {
        console.append(kLine);
        benchmark::DoNotOptimize(doc.sync(console));
    }
}
BENCHMARK(BM_IndexAppendedLine)->Arg(2'000'000);

// The peer: indexing the whole text again on every refresh.
void BM_IndexWholeText(benchmark::State& state) {
    const std::string text = console_text(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        ui::ConsoleDocument doc;
        benchmark::DoNotOptimize(doc.sync(text));
    }
    state.SetBytesProcessed(static_cast<long long>(state.iterations()) *
                            static_cast<long long>(text.size()));
}
BENCHMARK(BM_IndexWholeText)->Arg(2'000'000);

// Painting one page after a scroll, over a console of range(0) bytes.
void BM_PaintPage(benchmark::State& state) {
    app::Console console(64 << 20);
    console.append(console_text(static_cast<std::size_t>(state.range(0))));
    ui::ConsoleView view(nullptr, &console);
    view.resize(900, 560);
    view.refresh();
    int step = QAbstractSlider::SliderSingleStepSub;
    for (auto _ : state) {
        view.vertical_bar()->triggerAction(static_cast<QAbstractSlider::SliderAction>(step));
        step = step == QAbstractSlider::SliderSingleStepSub ? QAbstractSlider::SliderSingleStepAdd
                                                            : QAbstractSlider::SliderSingleStepSub;
        benchmark::DoNotOptimize(view.snapshot());
    }
}
BENCHMARK(BM_PaintPage)->Arg(4'000)->Arg(2'000'000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
