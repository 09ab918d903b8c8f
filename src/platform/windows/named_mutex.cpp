#include "platform/windows/named_mutex.h"

#include <utility>

namespace orvane {

NamedMutex::NamedMutex(std::string name) : name_(std::move(name)) {}

NamedMutex::~NamedMutex() {
    if (mutex_) CloseHandle(mutex_);
}

bool NamedMutex::acquire() {
    if (mutex_) return true;
    HANDLE handle = CreateMutexA(nullptr, FALSE, name_.c_str());
    const DWORD error = GetLastError();
    if (!handle) {
        // Refused access: a copy running elevated in this session holds it. Any other failure
        // tells nothing of a second copy, and is no reason to refuse to start.
        return error != ERROR_ACCESS_DENIED;
    }
    if (error == ERROR_ALREADY_EXISTS) {
        CloseHandle(handle);
        return false;
    }
    mutex_ = handle;
    return true;
}

}  // namespace orvane
