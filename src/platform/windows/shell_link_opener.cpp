#include "platform/windows/shell_link_opener.h"

// The shell's headers need windows.h before them.
#include <windows.h>

#include <shellapi.h>
#include <shlwapi.h>

#include <cctype>

namespace orvane {

std::string ShellLinkOpener::schemeOf(const std::string& address) {
    const std::size_t colon = address.find(':');
    // One letter before the colon is a drive ("C:\..."), not a scheme.
    if (colon == std::string::npos || colon < 2) return {};
    if (!std::isalpha(static_cast<unsigned char>(address[0]))) return {};
    for (std::size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(address[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return {};
    }
    return address.substr(0, colon);
}

LinkOpenResult ShellLinkOpener::open(const std::string& address) {
    const std::string scheme = schemeOf(address);
    if (scheme.empty()) return LinkOpenResult::NoHandler;
    // The command, not the program: a handler whose program is gone is still a handler, and
    // its failure to start is told as such.
    char command[2048] = {};
    DWORD size = sizeof command;
    const HRESULT found =
        AssocQueryStringA(ASSOCF_NONE, ASSOCSTR_COMMAND, scheme.c_str(), "open", command, &size);
    if ((FAILED(found) && found != E_POINTER) || (SUCCEEDED(found) && command[0] == '\0'))
        return LinkOpenResult::NoHandler;
    // The shell fills in the handler's own command line; the address is never run itself,
    // since its scheme has a handler.
    const auto started = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return started > 32 ? LinkOpenResult::Opened : LinkOpenResult::Failed;
}

}  // namespace orvane
