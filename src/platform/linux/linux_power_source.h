#pragma once

#include <memory>

#include "platform/power_status_source.h"

namespace orvane {

// UPower when the system has it (running, or installed and activatable: while it is down the
// source shows unknown values until it returns), else /sys/class/power_supply.
// The result is a QObject living on the calling thread; destroy it before the application.
std::unique_ptr<PowerStatusSource> makeLinuxPowerSource();

}  // namespace orvane
