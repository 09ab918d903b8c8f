#pragma once

#include <gtest/gtest.h>

#include "core/shell/main_controller.h"
#include "fakes/fakes.h"
#include "support/test_support.h"

namespace orvane::test {

// Both hives in memory.
struct MemoryStores {
    MemoryBackend user;
    MemoryBackend machine;
    SettingsStore store{user, machine};

    // "Name=value ..." under the Setting key, put there by hand or by an older run.
    void put(const std::string& settings) {
        for (const auto& [name, value] : pairsOf(settings))
            user.putText(std::string(keys::kSetting), name, value);
    }
    // Values put in place the same way, each where its setting lives.
    void put(std::initializer_list<std::pair<Setting, std::string>> values) {
        for (const auto& [s, text] : values)
            hiveOf(s).putText(std::string(settingInfo(s).key), std::string(settingInfo(s).name),
                              text);
    }
    // The stored texts, one after another ("<absent>" for one that is not there).
    std::string get(std::initializer_list<Setting> settings) {
        std::string texts;
        for (Setting s : settings) {
            const SettingInfo& i = settingInfo(s);
            texts += (texts.empty() ? "" : " ") +
                     hiveOf(s).text(std::string(i.key), std::string(i.name));
        }
        return texts;
    }
    MemoryBackend& hiveOf(Setting s) {
        return settingInfo(s).hive == Hive::CurrentUser ? user : machine;
    }
};

// The program's logic over stores in memory, with fakes for every other service and window.
struct LogicRig : MemoryStores {
    LogicRig()
        : c(Services{store, power, clock, messages, instance, links},
            Views{main, tray, compact, wizard}) {}

    // A returning user with `settings` starts the program; the fake source's notifications
    // reach the change handler, as the program hands them on.
    void start(const std::string& settings = "") {
        user.putText(std::string(keys::kSetting), "First Use", "1");
        put(settings);
        power.setChangeListener([this] { c.onPowerStatusChanged(); });
        EXPECT_TRUE(c.startUp());
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
