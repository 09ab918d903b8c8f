#pragma once

#include <string>

#include "platform/link_opener.h"

namespace orvane {

// Hands an address to the program registered for its scheme ("https", "mailto"), as the
// shell would: no handler registered is NoHandler, one that cannot be started is Failed.
class ShellLinkOpener : public LinkOpener {
public:
    LinkOpenResult open(const std::string& address) override;

    // The address's scheme, or "" when it has none a handler could be registered for.
    static std::string schemeOf(const std::string& address);
};

}  // namespace orvane
