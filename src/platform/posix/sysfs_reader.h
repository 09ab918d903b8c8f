#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/power_status_source.h"

namespace orvane {

// The power status from a /sys/class/power_supply tree (batteries of scope Device, e.g. a
// mouse, are ignored). Several system batteries are summed. Never throws.
PowerSnapshot readSysfsPowerSupply(const std::string& root);

// Whether one NETLINK_KOBJECT_UEVENT datagram ("ACTION@DEVPATH\0KEY=VALUE\0...") is about
// the power_supply subsystem.
bool isPowerSupplyUevent(const char* data, std::size_t size);

// Limits re-reads after uevents to one per interval: a uevent long enough after the last read
// re-reads at once, an earlier one schedules a single re-read at last read + interval.
class RereadThrottle {
public:
    using Clock = std::chrono::steady_clock;

    explicit RereadThrottle(std::chrono::milliseconds interval) : interval_(interval) {}

    // Call after every read.
    void readDone(Clock::time_point at) {
        lastRead_ = at;
        pending_ = false;
    }
    // On a uevent: the delay until the re-read, or nullopt when one is already scheduled.
    std::optional<std::chrono::milliseconds> onEvent(Clock::time_point now);

private:
    std::chrono::milliseconds interval_;
    std::optional<Clock::time_point> lastRead_;
    bool pending_ = false;
};

}  // namespace orvane
