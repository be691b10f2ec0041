// doctest's main for the window tests, with COM ready for WIC before any window exists.
#define DOCTEST_CONFIG_IMPLEMENT
#include <doctest/doctest.h>

#include <windows.h>

#include <objbase.h>

int main(int argc, char** argv)
{
    CoInitialize(nullptr);
    doctest::Context context(argc, argv);
    const int failed = context.run();
    CoUninitialize();
    return failed;
}
