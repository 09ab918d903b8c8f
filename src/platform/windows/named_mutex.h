#pragma once

#include <windows.h>

#include <string>

#include "platform/single_instance.h"

namespace orvane {

// The one-copy rule through a named mutex in the session's namespace: the first copy creates
// it and holds it until it ends; a second copy finds it already there.
class NamedMutex : public SingleInstance {
public:
    explicit NamedMutex(std::string name);
    ~NamedMutex() override;
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    bool acquire() override;

    static constexpr const char* kDefaultName = "Local\\example.merrowin.Orvane";

private:
    std::string name_;
    HANDLE mutex_ = nullptr;
};

}  // namespace orvane
