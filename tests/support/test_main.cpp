// Entry point of every test program: the program's own module stands in for
// the DLL's (it carries the same resources), and the main thread is an STA
// like the shell's.
#include "common/module_identity.h"

#include <gtest/gtest.h>
#include <objbase.h>

int main(int argc, char** argv)
{
    lumbrix::moduleInstance = ::GetModuleHandleW(nullptr);
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    ::CoUninitialize();
    return result;
}
