#pragma once

#include <windows.h>

#include "platform/power_status_source.h"

namespace orvane {

// GetSystemPowerStatus's answer field by field in the snapshot's units: the flags and the
// percent as they are, times in seconds with (DWORD)-1 as no figure. Values outside a
// field's range count as unknown.
PowerSnapshot snapshotFrom(const SYSTEM_POWER_STATUS& status);

}  // namespace orvane
