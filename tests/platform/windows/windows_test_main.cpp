// The Windows tests' main and shared helpers, and the second process the single-instance
// test starts ("--instance NAME": exit 0 when it got the instance, 1 when another copy holds
// it).
#include <gtest/gtest.h>

#include <atomic>
#include <cstring>

#include "platform/windows/named_mutex.h"
#include "windows_test_support.h"

namespace orvane::test {

ScratchKey::ScratchKey() {
    static std::atomic<int> count{0};
    path_ = "Software\\OrvaneTests\\" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++count);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key_, nullptr) != ERROR_SUCCESS)
        key_ = nullptr;
}

ScratchKey::~ScratchKey() {
    for (int i = 0; i < subCount_; ++i) RegCloseKey(subs_[i]);
    if (key_) RegCloseKey(key_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
}

HKEY ScratchKey::sub(const std::string& name) {
    HKEY k = nullptr;
    if (subCount_ == 4 || RegCreateKeyExA(key_, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                          nullptr, &k, nullptr) != ERROR_SUCCESS)
        return nullptr;
    subs_[subCount_++] = k;
    return k;
}

void pumpMessages() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

std::string programFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

DWORD runSelf(const std::string& args) {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string command = "\"" + std::string(path) + "\" " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi))
        return 255;
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 255;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

}  // namespace orvane::test

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--instance") == 0)
        return orvane::NamedMutex(argv[2]).acquire() ? 0 : 1;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
