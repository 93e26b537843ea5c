// The docking tick against a private X server (Xvfb with openbox) holding 30 client windows of
// processes that really run on this machine, with the machine's own /proc:
//  - DockingTick: one tick with no client running (the 30 windows owned by 30 processes, or by
//    3) and with the stand-in client docked to; the median and 99th percentile of single ticks
//    are the figures of interest;
//  - FullScanLookup (baseline): the same lookup made the plain way, walking every process in
//    /proc before matching the windows;
//  - ProgramCpu: the share of a core that the program and the X server use over 10 s with the
//    docking on and no client (windows of 30 processes, then of 3), beside the same 10 s with
//    the docking box unticked.
// Needs the build's melvora and melvora-fake-kugou (bench/../app, bench/../testing/fake_client).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "docking/AlwaysOnTopSwitch.h"
#include "docking/DockingStep.h"
#include "docking/ProcessList.h"
#include "docking/ProcessWindowLookup.h"
#include "docking/WindowMatching.h"
#include "docking/XcbWindowSystem.h"
#include "testing/Eventually.h"
#include "testing/x11/ChildProcess.h"
#include "testing/x11/FakeClient.h"
#include "testing/x11/VirtualDisplay.h"
#include "testing/x11/XWindowProbe.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using melvora::testing::ChildProcess;
using melvora::testing::FakeClient;
using melvora::testing::VirtualDisplay;
using melvora::testing::XWindowProbe;

constexpr int kClientWindows = 30;

fs::path BuildFolder() {
    return fs::read_symlink("/proc/self/exe").parent_path().parent_path();
}

using melvora::testing::Eventually;

// The X server with its windows, made once for every benchmark of the run.
struct Desktop {
    std::unique_ptr<VirtualDisplay> display;
    std::unique_ptr<XWindowProbe> probe;
    uint32_t ownWindow = 0;
    std::vector<uint32_t> clientWindows;
    std::vector<uint32_t> owners;

    // Gives the client windows owners cycling through the first `count` of the processes.
    void SpreadOwners(size_t count) {
        for (size_t i = 0; i < clientWindows.size(); ++i) {
            const std::string title = "Window " + std::to_string(i) + " 窗口";
            probe->DescribeWindow(clientWindows[i],
                                  owners.empty() ? 0 : owners[i % std::min(count, owners.size())],
                                  "App" + std::to_string(i), title);
        }
        // A round trip, so the changes have reached the server before the measuring starts.
        probe->IsWindowManagerRunning();
    }

    static Desktop* Get() {
        static const std::unique_ptr<Desktop> desktop = Make();
        return desktop.get();
    }

private:
    static std::unique_ptr<Desktop> Make() {
        auto desktop = std::make_unique<Desktop>();
        desktop->display = VirtualDisplay::Start({.width = 1920, .height = 1080});
        if (!desktop->display) {
            return nullptr;
        }
        desktop->probe = XWindowProbe::Connect(desktop->display->Name());
        setenv("DISPLAY", desktop->display->Name().c_str(), 1);

        // Windows owned by real processes of this machine, one process each where there are
        // enough, so every tick reads /proc for each of them.
        std::vector<melvora::ProcessEntry> processes;
        melvora::ListProcesses(processes);
        for (const melvora::ProcessEntry& process : processes) {
            desktop->owners.push_back(process.processId);
        }
        for (int i = 0; i < kClientWindows; ++i) {
            const std::string title = "Window " + std::to_string(i) + " 窗口";
            desktop->clientWindows.push_back(
                desktop->probe->CreateMappedWindow(title, {20 * i, 10 * i, 300, 200}));
        }
        desktop->SpreadOwners(kClientWindows);
        std::vector<uint32_t> windows = desktop->clientWindows;
        desktop->ownWindow =
            desktop->probe->CreateMappedWindow("Melvora bench", {50, 50, 633, 305});
        windows.push_back(desktop->ownWindow);
        if (!Eventually([&] {
                return std::all_of(windows.begin(), windows.end(),
                                   [&](uint32_t w) { return desktop->probe->IsManaged(w); });
            })) {
            return nullptr;
        }
        return desktop;
    }
};

void ReportPercentiles(benchmark::State& state, std::vector<double>& microseconds) {
    if (microseconds.empty()) {
        return;
    }
    std::sort(microseconds.begin(), microseconds.end());
    const auto at = [&](double fraction) {
        return microseconds[std::min(microseconds.size() - 1,
                                     static_cast<size_t>(fraction * microseconds.size()))];
    };
    state.counters["median_us"] = at(0.5);
    state.counters["p99_us"] = at(0.99);
}

void RunTicks(benchmark::State& state, bool withClient, size_t owners = kClientWindows) {
    Desktop* desktop = Desktop::Get();
    if (desktop == nullptr) {
        state.SkipWithError("Xvfb with openbox did not start");
        return;
    }
    desktop->SpreadOwners(owners);
    std::unique_ptr<FakeClient> client;
    if (withClient) {
        client =
            FakeClient::Start((BuildFolder() / "testing/fake_client/melvora-fake-kugou").string(),
                              desktop->display->Name());
        if (!client) {
            state.SkipWithError("the stand-in client did not start");
            return;
        }
    }
    melvora::XcbWindowSystem windowSystem;
    melvora::AlwaysOnTopSwitch alwaysOnTop(windowSystem);
    melvora::ProcessNameReader processNames;
    melvora::TargetRect targetRect;
    std::vector<melvora::WindowEntry> collected;
    std::vector<double> samples;
    bool docked = true;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const auto place =
            melvora::DockingStep(true, desktop->ownWindow, windowSystem, processNames, alwaysOnTop,
                                 {.targetRect = targetRect, .collectedWindows = collected});
        const auto end = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        docked = docked && place.has_value() == withClient;
        benchmark::DoNotOptimize(place);
    }
    if (!docked) {
        state.SkipWithError("the tick did not find what it should");
    }
    ReportPercentiles(state, samples);
}

void DockingTickNoClient(benchmark::State& state) {
    RunTicks(state, false);
}
BENCHMARK(DockingTickNoClient)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// The same 30 windows owned by 3 processes, as a desktop's windows mostly are.
void DockingTickNoClientThreeOwners(benchmark::State& state) {
    RunTicks(state, false, 3);
}
BENCHMARK(DockingTickNoClientThreeOwners)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

void DockingTickWithClient(benchmark::State& state) {
    RunTicks(state, true);
}
BENCHMARK(DockingTickWithClient)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Baseline: the lookup as the plain algorithm makes it, a walk over all of /proc first.
void FullScanLookup(benchmark::State& state) {
    if (Desktop::Get() == nullptr) {
        state.SkipWithError("Xvfb with openbox did not start");
        return;
    }
    melvora::XcbWindowSystem windowSystem;
    std::vector<melvora::WindowEntry> collected;
    std::vector<double> samples;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::vector<melvora::ProcessEntry> processes;
        melvora::ListProcesses(processes);
        std::vector<melvora::WindowEntry> windows;
        melvora::ListWindows(windowSystem, collected, windows);
        const int32_t found = melvora::MatchProcessWindow(processes, windows, "KuGou.exe", {}, {});
        const auto end = std::chrono::steady_clock::now();
        samples.push_back(std::chrono::duration<double, std::micro>(end - start).count());
        benchmark::DoNotOptimize(found);
    }
    ReportPercentiles(state, samples);
}
BENCHMARK(FullScanLookup)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// utime + stime of a process, in clock ticks.
long CpuTicks(pid_t pid) {
    std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
    const std::string stat((std::istreambuf_iterator<char>(file)),
                           std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    long utime = 0;
    long stime = 0;
    // Fields 3 to 13 come before utime (14) and stime (15).
    for (int index = 3; index <= 15 && fields >> field; ++index) {
        if (index == 14) {
            utime = std::stol(field);
        } else if (index == 15) {
            stime = std::stol(field);
        }
    }
    return utime + stime;
}

struct CpuShare {
    double program = 0;
    double server = 0;
};

CpuShare MeasureCpu(pid_t program, pid_t server, std::chrono::seconds period) {
    const long programBefore = CpuTicks(program);
    const long serverBefore = CpuTicks(server);
    const auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(period);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK));
    return {
        100.0 * static_cast<double>(CpuTicks(program) - programBefore) / ticksPerSecond / seconds,
        100.0 * static_cast<double>(CpuTicks(server) - serverBefore) / ticksPerSecond / seconds};
}

void ProgramCpu(benchmark::State& state) {
    Desktop* desktop = Desktop::Get();
    if (desktop == nullptr) {
        state.SkipWithError("Xvfb with openbox did not start");
        return;
    }
    for (auto _ : state) {
        auto program = ChildProcess::Start({
            .arguments = {(BuildFolder() / "app/melvora").string()},
            .environment = {{"DISPLAY", desktop->display->Name()}},
            .removedVariables = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"},
            .silent = true,
        });
        uint32_t window = 0;
        if (!program || !Eventually([&] {
                window = desktop->probe->FindClientByTitle("Melvora").value_or(0);
                return window != 0 && desktop->probe->HasWmState(window, "_NET_WM_STATE_ABOVE");
            })) {
            state.SkipWithError("melvora did not come up docking");
            return;
        }
        desktop->SpreadOwners(kClientWindows);
        const CpuShare docking = MeasureCpu(program->Pid(), desktop->display->ServerPid(), 10s);
        desktop->SpreadOwners(3);
        const CpuShare threeOwners = MeasureCpu(program->Pid(), desktop->display->ServerPid(), 10s);

        // Untick 选择框2 (client position 512,17, 80 x 16) for the baseline.
        const auto client = desktop->probe->ClientRect(window);
        auto click = ChildProcess::Start({
            .arguments = {"xdotool", "mousemove", std::to_string(client->x + 552),
                          std::to_string(client->y + 25), "click", "1"},
            .environment = {{"DISPLAY", desktop->display->Name()}},
            .silent = true,
        });
        if (!click || click->WaitForExit(10s) != 0 || !Eventually([&] {
                return !desktop->probe->HasWmState(window, "_NET_WM_STATE_ABOVE");
            })) {
            state.SkipWithError("could not untick the docking box");
            return;
        }
        const CpuShare unticked = MeasureCpu(program->Pid(), desktop->display->ServerPid(), 10s);

        state.counters["docking_melvora_pct"] = docking.program;
        state.counters["docking_xserver_pct"] = docking.server;
        state.counters["docking_total_pct"] = docking.program + docking.server;
        state.counters["docking3_melvora_pct"] = threeOwners.program;
        state.counters["docking3_xserver_pct"] = threeOwners.server;
        state.counters["docking3_total_pct"] = threeOwners.program + threeOwners.server;
        state.counters["unticked_melvora_pct"] = unticked.program;
        state.counters["unticked_xserver_pct"] = unticked.server;
        state.counters["unticked_total_pct"] = unticked.program + unticked.server;
    }
}
BENCHMARK(ProgramCpu)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
