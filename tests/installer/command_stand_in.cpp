// Stands in for a system program of the setup test's prefix that Wine lacks
// or only stubs (powershell.exe, icacls.exe), under that program's name NAME:
// appends its command line (UTF-8, one line) to NAME.log in the folder that
// LUMBRIX_STAND_IN_LOGS names, followed by " [VARIABLE=value]" when the
// environment variable that LUMBRIX_STAND_IN_SHOWS names is set, and by
// " [probe present]" or " [probe absent]" when LUMBRIX_PROBE names a file;
// ends with the number in LUMBRIX_<NAME>_EXIT (0 when unset).

#include <windows.h>

#include <cwchar>
#include <string>

namespace {

bool ReadVariable(const std::wstring& name, std::wstring& value)
{
    value.assign(32768, L'\0');
    DWORD length = ::GetEnvironmentVariableW(name.c_str(), value.data(), 32768);
    value.resize(length < 32768 ? length : 0);
    return length != 0 && length < 32768;
}

} // namespace

int wmain()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = std::wcsrchr(path, L'\\') + 1;
    name.resize(name.size() - 4); // ".exe"

    std::wstring logs, value;
    if (ReadVariable(L"LUMBRIX_STAND_IN_LOGS", logs)) {
        std::wstring line = ::GetCommandLineW();
        if (ReadVariable(L"LUMBRIX_STAND_IN_SHOWS", value)) {
            std::wstring shown;
            if (ReadVariable(value, shown)) line += L" [" + value + L"=" + shown + L"]";
        }
        if (ReadVariable(L"LUMBRIX_PROBE", value))
            line += ::GetFileAttributesW(value.c_str()) == INVALID_FILE_ATTRIBUTES ? L" [probe absent]" : L" [probe present]";
        std::string text(static_cast<std::size_t>(
                             ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, nullptr, 0, nullptr, nullptr)),
                         '\0');
        ::WideCharToMultiByte(CP_UTF8, 0, line.c_str(), -1, text.data(), static_cast<int>(text.size()), nullptr,
                              nullptr);
        text.back() = '\n';
        HANDLE log = ::CreateFileW((logs + L"\\" + name + L".log").c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                   OPEN_ALWAYS, 0, nullptr);
        if (log == INVALID_HANDLE_VALUE) return 3;
        DWORD written = 0;
        ::WriteFile(log, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        ::CloseHandle(log);
    }
    if (!ReadVariable(L"LUMBRIX_" + name + L"_EXIT", value)) return 0;
    return static_cast<int>(std::wcstol(value.c_str(), nullptr, 10));
}
