// Test runner for the unit layer. The process locale comes from the
// environment, as the program's does, or from --locale=NAME.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>

// Under the leak checker: memory that fontconfig and Pango keep for the life
// of the process (font caches) once the chart has drawn text.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\nleak:libpango-1.0.so\nleak:libpangoft2-1.0.so\nleak:libpangocairo-1.0.so\n"
           "leak:libcairo.so\nleak:libharfbuzz.so\nleak:libglib-2.0.so\nleak:libgobject-2.0.so\n";
}

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
    return RUN_ALL_TESTS();
}
