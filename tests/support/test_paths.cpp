#include "support/test_paths.h"

#include <windows.h>

#include <vector>

namespace lumbrix::test {

std::wstring ToWindowsPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/') return path;
    std::wstring windows = L"Z:" + path;
    for (wchar_t& c : windows)
        if (c == L'/') c = L'\\';
    return windows;
}

std::wstring DllPath()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = ::GetEnvironmentVariableW(L"LUMBRIX_DLL_PATH", buffer.data(),
                                                   static_cast<DWORD>(buffer.size()));
    if (length == 0 || length >= buffer.size()) return ProgramFolder() + L"\\Lumbrix64.dll";
    return ToWindowsPath(std::wstring(buffer.data(), length));
}

std::wstring ProgramFolder()
{
    std::vector<wchar_t> buffer(32768);
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), length);
    return path.substr(0, path.find_last_of(L'\\'));
}

} // namespace lumbrix::test
