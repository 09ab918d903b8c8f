// The Windows tests' main, and the other processes the tests start:
//   --instance NAME: exit 0 when it got the instance, 1 when another copy holds it;
//   --probe FILE ADDRESS: stands in for a browser, the handler of the link test's scheme.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <fstream>

#include "platform/windows/named_mutex.h"

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--instance") == 0)
        return orvane::NamedMutex(argv[2]).acquire() ? 0 : 1;
    if (argc == 4 && std::strcmp(argv[1], "--probe") == 0) {
        const std::string out = argv[2], partial = out + ".part";
        std::ofstream(partial) << argv[3] << '\n';
        // Whole or not at all, for the test that waits for it.
        return MoveFileExA(partial.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
