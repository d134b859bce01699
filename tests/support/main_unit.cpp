// Test runner for the unit layer. The process locale comes from the
// environment, as the program's does, or from --locale=NAME.
#include "exit_bound.h"
#include "sanitizers.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    const char* pszLocale = "";
    for (int i = 1; i < argc; i++)
        if (strncmp(argv[i], "--locale=", 9) == 0)
            pszLocale = argv[i] + 9;
    if (!setlocale(LC_ALL, pszLocale)) {
        fprintf(stderr, "locale %s is not available\n", pszLocale);
        return 1;
    }
    const int nStatus = RUN_ALL_TESTS();
    zt::boundExit();
    return nStatus;
}
