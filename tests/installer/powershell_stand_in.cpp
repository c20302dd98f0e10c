// Stands in for powershell.exe in the setup test's prefix, where Wine has no
// package deployment: appends its command line (UTF-8, one line) to the file
// that LUMBRIX_POWERSHELL_LOG names, followed by " [probe present]" or
// " [probe absent]" when LUMBRIX_POWERSHELL_PROBE names a file, and ends with
// the number in LUMBRIX_POWERSHELL_EXIT (0 when unset).

#include <windows.h>

#include <cwchar>
#include <string>

int wmain()
{
    wchar_t value[32768] = {};
    if (::GetEnvironmentVariableW(L"LUMBRIX_POWERSHELL_LOG", value, 32768)) {
        std::wstring line = ::GetCommandLineW();
        wchar_t probe[32768] = {};
        if (::GetEnvironmentVariableW(L"LUMBRIX_POWERSHELL_PROBE", probe, 32768))
            line += ::GetFileAttributesW(probe) == INVALID_FILE_ATTRIBUTES ? L" [probe absent]" : L" [probe present]";
        std::string text(static_cast<std::size_t>(
                             ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                         '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr,
                              nullptr);
        text.back() = '\n';
        HANDLE log = ::CreateFileW(value, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (log == INVALID_HANDLE_VALUE) return 3;
        DWORD written = 0;
        ::WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(log);
    }
    if (!::GetEnvironmentVariableW(L"LUMBRIX_POWERSHELL_EXIT", value, 32768)) return 0;
    return static_cast<int>(std::wcstol(value, nullptr, 10));
}
