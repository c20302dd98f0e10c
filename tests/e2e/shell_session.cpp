#include "shell_session.h"

#include "support/test_paths.h"

#include <stdexcept>

namespace lumbrix::test {
namespace {

std::wstring ShellProgramPath()
{
    wchar_t path[32768] = {};
    const DWORD length = ::GetEnvironmentVariableW(L"LUMBRIX_SHELL_PATH", path, 32768);
    if (length == 0 || length >= 32768) throw std::runtime_error("LUMBRIX_SHELL_PATH is not set");
    return ToWindowsPath(path);
}

std::wstring CommandLine(const std::wstring& program, const std::vector<std::wstring>& arguments,
                         const std::vector<std::wstring>& paths)
{
    std::wstring line = L"\"" + program + L"\"";
    for (const std::wstring& argument : arguments) line += L" " + argument;
    for (const std::wstring& path : paths) line += L" \"" + path + L"\"";
    return line;
}

PROCESS_INFORMATION Start(std::wstring commandLine, HANDLE output)
{
    STARTUPINFOW startup = {sizeof(startup)};
    if (output) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
        startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, output != nullptr, 0, nullptr, nullptr,
                          &startup, &process))
        throw std::runtime_error("cannot start a program");
    return process;
}

DWORD WaitAndClose(PROCESS_INFORMATION& process)
{
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return code;
}

} // namespace

DWORD RunRegsvr32(bool unregister)
{
    PROCESS_INFORMATION process = Start(
        std::wstring(L"regsvr32.exe /s ") + (unregister ? L"/u " : L"") + L"\"" + DllPath() + L"\"", nullptr);
    return WaitAndClose(process);
}

ShellRun RunShell(const std::vector<std::wstring>& arguments, const std::vector<std::wstring>& paths)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) throw std::runtime_error("cannot create a pipe");
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    PROCESS_INFORMATION process = Start(CommandLine(ShellProgramPath(), arguments, paths), writeEnd);
    ::CloseHandle(writeEnd);
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    ::CloseHandle(readEnd);
    ShellRun run;
    run.exitCode = WaitAndClose(process);
    const int units = ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    run.output.resize(static_cast<std::size_t>(units));
    ::MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), run.output.data(), units);
    return run;
}

HANDLE StartShell(const std::vector<std::wstring>& arguments, const std::vector<std::wstring>& paths)
{
    PROCESS_INFORMATION process = Start(CommandLine(ShellProgramPath(), arguments, paths), nullptr);
    ::CloseHandle(process.hThread);
    return process.hProcess;
}

long TimingValue(const std::wstring& report, const std::wstring& label)
{
    const std::size_t at = report.find(label);
    if (at == std::wstring::npos) return -1;
    return std::wcstol(report.c_str() + at + label.size(), nullptr, 10);
}

} // namespace lumbrix::test
