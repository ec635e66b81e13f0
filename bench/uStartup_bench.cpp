// Start-up time: from the start of a fresh process to the main window shown, with the
// splash and every window start-up makes, on the offscreen platform. The splash's own 2500 ms
// are not waited for. Each run starts this program again as a child that starts the windows
// exactly as the program does and ends as soon as the main window is on screen.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QWindow>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/uMain.h"
#include "app/uStartup.h"

namespace {

constexpr const char* kChildFlag = "--start-once";
std::string g_self;

int startOnce(int argc, char** argv)
{
    QApplication app(argc, argv);
    tesra::StartupOptions options;
    options.showSplash = true;
    tesra::TfMain* main = tesra::StartProgram(app, QString(), options);
    while (!main->windowHandle() || !main->windowHandle()->isExposed())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    // Shown: what follows (closing, freeing) is not part of the start.
    std::_Exit(0);
}

void BM_StartupToMainWindowShown(benchmark::State& state)
{
    // The machine may be busy with other work: the child's own processor time is kept too.
    double cpuSeconds = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t child = fork();
        if (child == 0) {
            execl(g_self.c_str(), g_self.c_str(), kChildFlag, static_cast<char*>(nullptr));
            std::_Exit(127);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        cpuSeconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
        const auto end = std::chrono::steady_clock::now();
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the child did not start");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
    if (state.iterations() > 0)
        state.counters["child_cpu_ms"] = cpuSeconds * 1000 / static_cast<double>(state.iterations());
}
BENCHMARK(BM_StartupToMainWindowShown)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc > 1 && std::strcmp(argv[1], kChildFlag) == 0)
        return startOnce(argc, argv);
    g_self = argv[0];
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
