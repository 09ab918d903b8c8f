// GoogleTest's main, in the locale ORVANE_TEST_LOCALE names when it is set, as the program
// runs in the user's locale; the stored numbers must read and write the same in any of them.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (const char* name = std::getenv("ORVANE_TEST_LOCALE")) {
        if (!std::setlocale(LC_ALL, name)) {
            std::printf("SKIP: the locale %s is not available here\n", name);
            return 77;
        }
        std::printf("locale %s, decimal separator \"%s\"\n", name,
                    std::localeconv()->decimal_point);
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
