#pragma once

namespace orvane {

// The tray tip until the first status display, and the title of every message box that has
// none of its own.
inline constexpr const char* kAppTitle = "Orvane";

}  // namespace orvane
