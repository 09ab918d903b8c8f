#pragma once

#include <functional>

namespace orvane {

// The session's or the system's request that the program end now (log off, shut down, a
// service manager's stop): no exit question, the settings saved as at any end.
class TerminationRequests {
public:
    virtual ~TerminationRequests() = default;
    // Called on the UI thread for each request.
    virtual void setListener(std::function<void()> listener) = 0;
};

}  // namespace orvane
