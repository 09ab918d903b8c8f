// The Windows tests' main, and the second process the single-instance test starts
// ("--instance NAME": exit 0 when it got the instance, 1 when another copy holds it).
#include <gtest/gtest.h>

#include <cstring>

#include "platform/windows/named_mutex.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--instance") == 0)
        return orvane::NamedMutex(argv[2]).acquire() ? 0 : 1;
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
