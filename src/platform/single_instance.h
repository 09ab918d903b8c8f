#pragma once

namespace orvane {

// The per-user rule that only one copy of the program runs.
class SingleInstance {
public:
    virtual ~SingleInstance() = default;
    // True when this process is now the one instance; false when another copy holds it.
    virtual bool acquire() = 0;
};

}  // namespace orvane
