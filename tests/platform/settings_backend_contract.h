#pragma once

// What every settings backend must do, as one table of cases over the store. A platform's
// tests instantiate it with their own backend:
//   INSTANTIATE_TEST_SUITE_P(RegFile, SettingsBackendContract,
//   testing::Values(&makeBackends<Files>));
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/settings_backend.h"

namespace orvane::test {

// A fresh, empty store of the platform's kind, and what other programs may do to it behind
// the program's back.
class BackendsUnderTest {
public:
    virtual ~BackendsUnderTest() = default;
    virtual SettingsBackend& user() = 0;
    virtual SettingsBackend& machine() = 0;  // the start-up list
    // As the registry editor or an administrator would: any type, raw bytes.
    virtual void plantUserValue(const std::string& key, const std::string& name,
                                const RegValue& v) = 0;
    virtual void plantMachineValue(const std::string& key, const std::string& name,
                                   const RegValue& v) = 0;
    // The key with everything below it.
    virtual void deleteUserKey(const std::string& key) = 0;
};

using BackendsFactory = std::unique_ptr<BackendsUnderTest> (*)();

template <class Backends>
std::unique_ptr<BackendsUnderTest> makeBackends() {
    return std::make_unique<Backends>();
}

class SettingsBackendContract : public testing::TestWithParam<BackendsFactory> {};

}  // namespace orvane::test
