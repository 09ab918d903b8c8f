#pragma once

// What the Windows tests share: a scratch registry key that goes away with everything under
// it, delivery of the thread's posted messages, and this program's own folder.
#include <windows.h>

#include <string>

namespace orvane::test {

class ScratchKey {
public:
    ScratchKey();
    ~ScratchKey();
    ScratchKey(const ScratchKey&) = delete;
    ScratchKey& operator=(const ScratchKey&) = delete;

    HKEY handle() const { return key_; }
    const std::string& path() const { return path_; }  // under HKEY_CURRENT_USER
    // A key below it, made if missing; closed with the scratch key.
    HKEY sub(const std::string& name);

private:
    std::string path_;
    HKEY key_ = nullptr;
    HKEY subs_[4] = {};
    int subCount_ = 0;
};

// Delivers every message waiting for this thread's windows.
void pumpMessages();

// The folder of the running test program, with a trailing backslash.
std::string programFolder();

// Starts this test program again with `args` and returns its exit code.
DWORD runSelf(const std::string& args);

}  // namespace orvane::test
