#pragma once

#include <string>

namespace orvane {

enum class LinkOpenResult { Opened, NoHandler, Failed };

// Hands an address (a web page, a "mailto:" address) to the desktop's handler for it.
class LinkOpener {
public:
    virtual ~LinkOpener() = default;
    virtual LinkOpenResult open(const std::string& address) = 0;
};

}  // namespace orvane
