// One full power status change as the program handles it: the alarm check, one learning step
// (a store read and two writes), the display update of the real windows and the tray tip.
// Runs the real windows on Qt's offscreen platform over a store file in a temporary folder.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "platform/posix/autostart_backend.h"
#include "platform/posix/reg_file_backend.h"
#include "platform/posix/single_instance_lock.h"
#include "ui/shell/app_host.h"

namespace {

using namespace orvane;

class SteppedPower : public PowerStatusSource {
public:
    PowerSnapshot read() const override { return now; }
    void setChangeListener(std::function<void()> l) override { listener = std::move(l); }
    PowerSnapshot now;
    std::function<void()> listener;
};

class SteppedClock : public Clock {
public:
    double secondsSinceMidnight() const override { return t; }
    double awakeSeconds() const override { return t; }
    double sinceBootSeconds() const override { return t; }
    double t = 30000;
};

class NoMessages : public MessageBoxes {
public:
    MsgAnswer show(const MessageRequest&) override { return MsgAnswer::Ok; }
};

class NoLinks : public LinkOpener {
public:
    LinkOpenResult open(const std::string&) override { return LinkOpenResult::Opened; }
};

void BM_PowerStatusChange(benchmark::State& state) {
    QTemporaryDir dir;
    RegFileBackend user((dir.path() + "/Orvane.reg").toStdString());
    AutostartBackend machine((dir.path() + "/autostart").toStdString(), {});
    SettingsStore store(user, machine);
    SingleInstanceLock lock((dir.path() + "/orvane.lock").toStdString());
    SteppedPower power;
    SteppedClock clock;
    NoMessages messages;
    NoLinks links;
    store.EnsureKeys();
    for (auto [s, v] : {std::pair{Setting::FirstUse, "1"},
                        {Setting::LowBatt, "1"},
                        {Setting::LowBattVal, "15"},
                        {Setting::CriticalBatt, "1"},
                        {Setting::CriticalBattVal, "5"},
                        {Setting::Data, "1.8"},
                        {Setting::Count, "10"}}) {
        store.save(s, v);
    }
    power.now.acStatus = 0;
    power.now.batteryStatus = 1;
    power.now.batteryLifePercent = 90;
    AppHost host(Services{store, power, clock, messages, lock, links});
    if (!host.start()) {
        state.SkipWithError("start-up failed");
        return;
    }
    for (auto _ : state) {
        // One point lost every 108 s, as the learnt 1.8 minutes says: every step is learnt.
        clock.t += 108;
        power.now.batteryLifePercent = static_cast<std::int16_t>(
            power.now.batteryLifePercent > 20 ? power.now.batteryLifePercent - 1 : 90);
        power.listener();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PowerStatusChange)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
