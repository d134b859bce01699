// What the sanitizers are told in every test binary, and the leak
// suppressions that the programs the tests start are given as well.
// Included once in each test binary, by its main.
#pragma once

namespace zt
{

// Memory the toolkit and its libraries keep for the life of the process
// (type system, font caches, the display connection). Our own code is not
// listed here.
constexpr const char* LSAN_SUPPRESSIONS = "leak:libgtk-3.so\n"
                                          "leak:libgdk-3.so\n"
                                          "leak:libglib-2.0.so\n"
                                          "leak:libgobject-2.0.so\n"
                                          "leak:libgio-2.0.so\n"
                                          "leak:libfontconfig.so\n"
                                          "leak:libpango-1.0.so\n"
                                          "leak:libpangoft2-1.0.so\n"
                                          "leak:libpangocairo-1.0.so\n"
                                          "leak:libcairo.so\n"
                                          "leak:libharfbuzz.so\n"
                                          "leak:libX11.so\n"
                                          "leak:libatk-1.0.so\n"
                                          "leak:libgdk_pixbuf-2.0.so\n";

} // namespace zt

// The test binary's own defaults, read by the sanitizer runtimes before main.
extern "C" const char* __lsan_default_suppressions()
{
    return zt::LSAN_SUPPRESSIONS;
}
extern "C" const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}
