// The settings store against a real file, and the per-change display logic.
// ORVANE_BENCH_DIR picks where the store file lives (default $TMPDIR or /tmp): a write
// fsyncs, so its cost depends on the file system underneath.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include <dirent.h>
#include <unistd.h>

#include "core/battery/battery_time.h"
#include "core/battery/display.h"
#include "core/store/settings_store.h"
#include "platform/posix/autostart_backend.h"
#include "platform/posix/reg_file_backend.h"

namespace {

using namespace orvane;

// What a store looks like after some weeks of use: window places, all alarms set, learnt data.
constexpr const char* kRealisticStore =
    "Windows Registry Editor Version 5.00\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Merrowin]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane]\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Window]\n"
    "\"X\"=\"2880\"\n"
    "\"Y\"=\"1920\"\n"
    "\"CompactX\"=\"7680\"\n"
    "\"CompactY\"=\"0\"\n"
    "\"Display\"=\"0\"\n"
    "\"Always On Top\"=\"0\"\n"
    "\n"
    "[HKEY_CURRENT_USER\\Software\\Merrowin\\Orvane\\Setting]\n"
    "\"First Use\"=\"1\"\n"
    "\"LowBatt\"=\"1\"\n"
    "\"LowBattVal\"=\"20\"\n"
    "\"CriticalBatt\"=\"1\"\n"
    "\"CriticalBattVal\"=\"7\"\n"
    "\"LowBattTime\"=\"1\"\n"
    "\"LowBattTimeVal\"=\"30\"\n"
    "\"CriticalBattTime\"=\"1\"\n"
    "\"CriticalBattTimeVal\"=\"10\"\n"
    "\"PowerSourceChange\"=\"1\"\n"
    "\"BatteryFullyCharged\"=\"1\"\n"
    "\"Data\"=\"2.63157894736842\"\n"
    "\"Count\"=\"38\"\n";

std::string makeTempDir() {
    const char* base = std::getenv("ORVANE_BENCH_DIR");
    if (!base || !*base) base = std::getenv("TMPDIR");
    if (!base || !*base) base = "/tmp";
    std::string tmpl = std::string(base) + "/orvane-bench.XXXXXX";
    if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed in " + std::string(base));
    return tmpl;
}

void removeDir(const std::string& dir) {
    if (DIR* d = ::opendir(dir.c_str())) {
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name != "." && name != "..") ::unlink((dir + "/" + name).c_str());
        }
        ::closedir(d);
    }
    ::rmdir(dir.c_str());
}

// A store on a fresh, realistic file; everything is removed again at the end.
struct StoreFixture {
    std::string dir = makeTempDir();
    RegFileBackend user{dir + "/Orvane.reg"};
    AutostartBackend machine{dir + "/autostart", {}};
    SettingsStore store{user, machine};

    StoreFixture() { std::ofstream(dir + "/Orvane.reg", std::ios::binary) << kRealisticStore; }
    ~StoreFixture() {
        removeDir(dir + "/autostart");
        removeDir(dir);
    }
};

PowerSnapshot discharging(std::int32_t lifeTime) {
    PowerSnapshot p;
    p.acStatus = 0;
    p.batteryStatus = 1;
    p.batteryLifePercent = 85;
    p.batteryLifeTime = lifeTime;
    return p;
}

void BM_StoreRead(benchmark::State& state) {
    StoreFixture f;
    for (auto _ : state) {
        SettingValue v = f.store.get(Setting::Data);
        benchmark::DoNotOptimize(v);
    }
}
BENCHMARK(BM_StoreRead);

void BM_StoreWrite(benchmark::State& state) {
    StoreFixture f;
    int i = 0;
    for (auto _ : state) {
        // A different value each time, so no write can be skipped as unchanged.
        const bool ok = f.store.save(Setting::X, std::to_string(2880 + (i++ & 1023)));
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_StoreWrite)->Unit(benchmark::kMicrosecond);

// A learnt drop's write as the program makes it: after half a second of idling, when the
// caches and the virtual CPU have gone cold. Beside it the least any durable replacement of a
// file that size costs then (a temporary file written, fsync'd and renamed over the old one).
constexpr int kIdleUs = 500000;
void BM_LearntWriteAfterIdle(benchmark::State& state) {
    StoreFixture f;
    int i = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ::usleep(kIdleUs);
        state.ResumeTiming();
        const bool ok = f.store.save(
            {{Setting::Data, "2.6" + std::to_string(i)}, {Setting::Count, std::to_string(++i)}});
        benchmark::DoNotOptimize(ok);
    }
}
BENCHMARK(BM_LearntWriteAfterIdle)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20)
    ->MeasureProcessCPUTime();

void BM_DurableReplaceAfterIdle(benchmark::State& state) {
    const std::string dir = makeTempDir();
    const std::string path = dir + "/Orvane.reg", content(std::strlen(kRealisticStore), 'x');
    for (auto _ : state) {
        state.PauseTiming();
        ::usleep(kIdleUs);
        state.ResumeTiming();
        std::string tmp = path + ".XXXXXX";
        const int fd = ::mkstemp(tmp.data());
        const bool ok = fd >= 0 && ::write(fd, content.data(), content.size()) > 0 &&
                        ::fsync(fd) == 0 && ::close(fd) == 0 &&
                        ::rename(tmp.c_str(), path.c_str()) == 0;
        benchmark::DoNotOptimize(ok);
    }
    removeDir(dir);
}
BENCHMARK(BM_DurableReplaceAfterIdle)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(20)
    ->MeasureProcessCPUTime();

void BM_ComposeDisplay(benchmark::State& state) {
    const PowerSnapshot p = discharging(7530);
    std::int16_t minutes = 125;
    for (auto _ : state) {
        benchmark::DoNotOptimize(minutes);
        DisplayUpdate d = ComposeDisplay(p, minutes);
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_ComposeDisplay);

// The platform knows the time: no store access.
void BM_GetBatteryTime_Platform(benchmark::State& state) {
    StoreFixture f;
    PowerSnapshot p = discharging(7530);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(GetBatteryTime(f.store, p));
    }
}
BENCHMARK(BM_GetBatteryTime_Platform);

// No platform time: the learnt estimate reads Data and Count from the store.
void BM_GetBatteryTime_Learnt(benchmark::State& state) {
    StoreFixture f;
    PowerSnapshot p = discharging(PowerSnapshot::kNoTime);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p);
        benchmark::DoNotOptimize(GetBatteryTime(f.store, p));
    }
}
BENCHMARK(BM_GetBatteryTime_Learnt);

// The Qt-free part of one display update, as the program does it per power change.
void BM_DisplayUpdateCore(benchmark::State& state) {
    StoreFixture f;
    PowerSnapshot p = discharging(state.range(0) ? 7530 : PowerSnapshot::kNoTime);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p);
        DisplayUpdate d = ComposeDisplay(p, GetBatteryTime(f.store, p));
        benchmark::DoNotOptimize(d);
    }
}
BENCHMARK(BM_DisplayUpdateCore)->ArgName("platform_time")->Arg(1)->Arg(0);

}  // namespace
