#pragma once
// Where the built product lives, as a Windows path.

#include <string>

namespace lumbrix::test {

// The built Lumbrix64.dll (from LUMBRIX_DLL_PATH, a Unix path under Wine).
std::wstring DllPath();
// A Unix path as Wine's Z: drive shows it; Windows paths pass unchanged.
std::wstring ToWindowsPath(const std::wstring& path);
// The folder that holds the running test program.
std::wstring ProgramFolder();

} // namespace lumbrix::test
