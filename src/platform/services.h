#pragma once

#include <memory>
#include <string>

#include "platform/clock.h"
#include "platform/link_opener.h"
#include "platform/power_status_source.h"
#include "platform/settings_backend.h"
#include "platform/single_instance.h"
#include "platform/termination_requests.h"

namespace orvane {

// Everything the program needs of the operating system. Making them has no effect yet: the
// instance rule, the store and the power source act when first used.
struct PlatformServices {
    std::unique_ptr<SingleInstance> instance;
    std::unique_ptr<SettingsBackend> userStore;
    std::unique_ptr<SettingsBackend> machineStore;  // the start-up list
    std::unique_ptr<PowerStatusSource> power;
    std::unique_ptr<Clock> clock;
    std::unique_ptr<LinkOpener> links;
    std::unique_ptr<TerminationRequests> termination;
    // What the start-up list holds to start this program; empty where the running program's
    // own path serves.
    std::string programPath;
};

// The user's store alone, for a look at it before the rest is made.
std::unique_ptr<SettingsBackend> makeUserStore();

// Defined once per platform (platform/linux, platform/windows); the build links the one it
// is for. Call it once the event loop's application object exists.
PlatformServices makePlatformServices();

}  // namespace orvane
