#pragma once

#include "core/shell/main_controller.h"
#include "fakes/fakes.h"

namespace orvane::test {

// Both hives in memory.
struct MemoryStores {
    MemoryBackend user;
    MemoryBackend machine;
    SettingsStore store{user, machine};
};

// The program's logic over a given store, with fakes for every other service and window.
struct LogicRig {
    explicit LogicRig(SettingsStore& store)
        : c(Services{store, power, clock, messages, instance, links},
            Views{main, tray, compact, wizard}) {}

    // Hands the fake source's notifications to the change handler, as the program does.
    void followPower() {
        power.setChangeListener([this] { c.onPowerStatusChanged(); });
    }

    FakePowerSource power;
    FakeClock clock;
    ScriptedMessages messages;
    FakeInstance instance;
    RecordingLinkOpener links;
    Journal journal;
    FakeMainView main{journal};
    FakeTray tray{journal};
    FakeCompact compact{journal};
    FakeWizard wizard{journal};
    MainController c;
};

}  // namespace orvane::test
