#include "ui/desktop/window_system.h"

namespace orvane {

// Where the window system keeps its own frames and places, Qt's view of them is the truth.
std::unique_ptr<WindowSystem> makeWindowSystem() {
    return std::make_unique<QtWindowSystem>();
}

}  // namespace orvane
